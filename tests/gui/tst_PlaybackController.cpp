// Playback in the main window on the demo iPod: a real song through libmpv
// from double-click to the Play Counts update, the rating stars on each kind
// of Play Counts file, the player menu and its window, the hand-over to
// external players, the spectrum colour and the popup.
#include "GuiFixture.h"
#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
#include "export/PlayerLauncher.h"
#include "playback/AudioEngine.h"
#include "playback/MixerDevice.h"
#include "playback/MpvBackend.h"
#include "playback/PlayOrder.h"
#include "playback/clsVolume.h"
#include "playback/ui/BandBarsView.h"
#include "playback/ui/PlaybackController.h"
#include "playback/ui/frmDefaultPlayer.h"
#include "playback/ui/frmPopup.h"
#include "startup/app/Wiring.h"
#include "tests/common/FakeOpener.h"
#include "tests/common/TestFiles.h"
#include "tests/support/FakeBackend.h"
#include "tests/support/RecordingPromptService.h"
#include "tools/testwriter/ITunesDBWriter.h"
#include "ui/PromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtEndian>

using namespace quaverly;
using namespace quaverly::playback;

namespace {

/// The demo iPod (with or without its song files), its main window and playback.
struct Rig
{
    QTemporaryDir dir;
    database::LoadResult load;
    std::unique_ptr<settings::mdlOptions> options;
    ui::RecordingPromptService prompts;
    std::unique_ptr<browser::frmMain> window;
    PlaybackController* playback = nullptr;
    FakeBackend* fake = nullptr;
    std::vector<exporting::PlayerCommand> started;
    bool recordPlayers = true; // false: players start for real (a fake opener on PATH)
    bool startPlayers = true;  // false: they start when first needed, as in the program
    QString libraryMissing;

    bool make(bool realPlayer, bool audio = false)
    {
        QString error;
        tools::DemoOptions demo;
        demo.audio = audio;
        if (!dir.isValid() || !tools::makeDemoIpod(dir.path(), demo, &error))
            return false;
        options = std::make_unique<settings::mdlOptions>(dir.path());
        return reload(realPlayer);
    }
    bool reload(bool realPlayer)
    {
        const QString db = device::DevicePath(dir.path()).existing(QStringLiteral("iPod_Control/iTunes/iTunesDB"));
        load = database::LoadiTunesDB(db, dir.path());
        if (load.error != database::LoadError::None || load.library.TrackCount() == 0)
            return false;
        load.library.iPodRoot = dir.path();
        window.reset();
        window = std::make_unique<browser::frmMain>(load.library, *options, prompts);
        std::unique_ptr<AudioBackend> backend;
        if (realPlayer) {
            backend = std::make_unique<MpvBackend>(MpvOptions { QStringLiteral("null"), true, false });
        } else {
            auto scripted = std::make_unique<FakeBackend>();
            fake = scripted.get();
            if (!libraryMissing.isEmpty())
                scripted->setLibraryMissing(libraryMissing);
            backend = std::move(scripted);
        }
        auto engine = std::make_unique<AudioEngine>(std::move(backend), nullptr);
        if (startPlayers && !engine->initialise())
            return false;
        playback = new PlaybackController(startup::playbackWindow(*window), *options, prompts, load.playCounts,
                                          std::move(engine),
                                          std::make_unique<clsVolume>(std::make_unique<NullMixer>()));
        startup::wirePlayback(*window, *playback);
        if (recordPlayers) {
            playback->setPlayerStarter([this](const exporting::PlayerCommand& command) {
                started.push_back(command);
                return true;
            });
        }
        return true;
    }
    browser::frmMainUi& ui() { return window->ui(); }
    AudioEngine& engine() { return playback->engine(); }
    void selectRow(int row)
    {
        ui().lstSong->setItemSelected(-1, false);
        ui().lstSong->setItemSelected(row, true);
    }
    QString playCountsPath() const
    {
        return device::DevicePath(dir.path()).existing(QStringLiteral("iPod_Control/iTunes/Play Counts"));
    }
    quint32 entryField(int track, int offset) const
    {
        QFile file(playCountsPath());
        if (!file.open(QIODevice::ReadOnly))
            return 0xFFFFFFFFu;
        const QByteArray bytes = file.readAll();
        const int size = static_cast<quint8>(bytes.at(8));
        const qsizetype at = 96 + qsizetype(size) * track + offset;
        return at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0xFFFFFFFFu;
    }
    int fullStars()
    {
        int stars = 0;
        for (const ui::SkinImage* star : ui().nowPlaying->Ratings)
            stars += star->element() == ui::SkinElement::StarFull ? 1 : 0;
        return stars;
    }
};

/// Answers the next colour dialog with `colour` (an invalid one cancels), as a user would.
void answerColourDialog(const QColor& colour, bool* answered)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, colour, answered] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        if (colour.isValid()) {
            dialog->setCurrentColor(colour);
            dialog->accept();
        } else {
            dialog->reject();
        }
        *answered = true;
        poll->deleteLater();
    });
    poll->start();
}

} // namespace

