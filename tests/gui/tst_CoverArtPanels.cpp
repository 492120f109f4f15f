// Cover art in the main window on the demo iPod (most albums carry a cover
// in their songs' files): the album stage, the now-playing cover and its
// file for other programs, songs without covers, and a song that is a FIFO.
#include "GuiFixture.h"
#include "browser/SongListModel.h"
#include "browser/ui/BrowserListBox.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "media/ui/CoverArtLoader.h"
#include "media/ui/CoverArtPanels.h"
#include "media/ui/CoverView.h"
#include "playback/AudioEngine.h"
#include "playback/MixerDevice.h"
#include "playback/clsVolume.h"
#include "playback/ui/PlaybackController.h"
#include "startup/app/Wiring.h"
#include "tests/support/FakeBackend.h"
#include "tests/support/RecordingPromptService.h"
#include "tools/demoipod/DemoArt.h"
#include "tools/demoipod/WavTone.h"
#include "ui/widgets/ucListView.h"

#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

using namespace quaverly;
using namespace Qt::StringLiterals;

namespace {

QImage coverImage(int seed)
{
    return QImage::fromData(tools::makeCoverPng(seed)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

/// The demo iPod with its song files, the main window, playback on a scripted
/// backend, and the cover panels.
struct Rig
{
    QTemporaryDir dir;
    QTemporaryDir cache;
    database::LoadResult load;
    std::unique_ptr<settings::mdlOptions> options;
    ui::RecordingPromptService prompts;
    std::unique_ptr<browser::frmMain> window;
    playback::PlaybackController* playback = nullptr;
    media::CoverArtPanels* covers = nullptr;

    bool make(const std::function<void(const QString& root)>& change = {})
    {
        QString error;
        if (!dir.isValid() || !cache.isValid() || !tools::makeDemoIpod(dir.path(), {}, &error))
            return false;
        if (change)
            change(dir.path());
        const QString db = device::DevicePath(dir.path()).existing(u"iPod_Control/iTunes/iTunesDB"_s);
        load = database::LoadiTunesDB(db, dir.path());
        load.library.iPodRoot = dir.path();
        options = std::make_unique<settings::mdlOptions>(dir.path());
        window = std::make_unique<browser::frmMain>(load.library, *options, prompts);
        auto engine = std::make_unique<playback::AudioEngine>(std::make_unique<playback::FakeBackend>(), nullptr);
        if (!engine->initialise())
            return false;
        playback = new playback::PlaybackController(
            startup::playbackWindow(*window), *options, prompts, load.playCounts, std::move(engine),
            std::make_unique<playback::clsVolume>(std::make_unique<playback::NullMixer>()));
        startup::wirePlayback(*window, *playback);
        covers = media::CoverArtPanels::attach(startup::coverArtPlace(*window), &playback->control());
        startup::wireCovers(*window, *covers);
        covers->loader().setCacheFolder(cache.path());
        window->resize(1100, 760);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    browser::frmMainUi& ui() { return window->ui(); }
    void clickAlbum(const QString& name)
    {
        browser::BrowserListBox* albums = ui().lstAlbum;
        const QModelIndex index = albums->model()->index(int(albums->entries().indexOf(name)), 0);
        albums->scrollTo(index);
        QTest::mouseClick(albums->viewport(), Qt::LeftButton, {}, albums->visualRect(index).center());
    }
    int rowOfTitle(const QString& title)
    {
        for (int row = 0; row < window->songModel().rowCount(); ++row) {
            if (load.library.Tracks[size_t(window->songModel().trackAt(row))].Title == title)
                return row;
        }
        return -1;
    }
    void play(const QString& title)
    {
        ui().lstSong->setItemSelected(-1, false);
        ui().lstSong->setItemSelected(rowOfTitle(title), true);
        window->lstSong_DblClick();
    }
    bool idle() const { return !covers->busy(); }
};

} // namespace

class tst_CoverArtPanels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theSelectedSongsAlbumAtStart()
    {
        Rig rig;
        QVERIFY(rig.make());
        QVERIFY(rig.covers->albumCover()->isVisible());
        QVERIFY(rig.covers->nowPlayingCover()->isVisible());
        // "[All]" albums, row 0 selected: "Open Road" on "Highway Lines", the demo's first cover.
        QTRY_VERIFY(rig.covers->albumCover()->showsCover());
        QCOMPARE(rig.covers->albumCover()->cover(), coverImage(1));
        QVERIFY(!rig.covers->nowPlayingCover()->showsCover()); // nothing plays yet
        QTRY_VERIFY(rig.idle());
        QCOMPARE(rig.covers->loader().readsStarted(), 1); // nothing of the library is read up front
    }

    void anAlbumClickShowsThatAlbumsCover()
    {
        Rig rig;
        QVERIFY(rig.make());
        rig.clickAlbum(u"Late Set"_s);
        QTRY_COMPARE(rig.covers->albumCover()->cover(), coverImage(3));
        rig.clickAlbum(u"Sketches"_s); // its only song has no cover
        QTRY_VERIFY(rig.idle());
        QVERIFY(!rig.covers->albumCover()->showsCover());
        rig.clickAlbum(u"Late Set"_s); // cached now: no second read
        const int reads = rig.covers->loader().readsStarted();
        QTRY_COMPARE(rig.covers->albumCover()->cover(), coverImage(3));
        QCOMPARE(rig.covers->loader().readsStarted(), reads);
    }

    void aSongWithoutItsFileLendsNoCoverButTheAlbumsNextSongDoes()
    {
        // The first song of "Small Hours" (the sixth cover) is a FIFO on the disk:
        // the read must neither hang nor fail the album.
        Rig rig;
        QVERIFY(rig.make([](const QString& root) {
            const QString db = root + u"/iPod_Control/iTunes/iTunesDB"_s;
            const database::LoadResult load = database::LoadiTunesDB(db, root);
            for (const database::TrackRecord& track : load.library.Tracks) {
                if (track.Album == u"Small Hours"_s) {
                    const QByteArray file = QFile::encodeName(root + track.Path);
                    QFile::remove(root + track.Path);
                    QCOMPARE(::mkfifo(file.constData(), 0600), 0);
                    break;
                }
            }
        }));
        rig.clickAlbum(u"Small Hours"_s);
        QTRY_COMPARE(rig.covers->albumCover()->cover(), coverImage(6));
        QVERIFY(rig.prompts.requests.empty());
    }

    void thePlayingSongsCoverAndItsFile()
    {
        Rig rig;
        QVERIFY(rig.make());
        QSignalSpy files(rig.covers, &media::CoverArtPanels::playingCoverFileChanged);
        rig.play(u"Blue Hour"_s); // "Late Set"
        QTRY_COMPARE(rig.covers->nowPlayingCover()->cover(), coverImage(3));
        QTRY_COMPARE(files.size(), 1);
        const QString file = rig.covers->playingCoverFile();
        QCOMPARE(files.at(0).at(0).toString(), file);
        QVERIFY(file.startsWith(rig.cache.path()));
        QVERIFY(file.endsWith(u".png"_s));
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), tools::makeCoverPng(3)); // as stored in the song
        // For the desktop's media controls: a file URL, for the playing song only.
        const int playing = rig.playback->control().currentTrack();
        QCOMPARE(rig.covers->coverUrlFor(playing), QUrl::fromLocalFile(file).toString());
        QVERIFY(rig.covers->coverUrlFor(playing + 1).isEmpty());
        QVERIFY(rig.covers->coverUrlFor(-1).isEmpty());
        // A song without a cover: the placeholder, and no file for others.
        rig.play(u"Field Recording 1"_s);
        QTRY_VERIFY(rig.idle());
        QVERIFY(!rig.covers->nowPlayingCover()->showsCover());
        QVERIFY(rig.covers->playingCoverFile().isEmpty());
        QVERIFY(rig.covers->coverUrlFor(rig.playback->control().currentTrack()).isEmpty());
        QCOMPARE(files.size(), 2);
    }
};

QTEST_MAIN(tst_CoverArtPanels)
#include "tst_CoverArtPanels.moc"
