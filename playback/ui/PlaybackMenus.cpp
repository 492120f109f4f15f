// The main window's player menu, the external players, the spectrum area's
// colour and the popup: the menu side of the playback controller.
#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
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
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>

namespace quaverly::playback {
namespace prefs = settings::prefs;

namespace {

/// Starts a player without a shell: a desktop entry by its Exec line, a
/// program file directly (the associated program: see connectMenus).
bool startPlayer(const exporting::PlayerCommand& command)
{
    const PlayerLaunch launch = LaunchFor(command.program, command.arguments.value(0));
    return !launch.program.isEmpty() && QProcess::startDetached(launch.program, launch.arguments);
}

QColor chooseColour(QWidget* owner, const QColor& initial)
{
    ui::CommonDialog dialog;
    const ui::ColorResult result = dialog.ShowColor(owner, true, initial);
    return result.cancelled ? QColor() : result.colour;
}

} // namespace

void PlaybackController::connectMenus()
{
    m_start = [this](const exporting::PlayerCommand& command) {
        if (command.program != exporting::kDesktopOpener)
            return startPlayer(command);
        // "[Default Player]": the desktop's opener, which tells later when it
        // found no program for the file.
        ui::OpenOrReport(m_prompts, QStringLiteral("Quaverly"), command.arguments.value(0), this);
        return true;
    };
    m_choosePlayer = [this](QWidget* owner) { return ChoosePlayerFile(owner, m_prompts); };
    m_chooseColour = &chooseColour;
    browser::frmMenus& m = m_menus;
    connect(m.mnuPause, &QAction::triggered, m_control, &PlayControl::picPause_Click);
    connect(m.mnuNext, &QAction::triggered, m_control, &PlayControl::picNext_Click);
    connect(m.mnuPrev, &QAction::triggered, m_control, &PlayControl::picPrev_Click);
    connect(m.mnuAddPlayer, &QAction::triggered, this, &PlaybackController::mnuAddPlayer_Click);
    connect(m.mnuPlayer.constFirst(), &QAction::triggered, this, [this] { mnuPlayer_Click(0); });
    connect(&m, &browser::frmMenus::spectrumToggled, this, [this](bool on) {
        m_engine->setBandLevelsEnabled(on);
        m_spectrum->setActive(on);
    });
    connect(m.mnuSpecColor, &QAction::triggered, this, [this] { PicSpectrum_MouseUp(Qt::RightButton); });
    connect(m_spectrum, &BandBarsView::colourRequested, this, [this] { PicSpectrum_MouseUp(Qt::RightButton); });
    connectSharedPlace();
}

void PlaybackController::connectSharedPlace()
{
    // The volume slider holds the spectrum's place while the spectrum is off:
    // a right click there offers the spectrum and its colour, so the colour
    // can be chosen whether or not the spectrum shows.
    auto* menu = new QMenu(m_ui.picVolume);
    menu->setObjectName(QStringLiteral("mnuVolumePlace"));
    menu->addAction(m_menus.mnuSpectrum);
    menu->addAction(m_menus.mnuSpecColor);
    m_ui.picVolume->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui.picVolume, &QWidget::customContextMenuRequested, menu,
            [this, menu](const QPoint& at) { menu->popup(m_ui.picVolume->mapToGlobal(at)); });
}

void PlaybackController::LoadPlayers()
{
    QList<QAction*>& items = m_menus.mnuPlayer;
    while (items.size() > 1)
        delete items.takeLast();
    const QStringList applicationDirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    const QStringList players = LoadPlayerList(m_options);
    for (int n = 1; n <= players.size(); ++n) {
        const QString& path = players.at(n - 1);
        const QString name = GetProductName(path, applicationDirs);
        auto* item = new QAction(name.isEmpty() ? path : name, m_menus.mnuPlayIn);
        item->setObjectName(QStringLiteral("mnuPlayer"));
        item->setCheckable(true);
        item->setData(path);
        m_menus.mnuPlayIn->insertAction(m_menus.mnuAddPlayer, item);
        connect(item, &QAction::triggered, this, [this, n] { mnuPlayer_Click(n); });
        items.append(item);
    }
    SetDefaultPlayer();
}

void PlaybackController::SetDefaultPlayer()
{
    const QList<QAction*>& items = m_menus.mnuPlayer;
    for (QAction* item : items)
        item->setChecked(false);
    m_defaultPlayer = DefaultPlayer(m_options);
    if (m_defaultPlayer.isEmpty()) {
        items.constFirst()->setChecked(true);
        return;
    }
    for (int i = 1; i < items.size(); ++i)
        if (items.at(i)->data().toString().compare(m_defaultPlayer, Qt::CaseInsensitive) == 0)
            items.at(i)->setChecked(true);
}

void PlaybackController::mnuPlayer_Click(int index)
{
    // "[Default Player]" makes the associated program the choice again.
    const QString path = index == 0 ? QString() : m_menus.mnuPlayer.value(index)->data().toString();
    (void)SetDefaultPlayerPath(m_options, path);
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
    return m_window.songModel().rows();
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
    const exporting::OpenResult result = exporting::OpenInPlayer(
        m_window.library(), rowTracks(), m_ui.lstSong->GetLstSongSelected(), m_defaultPlayer, m_start);
    showOpenError(int(result.error), result.file);
}

void PlaybackController::cmdMakeM3u_Click()
{
    const exporting::OpenResult result = exporting::OpenAsPlaylist(
        *m_m3u, m_window.library(), rowTracks(), m_ui.lstSong->GetLstSongSelected(), m_defaultPlayer, m_start);
    showOpenError(int(result.error), result.file);
}

void PlaybackController::PicSpectrum_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    int value = m_options.get(prefs::kSpectrumColor);
    const QColor chosen = m_chooseColour ? m_chooseColour(&m_window, ColorFromValue(value)) : QColor();
    if (chosen.isValid()) {
        value = static_cast<int>(ValueFromColor(chosen));
        m_options.set(prefs::kSpectrumColor, value);
    }
    m_ui.PicSpectrum->setProperty("tag", QString::number(value));
    m_spectrum->setColour(ColorFromValue(value));
}

} // namespace quaverly::playback