class tst_PlaybackController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void doubleClickPlaysARealSongAndCountsIt()
    {
        Rig rig;
        QVERIFY(rig.make(true, true));
        rig.ui().lstSong->setItemSelected(-1, false);
        rig.ui().lstSong->setItemSelected(0, true);
        const int track = rig.window->songModel().trackAt(0);
        QVERIFY(track >= 0);
        const quint32 before = rig.entryField(track, 0);
        QVERIFY(before != 0xFFFFFFFFu);

        rig.window->lstSong_DblClick();
        const database::TrackRecord& t = rig.load.library.Tracks[size_t(track)];
        QCOMPARE(rig.ui().nowPlaying->lblTitle->text(), t.Title);
        QCOMPARE(rig.ui().nowPlaying->lblTitle->property("tag").toString(), QString::number(t.UIN));
        QCOMPARE(rig.window->menus().mnuNow->text(), t.Artist + QStringLiteral(" - ") + t.Title);
        QVERIFY(rig.ui().nowPlaying->picPlay->isHidden());
        QCOMPARE(rig.window->songModel().cellText(0, 0), QStringLiteral("#"));

        QTRY_COMPARE_WITH_TIMEOUT(rig.entryField(track, 0), before + 1, 15000);
        QVERIFY(rig.entryField(track, 4) > 3'000'000'000u); // last played stamped
        QCOMPARE(rig.playback->control().playedHistory().constFirst(), t.Path);
        QTRY_VERIFY(rig.playback->control().playedHistory().size() >= 2); // the list goes on
        QVERIFY(rig.prompts.requests.empty());
    }

    void missingSongSaysWhyAndMovesOn()
    {
        Rig rig;
        QVERIFY(rig.make(true, false)); // no song files at all
        QSignalSpy failed(&rig.playback->control(), &PlayControl::playbackFailed);
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        const int panel = rig.ui().nowPlaying->fraNow->height();
        rig.ui().lstSong->setItemSelected(-1, false);
        rig.ui().lstSong->setItemSelected(0, true);
        rig.window->lstSong_DblClick();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.playback->control().autoAdvance(), 15000);
        QCOMPARE(rig.playback->control().failuresInRow(), 3);
        QCOMPARE(failed.count(), 3);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("File not found on the iPod"));
        QVERIFY(rig.playback->statusText().contains(QStringLiteral("3 songs in a row")));
        QVERIFY(rig.ui().nowPlaying->lblStatus->isVisible());
        QCOMPARE(rig.ui().nowPlaying->fraNow->height(), panel); // the status line had its room already
        QVERIFY(rig.ui().nowPlaying->picPause->isHidden());
        QCOMPARE(rig.ui().lstSong->GetLstSongSelected(), std::vector<int> { 2 });
    }

    void ratingStars_data()
    {
        QTest::addColumn<int>("entrySize"); // 0: no Play Counts file
        QTest::addColumn<QString>("promptTitle");
        QTest::addColumn<int>("stars");
        QTest::newRow("12-byte entries") << 12 << QStringLiteral("Your iPod does not support this") << -1;
        QTest::newRow("16-byte entries") << 16 << QString() << 3;
        QTest::newRow("40-byte entries") << 40 << QString() << 3;
        QTest::newRow("no Play Counts file") << 0 << QStringLiteral("File Not Found") << -1;
    }
    void ratingStars()
    {
        QFETCH(int, entrySize);
        QFETCH(QString, promptTitle);
        QFETCH(int, stars);
        Rig rig;
        QVERIFY(rig.make(false));
        const QString path = rig.playCountsPath();
        QVERIFY(!path.isEmpty());
        const int tracks = rig.load.library.TrackCount();
        if (entrySize == 0)
            QVERIFY(QFile::remove(path));
        else
            QVERIFY(tools::writeFileBytes(
                path, tools::writePlayCounts(entrySize, std::vector<tools::PlayCountEntry>(size_t(tracks)))));
        QVERIFY(rig.reload(false));

        rig.playback->Ratings_Click(2); // nothing plays: nothing happens
        QVERIFY(rig.prompts.requests.empty());

        rig.selectRow(1);
        rig.window->picPlay_Click();
        const int track = rig.playback->control().currentTrack();
        QCOMPARE(track, rig.window->songModel().trackAt(1));
        const int databaseStars = rig.load.library.Tracks[size_t(track)].Rating;
        rig.playback->Ratings_Click(2);
        if (promptTitle.isEmpty()) {
            QVERIFY(rig.prompts.requests.empty());
            QCOMPARE(rig.entryField(track, 12) & 0xFFFF, 60u);
            QCOMPARE(rig.fullStars(), stars);
        } else {
            QCOMPARE(rig.prompts.requests.size(), size_t(1));
            QCOMPARE(rig.prompts.requests.front().title, promptTitle);
            QCOMPARE(rig.fullStars(), databaseStars); // the database's rating stays shown
        }
    }

    // The Rating column, its sort and the search show what the stars show:
    // the Play Counts rating where the iPod has one, from the start, after a
    // click on a star, and after a restart. The database is never touched.
    void ratingColumnFollowsTheStars()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        const int tracks = rig.load.library.TrackCount();
        std::vector<tools::PlayCountEntry> entries(static_cast<size_t>(tracks));
        const int rated = rig.window->songModel().trackAt(0);
        const int databaseStars = rig.load.library.Tracks[size_t(rated)].Rating;
        entries[size_t(rated)].rating = databaseStars == 1 ? 40 : 20; // one or two stars on the iPod
        const int iPodStars = databaseStars == 1 ? 2 : 1;
        QVERIFY(tools::writeFileBytes(rig.playCountsPath(), tools::writePlayCounts(16, entries)));
        const QString db = device::DevicePath(rig.dir.path()).existing(QStringLiteral("iPod_Control/iTunes/iTunesDB"));
        const QByteArray database = test::readAll(db);
        QVERIFY(rig.reload(false));
        const int ratingColumn = static_cast<int>(browser::Column::Rating);
        const auto shownRating = [&rig, ratingColumn](int track) {
            browser::SongListModel& model = rig.window->songModel();
            for (int row = 0; row < model.rowCount(); ++row) {
                if (model.trackAt(row) == track)
                    return rig.ui().lstSong->SubItemText(row, ratingColumn);
            }
            return QString();
        };
        QCOMPARE(shownRating(rated), QString::number(iPodStars));

        // Rate the song that plays with the real star under the title.
        rig.selectRow(0);
        rig.window->picPlay_Click();
        QCOMPARE(rig.playback->control().currentTrack(), rated);
        const int newStars = databaseStars == 3 ? 2 : 3; // neither the database's nor the iPod's
        QTest::mouseClick(rig.ui().nowPlaying->Ratings[newStars - 1], Qt::LeftButton);
        QCOMPARE(rig.fullStars(), newStars);
        QCOMPARE(shownRating(rated), QString::number(newStars));

        // The header click sorts by the stars shown; the search finds them.
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        QTest::mouseClick(rig.ui().lstSong->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(rig.ui().lstSong->horizontalHeader()->sectionViewportPosition(ratingColumn) + 5, 5));
        QStringList column;
        for (int row = 0; row < rig.window->songModel().rowCount(); ++row)
            column.append(rig.ui().lstSong->SubItemText(row, ratingColumn));
        QStringList sorted = column;
        sorted.sort();
        QCOMPARE(column, sorted);
        QTest::keyClicks(rig.ui().txtSearch,
                         rig.load.library.Tracks[size_t(rated)].Title + u' ' + QString::number(newStars));
        QCOMPARE(shownRating(rated), QString::number(newStars));
        rig.ui().txtSearch->clear();

        // After a restart the column still shows the stars.
        QVERIFY(rig.reload(false));
        QCOMPARE(shownRating(rated), QString::number(newStars));
        QCOMPARE(test::readAll(db), database);
    }

    void playerMenuFromTheStore()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        QTemporaryDir programs;
        const QString player = programs.filePath(QStringLiteral("my player"));
        QVERIFY(QFile(player).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(player, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        rig.options->SaveOption(QStringLiteral("PlayerCount"), QStringLiteral("2"));
        rig.options->SaveOption(QStringLiteral("PlayerPlayer1"), player);
        rig.options->SaveOption(QStringLiteral("PlayerDefaultPlayer"), player.toUpper());
        rig.playback->LoadPlayers();
        const QList<QAction*>& items = rig.window->menus().mnuPlayer;
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.at(1)->text(), QStringLiteral("my player"));
        QCOMPARE(items.at(2)->text(), QString()); // the missing key: an empty path, shown as it is
        // The stored default matches its item whatever the letter case.
        QVERIFY(!items.at(0)->isChecked());
        QVERIFY(items.at(1)->isChecked() || player != player.toUpper());
        rig.playback->mnuPlayer_Click(1);
        QVERIFY(items.at(1)->isChecked());
        QCOMPARE(rig.playback->defaultPlayerPath(), player);
        // "[Default Player]" makes the associated program the choice again.
        rig.playback->mnuPlayer_Click(0);
        QVERIFY(items.at(0)->isChecked());
        QVERIFY(!items.at(1)->isChecked());
        QVERIFY(rig.playback->defaultPlayerPath().isEmpty());
        QVERIFY(rig.options->GetOption(QStringLiteral("PlayerDefaultPlayer"), QString()).isEmpty());
    }

    void playersWindowStoresItsList()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        QTemporaryDir programs;
        QStringList paths;
        for (const char* name : { "one", "two", "three" }) {
            paths << programs.filePath(QLatin1String(name));
            QVERIFY(QFile(paths.constLast()).open(QIODevice::WriteOnly));
            QVERIFY(QFile::setPermissions(paths.constLast(), QFile::ReadOwner | QFile::ExeOwner));
        }
        const QString notAProgram = programs.filePath(QStringLiteral("notes.txt"));
        QVERIFY(QFile(notAProgram).open(QIODevice::WriteOnly));
        int loads = 0;
        {
            frmDefaultPlayer players(*rig.options, rig.prompts, [&loads] { ++loads; });
            QStringList answers = paths;
            answers.insert(1, notAProgram);
            answers.insert(2, QString()); // cancelled
            players.setFileChooser([&answers](QWidget*) { return answers.takeFirst(); });
            for (int i = 0; i < 5; ++i)
                players.cmdAdd_Click();
            QCOMPARE(players.players(), paths);
            QCOMPARE(rig.prompts.requests.size(), size_t(1)); // the file that is no program was refused
            QVERIFY(rig.prompts.requests[0].text.contains(notAProgram));
            players.reject();
        }
        QCOMPARE(loads, 1);
        QCOMPARE(rig.options->GetOption(QStringLiteral("PlayerCount"), QString()), QStringLiteral("3"));
        {
            frmDefaultPlayer players(*rig.options, rig.prompts, {});
            auto* list = players.findChild<QListWidget*>(QStringLiteral("lstPlayers"));
            QVERIFY(list);
            players.cmdRemovePlayer_Click(); // nothing selected: nothing removed
            QCOMPARE(players.players().size(), 3);
            list->setCurrentRow(2);
            players.cmdRemovePlayer_Click();
            players.reject();
        }
        QCOMPARE(rig.options->GetOption(QStringLiteral("PlayerCount"), QString()), QStringLiteral("2"));
        QCOMPARE(rig.options->GetOption(QStringLiteral("PlayerPlayer3"), QString()), paths.at(2)); // kept, unread
    }

    void openAndPlaylistHandOver()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        rig.ui().lstSong->setItemSelected(-1, false);
        rig.playback->cmdOpen_Click();
        rig.playback->cmdMakeM3u_Click();
        QVERIFY(rig.started.empty()); // nothing selected: nothing written, nothing started

        rig.selectRow(2);
        rig.playback->cmdOpen_Click();
        QCOMPARE(rig.started.size(), size_t(1));
        QCOMPARE(rig.started[0].program, exporting::kDesktopOpener.toString());
        const int track = rig.window->songModel().trackAt(2);
        QCOMPARE(rig.started[0].arguments,
                 QStringList { rig.playback->control().devicePath(rig.load.library.Tracks[size_t(track)].Path) });

        const QString player = QStringLiteral("/opt/a player/bin/play er");
        rig.options->SaveOption(QStringLiteral("PlayerDefaultPlayer"), player);
        rig.playback->SetDefaultPlayer();
        rig.playback->cmdMakeM3u_Click();
        QCOMPARE(rig.started.size(), size_t(2));
        QCOMPARE(rig.started[1].program, player);
        QCOMPARE(rig.started[1].arguments.size(), 1); // one argument, blanks and all
        QFile playlist(rig.started[1].arguments.constFirst());
        QVERIFY(playlist.open(QIODevice::ReadOnly));
        const QByteArray m3u = playlist.readAll();
        QVERIFY(m3u.startsWith("#EXTM3U\n"));
        QCOMPARE(m3u.count("\n#EXTINF:"), rig.window->songModel().rowCount()); // a name for every song
        QCOMPARE(m3u.count('\n'), 1 + 2 * rig.window->songModel().rowCount());
    }

    // "[Default Player]" hands the song to the desktop's opener; when that
    // finds no program, the user is told what and why.
    void theDefaultPlayerSaysWhenNothingOpens()
    {
        Rig rig;
        rig.recordPlayers = false;
        QVERIFY(rig.make(false, true)); // with the song files
        rig.selectRow(1);
        const QString song = rig.dir.path() + rig.load.library.Tracks[size_t(rig.window->songModel().trackAt(1))].Path;
        {
            test::FakeOpener opener(test::FakeOpener::Kind::Succeeds);
            QVERIFY(opener.ready());
            rig.window->cmdOpen_Click();
            QTRY_VERIFY(!opener.opened().isEmpty());
            QCOMPARE(QFileInfo(opener.opened().trimmed()).fileName().toLower(), QFileInfo(song).fileName().toLower());
            QTRY_VERIFY(opener.handled());
            QVERIFY(rig.prompts.requests.empty());
        }
        test::FakeOpener failing(test::FakeOpener::Kind::Fails, "xdg-open: no method available for opening it", 3);
        rig.window->cmdOpen_Click();
        QTRY_COMPARE(rig.prompts.requests.size(), size_t(1));
        QVERIFY(rig.prompts.requests[0].text.contains(QStringLiteral("no method available")));
        QVERIFY(rig.prompts.requests[0].text.contains(QFileInfo(song).fileName(), Qt::CaseInsensitive));
    }

    void spectrumSwitchAndColour()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        QAction* spectrum = rig.window->menus().mnuSpectrum;
        spectrum->trigger();
        QVERIFY(rig.ui().nowPlaying->picVolume->isHidden());
        QVERIFY(!rig.playback->spectrum()->animating()); // nothing started yet: no redraws
        rig.selectRow(0);
        rig.window->picPlay_Click();
        QVERIFY(rig.playback->spectrum()->animating());
        rig.playback->spectrum()->setLevels({ -60.0, -30.0, 0.0, 12.0 });
        QTRY_COMPARE(rig.playback->spectrum()->bars(), (std::vector<double> { 0.0, 0.5, 1.0, 1.0 }));
        spectrum->trigger();
        QVERIFY(!rig.ui().nowPlaying->picVolume->isHidden());
        QVERIFY(!rig.playback->spectrum()->animating());

        QCOMPARE(colorFromValue(16711680), QColor(0, 0, 255)); // the stored default is blue
        QCOMPARE(rig.ui().nowPlaying->PicSpectrum->property("tag").toString(), QStringLiteral("16711680"));
        rig.playback->setColourChooser([](QWidget*, const QColor&) { return QColor(255, 128, 0); });
        rig.playback->PicSpectrum_MouseUp(Qt::RightButton);
        const QString stored = QString::number(255 + 128 * 256);
        QCOMPARE(rig.options->GetOption(QStringLiteral("SpectrumColor"), QString()), stored);
        QCOMPARE(rig.ui().nowPlaying->PicSpectrum->property("tag").toString(), stored);
        rig.playback->setColourChooser([](QWidget*, const QColor&) { return QColor(); }); // cancelled
        rig.ui().nowPlaying->PicSpectrum->setProperty("tag", QStringLiteral("1"));
        rig.playback->PicSpectrum_MouseUp(Qt::RightButton);
        QCOMPARE(rig.options->GetOption(QStringLiteral("SpectrumColor"), QString()), stored);
        QCOMPARE(rig.ui().nowPlaying->PicSpectrum->property("tag").toString(), stored);
    }

    void programWiringStartsThePlayersAfterTheWindowIsShown()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        // The window of the program: libmpv under the null output, the system mixer.
        auto window = std::make_unique<browser::frmMain>(rig.load.library, *rig.options, rig.prompts);
        PlaybackController* wired = PlaybackController::attach(startup::playbackWindow(*window), rig.load, *rig.options,
                                                               rig.prompts);
        startup::wirePlayback(*window, *wired);
        QCOMPARE(wired->engine().players(), AudioEngine::Players::NotStarted);
        QCOMPARE(wired->volume().source(), VolumeControl::Source::Undecided);
        // Not before it is shown: whatever the start waited for would come within this time.
        const bool startedHidden = QTest::qWaitFor(
            [&] { return wired->engine().players() != AudioEngine::Players::NotStarted; }, 300);
        QVERIFY(!startedHidden);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(wired->engine().players(), AudioEngine::Players::NotStarted); // the window comes first
        QTRY_COMPARE_WITH_TIMEOUT(wired->engine().players(), AudioEngine::Players::Ready, 15000);
        QVERIFY(wired->engine().secondPlayerReady());
        QCOMPARE(wired->volume().source(), VolumeControl::Source::PlayerVolume); // no mixer under the null output
        QVERIFY(rig.prompts.requests.empty());
        auto* video = window->findChild<QWidget*>(QStringLiteral("frmQuicktime"));
        QVERIFY(video != nullptr);
        QVERIFY(video->isHidden()); // offscreen: videos play as sound only
    }

    void volumeSliderWorksBeforeThePlayersStart()
    {
        Rig rig;
        rig.startPlayers = false;
        QVERIFY(rig.make(false));
        rig.fake->holdLibraries(); // libmpv is slow to load
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        QCOMPARE(rig.ui().nowPlaying->picVolume->fraction(), 1.0); // nothing stored yet: full
        ui::BarControl* slider = rig.ui().nowPlaying->picVolume;
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 4, slider->height() / 2));
        QCOMPARE(rig.engine().players(), AudioEngine::Players::NotStarted);
        QCOMPARE(rig.fake->loadThread(), nullptr);
        QVERIFY(qAbs(rig.engine().volume() - 25) <= 2);
        const int chosen = rig.engine().volume();
        rig.playback->tmrPosition_Timer(); // the slider stays where it was put
        QCOMPARE(qRound(slider->fraction() * 100), chosen);
        QTRY_COMPARE(rig.options->GetOption(QStringLiteral("Volume"), QString()), QString::number(chosen));

        // The first song starts the players in the background; they get the level.
        rig.selectRow(0);
        rig.window->picPlay_Click();
        QCOMPARE(rig.engine().players(), AudioEngine::Players::Starting);
        QVERIFY(rig.ui().nowPlaying->picPlay->isHidden()); // the window goes on as if it played
        rig.fake->releaseLibraries();
        QTRY_COMPARE(rig.engine().players(), AudioEngine::Players::Ready);
        QCOMPARE(rig.fake->volume(), chosen);
        QCOMPARE(rig.engine().state(), BackendState::Playing);
        QVERIFY(rig.prompts.requests.empty()); // no "No mixer found!": the slider has the players' volume

        // The next start shows the stored level.
        QVERIFY(rig.reload(false));
        QCOMPARE(qRound(rig.playback->volume().fraction() * 100), chosen);
    }

    void spectrumColourFromTheSlidersMenu()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        QVERIFY(rig.ui().nowPlaying->PicSpectrum->isHidden()); // the spectrum is off
        ui::BarControl* slider = rig.ui().nowPlaying->picVolume;
        const QPoint middle(slider->width() / 2, slider->height() / 2);

        // Right click on the slider, "Spectrum Analyser Color", pick a colour in the real dialog.
        QTest::mouseClick(rig.window->windowHandle(), Qt::RightButton, {}, slider->mapTo(rig.window.get(), middle));
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QCOMPARE(menu->objectName(), QStringLiteral("mnuVolumePlace"));
        QAction* colour = rig.window->menus().mnuSpecColor;
        QVERIFY(menu->actions().contains(colour));
        bool answered = false;
        answerColourDialog(QColor(10, 200, 30), &answered);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(colour).center());
        QTRY_VERIFY(answered);
        const QString stored = QString::number(10 + 200 * 256 + 30 * 65536);
        QTRY_COMPARE(rig.options->GetOption(QStringLiteral("SpectrumColor"), QString()), stored);
        QCOMPARE(rig.ui().nowPlaying->PicSpectrum->property("tag").toString(), stored);
        QCOMPARE(rig.playback->spectrum()->colour(), QColor(10, 200, 30));
        QVERIFY(rig.ui().nowPlaying->PicSpectrum->isHidden()); // and the spectrum is still off

        // The same menu turns the spectrum on; then its own right click chooses the colour.
        QTest::mouseClick(rig.window->windowHandle(), Qt::RightButton, {}, slider->mapTo(rig.window.get(), middle));
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(rig.window->menus().mnuSpectrum).center());
        QTRY_VERIFY(!rig.ui().nowPlaying->PicSpectrum->isHidden());
        QVERIFY(slider->isHidden());
        answered = false;
        answerColourDialog(QColor(), &answered); // cancelled
        BandBarsView* area = rig.playback->spectrum();
        QTest::mouseClick(area, Qt::RightButton, {}, QPoint(area->width() / 2, area->height() / 2));
        QTRY_VERIFY(answered);
        QCOMPARE(rig.options->GetOption(QStringLiteral("SpectrumColor"), QString()), stored);
    }

    void noMixerMessageOnlyWhenNothingCanPlay_data()
    {
        QTest::addColumn<bool>("libmpvMissing");
        QTest::newRow("players' volume instead") << false;
        QTest::newRow("libmpv missing too") << true;
    }
    void noMixerMessageOnlyWhenNothingCanPlay()
    {
        QFETCH(bool, libmpvMissing);
        Rig rig;
        rig.startPlayers = false;
        if (libmpvMissing)
            rig.libraryMissing = QStringLiteral("Songs cannot be played: the library libmpv is not installed.");
        QVERIFY(rig.make(false));
        rig.playback->setReportMissingMixer(true);
        QVERIFY(rig.prompts.requests.empty()); // nothing is said before the players start
        rig.playback->preparePlayback();
        QTRY_VERIFY(rig.engine().players() == AudioEngine::Players::Ready
                    || rig.engine().players() == AudioEngine::Players::Unavailable);
        QCOMPARE(rig.playback->volume().source(), VolumeControl::Source::PlayerVolume);
        QCoreApplication::processEvents();
        QCOMPARE(rig.prompts.requests.size(), size_t(libmpvMissing ? 1 : 0));
        if (libmpvMissing) {
            QCOMPARE(rig.prompts.requests.front().text, QStringLiteral("No mixer found!"));
            // Playing says what is missing, in the now-playing area.
            rig.selectRow(0);
            rig.window->picPlay_Click();
            QTRY_COMPARE(rig.playback->statusText(), rig.libraryMissing);
            QVERIFY(!rig.ui().nowPlaying->picPlay->isHidden());
        }
    }

    void popupNeverTakesTheFocus()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        rig.window->show();
        rig.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        rig.window->menus().mnuSongPopup->setChecked(true);
        rig.selectRow(0);
        rig.window->picPlay_Click();
        QPointer<frmPopup> popup = rig.playback->popup();
        QVERIFY(popup);
        QVERIFY(popup->isVisible());
        QVERIFY(popup->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        // A window that takes the focus is activated on its way onto the screen.
        QVERIFY(QTest::qWaitForWindowExposed(popup.data()));
        QCOMPARE(QApplication::activeWindow(), rig.window.get());
        const database::TrackRecord& t = rig.load.library.Tracks[size_t(rig.playback->control().currentTrack())];
        QCOMPARE(popup->text(), t.Title + QStringLiteral(" - ") + t.Artist);
        popup->ShowPopup(QString(), QString());
        QCOMPARE(popup->text(), QStringLiteral(" - "));
        QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), 6000); // gone after its 3 s and the slide
    }

    void positionBarTimesAndSeeking()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        rig.selectRow(0);
        const database::TrackRecord& t = rig.load.library.Tracks[size_t(rig.window->songModel().trackAt(0))];
        rig.fake->setDuration(rig.playback->control().devicePath(t.Path), 125000);
        rig.window->picPlay_Click();
        rig.fake->advance(65000);
        rig.playback->tmrPosition_Timer();
        QCOMPARE(rig.ui().nowPlaying->lblElapsed->text(), QStringLiteral("1:05"));
        QCOMPARE(rig.ui().nowPlaying->lblTime->text(), QStringLiteral("Length: ") + ConvertToTime(t.Length));
        QCOMPARE(rig.ui().nowPlaying->lblRemaining->text(),
                 remainingText(rig.ui().nowPlaying->lblTime->text(), QStringLiteral("1:05")));

        ui::BarControl* bar = rig.ui().nowPlaying->PicPosition;
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
        const QString seek = rig.fake->calls().filter(QStringLiteral("seek:")).value(0);
        QVERIFY2(!seek.isEmpty(), "pressing on the bar seeks");
        const qint64 target = seek.mid(5).toLongLong();
        QVERIFY(qAbs(target - 125000 / 4) < 125000 / 50); // within a pixel or two of a quarter
        QCOMPARE(rig.engine().positionMs(), target);
    }

    void trayItemsFollowPlayback()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        browser::frmMenus& menus = rig.window->menus();
        QVERIFY(menus.mnuPlay->isEnabled() && !menus.mnuPause->isEnabled());
        rig.selectRow(0);
        menus.mnuPlay->trigger();
        QVERIFY(!menus.mnuPlay->isEnabled() && menus.mnuPause->isEnabled());
        QVERIFY(rig.ui().nowPlaying->picPlay->isHidden() && !rig.ui().nowPlaying->picPause->isHidden());
        menus.mnuPause->trigger();
        QVERIFY(menus.mnuPlay->isEnabled() && !menus.mnuPause->isEnabled());
        QVERIFY(!rig.ui().nowPlaying->picPlay->isHidden() && rig.ui().nowPlaying->picPause->isHidden());
        menus.mnuNext->trigger();
        QCOMPARE(rig.ui().lstSong->GetLstSongSelected(), std::vector<int> { 1 });
        QCOMPARE(rig.engine().currentFile(),
                 rig.playback->control().devicePath(
                     rig.load.library.Tracks[size_t(rig.window->songModel().trackAt(1))].Path));
    }

    void shiftOnShuffleTakesANewStartTick()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        rig.playback->control().setShuffleTick(-1);
        QTest::keyPress(rig.ui().nowPlaying->chkShuffle, Qt::Key_Shift);
        QVERIFY(rig.playback->control().shuffleTick() >= 0);
    }

    void playOrderOptionsAreStoredAndRestored()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        QVERIFY(!rig.ui().nowPlaying->optRptOne->isEnabled());
        rig.ui().nowPlaying->chkRepeat->click();
        QVERIFY(rig.ui().nowPlaying->optRptOne->isEnabled() && rig.ui().nowPlaying->optRptAll->isEnabled());
        rig.ui().nowPlaying->optRptOne->click();
        rig.ui().nowPlaying->chkShuffle->click();
        QCOMPARE(rig.options->GetOption(QStringLiteral("Repeat"), QString()), QStringLiteral("1"));
        QCOMPARE(rig.options->GetOption(QStringLiteral("RepeatType"), QString()), QStringLiteral("One"));
        QCOMPARE(rig.options->GetOption(QStringLiteral("Shuffle"), QString()), QStringLiteral("1"));
        QVERIFY(rig.reload(false));
        QVERIFY(rig.ui().nowPlaying->chkRepeat->isChecked() && rig.ui().nowPlaying->optRptOne->isChecked()
                && rig.ui().nowPlaying->chkShuffle->isChecked());
        QVERIFY(rig.playback->control().repeat() && rig.playback->control().repeatOne());
        QVERIFY(rig.playback->control().shuffle());
    }

    void handEditedPlayOrderAndColourAreUnderstood()
    {
        Rig rig;
        QVERIFY(rig.make(false));
        // The check boxes write "0"/"1", but a Boolean word is still a Boolean;
        // a colour that is no number is the default colour, not black.
        QVERIFY(rig.options->SaveOption(QStringLiteral("Shuffle"), QStringLiteral("True")));
        QVERIFY(rig.options->SaveOption(QStringLiteral("Repeat"), QStringLiteral("-1")));
        QVERIFY(rig.options->SaveOption(QStringLiteral("RepeatType"), QStringLiteral("one")));
        QVERIFY(rig.options->SaveOption(QStringLiteral("SpectrumColor"), QStringLiteral("red")));
        QVERIFY(rig.reload(false));
        QVERIFY(rig.ui().nowPlaying->chkShuffle->isChecked() && rig.playback->control().shuffle());
        QVERIFY(rig.ui().nowPlaying->chkRepeat->isChecked() && rig.ui().nowPlaying->optRptOne->isChecked());
        QCOMPARE(rig.ui().nowPlaying->PicSpectrum->property("tag").toString(), QStringLiteral("16711680"));
        rig.ui().nowPlaying->chkShuffle->click(); // and written back the way the check box writes it
        QCOMPARE(rig.options->GetOption(QStringLiteral("Shuffle"), QString()), QStringLiteral("0"));
    }
};

QTEST_MAIN(tst_PlaybackController)
#include "tst_PlaybackController.moc"
