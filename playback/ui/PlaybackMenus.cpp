// The main window's player menu, the external players, the spectrum area's
// colour and the popup: the menu side of the playback controller.
#include "browser/SongListModel.h"
#include "export/M3uWriter.h"
#include "export/PlayerLauncher.h"
#include "playback/AudioEngine.h"
#include "playback/ExternalPlayers.h"
#include "playback/ui/BandBarsView.h"
#include "playback/ui/PlaybackController.h"
#include "playback/ui/frmDefaultPlayer.h"
#include "playback/ui/frmPopup.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"
#include "ui/Shell.h"
#include "ui/widgets/CommonDialog.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QProcess>
#include <QStandardPaths>

namespace quaverly::playback {
namespace prefs = settings::prefs;

namespace {

/// Starts a player without a shell: a desktop entry by its Exec line, a
/// program file directly (the associated program: see connectMenus).
bool launchDetached(const exporting::PlayerCommand& command)
{
    const PlayerLaunch launch = launchFor(command.program, command.arguments.value(0));
    return !launch.program.isEmpty() && QProcess::startDetached(launch.program, launch.arguments);
}

QColor chooseColour(QWidget* owner, const QColor& initial)
{
    ui::CommonDialog dialog;
    const ui::ColorResult result = dialog.ShowColor(owner, true, initial);
    return result.cancelled ? QColor() : result.colour;
}

} // namespace

void PlaybackController::prepareMenus()
{
    m_start = [this](const exporting::PlayerCommand& command) {
        if (command.program != exporting::kDesktopOpener)
            return launchDetached(command);
        // "[Default Player]": the desktop's opener, which tells later when it
        // found no program for the file.
        ui::openOrReport(m_prompts, QStringLiteral("Quaverly"), command.arguments.value(0), this);
        return true;
    };
    m_choosePlayer = [this](QWidget* owner) { return choosePlayerFile(owner, m_prompts); };
    m_chooseColour = &chooseColour;
    connect(m_spectrum, &BandBarsView::colourRequested, this, [this] { PicSpectrum_MouseUp(Qt::RightButton); });
}

void PlaybackController::LoadPlayers()
{
    const QStringList applicationDirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    m_playerPaths = loadPlayerList(m_options);
    QStringList names;
    for (const QString& path : std::as_const(m_playerPaths)) {
        const QString name = GetProductName(path, applicationDirs);
        names.append(name.isEmpty() ? path : name);
    }
    Q_EMIT playersChanged(names);
    SetDefaultPlayer();
}

void PlaybackController::SetDefaultPlayer()
{
    m_defaultPlayer = defaultPlayer(m_options);
    if (m_defaultPlayer.isEmpty()) {
        Q_EMIT playerChecked(0);
        return;
    }
    int chosen = -1;
    for (int i = 0; i < m_playerPaths.size(); ++i)
        if (m_playerPaths.at(i).compare(m_defaultPlayer, Qt::CaseInsensitive) == 0)
            chosen = i + 1;
    Q_EMIT playerChecked(chosen);
}

void PlaybackController::mnuPlayer_Click(int index)
{
    // "[Default Player]" makes the associated program the choice again.
    const QString path = index <= 0 ? QString() : m_playerPaths.value(index - 1);
    (void)setDefaultPlayerPath(m_options, path);
    SetDefaultPlayer();
}

void PlaybackController::mnuAddPlayer_Click()
{
    frmDefaultPlayer players(
        m_options, m_prompts, [this] { LoadPlayers(); }, &m_window);
    players.setFileChooser(m_choosePlayer);
    players.exec();
}

std::vector<int> PlaybackController::rowTracks() const
{
    return m_songModel.rows();
}

void PlaybackController::showOpenError(int error, const QString& what)
{
    if (error == int(exporting::OpenError::PlaylistNotWritten))
        m_prompts.show(QStringLiteral("Quaverly"), QStringLiteral("The playlist could not be written."),
                       ui::PromptIcon::Warning);
    else if (error == int(exporting::OpenError::PlayerNotStarted))
        m_prompts.show(QStringLiteral("Quaverly"), QStringLiteral("The player could not be started for:\n") + what,
                       ui::PromptIcon::Warning);
}

void PlaybackController::cmdOpen_Click()
{
    const exporting::OpenResult result = exporting::openInPlayer(
        m_library, rowTracks(), m_songList.GetLstSongSelected(), m_defaultPlayer, m_start);
    showOpenError(int(result.error), result.file);
}

void PlaybackController::cmdMakeM3u_Click()
{
    const exporting::OpenResult result = exporting::openAsPlaylist(
        *m_m3u, m_library, rowTracks(), m_songList.GetLstSongSelected(), m_defaultPlayer, m_start);
    showOpenError(int(result.error), result.file);
}

void PlaybackController::PicSpectrum_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    int value = m_options.get(prefs::kSpectrumColor);
    const QColor chosen = m_chooseColour ? m_chooseColour(&m_window, colorFromValue(value)) : QColor();
    if (chosen.isValid()) {
        value = static_cast<int>(valueFromColor(chosen));
        m_options.set(prefs::kSpectrumColor, value);
    }
    m_view.setSpectrumColourValue(value);
    m_spectrum->setColour(colorFromValue(value));
}

} // namespace quaverly::playback
