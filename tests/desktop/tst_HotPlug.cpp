// iPods mounted and unmounted while the main window is open, as a stand-in
// UDisks2 daemon on a private bus reports them: the offer to open a new iPod,
// and the window once the open iPod's volume is gone.
#include "../gui/GuiFixture.h"
#include "FakeUDisks.h"
#include "PrivateBus.h"
#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
#include "desktop/IpodMountTracker.h"
#include "desktop/ui/DesktopIntegration.h"
#include "desktop/ui/HotPlug.h"
#include "devicetools/ui/ToolWindows.h"
#include "devicetools/ui/frmiPodHacks.h"
#include "export/ui/ExportWindows.h"
#include "export/ui/frmExtract.h"
#include "playback/AudioEngine.h"
#include "playback/MixerDevice.h"
#include "playback/PlayControl.h"
#include "playback/clsVolume.h"
#include "playback/ui/PlaybackController.h"
#include "startup/app/Wiring.h"
#include "tests/support/FakeBackend.h"
#include "tests/support/RecordingPromptService.h"
#include "ui/PromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace quaverly;
using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Rig
{
    testing::DemoIpod ipod; // the open iPod, "mounted" at its folder as sdb1
    ui::RecordingPromptService prompts;
    std::unique_ptr<browser::frmMain> window;
    playback::PlaybackController* playback = nullptr;
    playback::FakeBackend* fake = nullptr;
    DesktopIntegration* desktop = nullptr;
    exporting::ExportWindows* exports = nullptr;
    QStringList opened; // what the flow was asked to open

    bool make(testing::FakeUDisks* udisks)
    {
        if (!ipod.make())
            return false;
        if (udisks)
            udisks->preset(u"sdb1"_s, { ipod.dir.path() });
        window = std::make_unique<browser::frmMain>(ipod.load.library, *ipod.options, prompts);
        auto backend = std::make_unique<playback::FakeBackend>();
        fake = backend.get();
        auto engine = std::make_unique<playback::AudioEngine>(std::move(backend), nullptr);
        if (!engine->initialise())
            return false;
        playback = new playback::PlaybackController(
            startup::playbackWindow(*window), *ipod.options, prompts, ipod.load.playCounts, std::move(engine),
            std::make_unique<playback::clsVolume>(std::make_unique<playback::NullMixer>()));
        startup::wirePlayback(*window, *playback);
        auto* tools = devicetools::ToolWindows::attach(startup::toolWindowsPlace(*window), *ipod.options, prompts);
        startup::wireToolWindows(*window, *tools);
        desktop = new DesktopIntegration(startup::desktopPlace(*window, *playback), *ipod.options, prompts,
                                         [this](const QString& root) { opened.append(root); });
        startup::wireDesktop(*desktop, *window);
        startup::wireDesktop(*desktop, *tools);
        exports = new exporting::ExportWindows(*window, ipod.load.library, *ipod.options, prompts);
        startup::wireExportWindows(*window, *exports);
        startup::wireDesktop(*desktop, *exports);
        QSignalSpy watching(&desktop->hotPlug(), &HotPlug::watching);
        desktop->startHotPlug(QDBusConnection::sessionBus());
        return watching.count() > 0 || watching.wait(10000);
    }
    browser::frmMainUi& ui() { return window->ui(); }
    void selectRow(int row)
    {
        ui().lstSong->setItemSelected(-1, false);
        ui().lstSong->setItemSelected(row, true);
    }
    [[nodiscard]] QString playCountsPath() const
    {
        return device::DevicePath(ipod.dir.path()).existing(u"iPod_Control/iTunes/Play Counts"_s);
    }
    [[nodiscard]] QStringList promptTitles() const
    {
        QStringList titles;
        for (const ui::PromptRequest& request : prompts.requests)
            titles.append(request.title);
        return titles;
    }
};

} // namespace

class tst_HotPlug : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QUAVERLY_REQUIRE_PRIVATE_BUS(); }

    void newIpodIsOfferedAndOpened()
    {
        testing::FakeUDisks udisks;
        QVERIFY(udisks.isRegistered());
        Rig rig;
        QVERIFY(rig.make(&udisks));
        QCOMPARE(rig.desktop->hotPlug().source(), u"udisks"_s);
        testing::DemoIpod other;
        QVERIFY(other.make());
        QTemporaryDir stick; // a volume that is no iPod
        QVERIFY(stick.isValid());

        udisks.add(u"sdc1"_s, { stick.path() });
        udisks.add(u"sdd1"_s, {}); // plugged in, not mounted yet
        rig.prompts.answers = { ui::PromptAnswer::Yes };
        udisks.setMountPoints(u"sdd1"_s, { other.dir.path() });
        QTRY_COMPARE(rig.opened, QStringList { other.dir.path() });
        QCOMPARE(rig.promptTitles(), QStringList { u"iPod Found"_s }); // the stick was not offered
        const ui::PromptRequest& offer = rig.prompts.requests.front();
        QCOMPARE(offer.buttons, ui::PromptButtons::YesNo);
        QCOMPARE(offer.text, HotPlug::offerText(other.dir.path(), false));
        QVERIFY(offer.text.contains(u"will be closed"_s));
        // The window's options stay with the iPod that is closed.
        QVERIFY(rig.ipod.prefsText().contains(u"mnuEmbedded=True"_s));
    }

    void declinedOfferChangesNothing()
    {
        testing::FakeUDisks udisks;
        QVERIFY(udisks.isRegistered());
        Rig rig;
        QVERIFY(rig.make(&udisks));
        testing::DemoIpod other;
        QVERIFY(other.make());
        rig.prompts.answers = { ui::PromptAnswer::No };
        udisks.add(u"sdd1"_s, { other.dir.path() });
        QTRY_COMPARE(rig.prompts.requests.size(), size_t(1));
        QVERIFY(rig.opened.isEmpty());
        QVERIFY(rig.ipod.prefsText().isEmpty()); // nothing saved for it
        QVERIFY(!rig.desktop->hotPlug().banner()->isVisibleTo(rig.window.get()));
    }

    void openIpodUnmountedStopsPlayingAndWriting()
    {
        testing::FakeUDisks udisks;
        QVERIFY(udisks.isRegistered());
        Rig rig;
        QVERIFY(rig.make(&udisks));
        QSignalSpy failed(&rig.playback->control(), &playback::PlayControl::playbackFailed);
        rig.selectRow(0);
        rig.window->lstSong_DblClick();
        QCOMPARE(rig.fake->calls().filter(u"open:"_s).size(), 1);
        rig.window->menus().mnuEject->setChecked(true);
        rig.window->menus().mnuHacks->trigger();
        QPointer<devicetools::frmiPodHacks> hacks = rig.window->findChild<devicetools::frmiPodHacks*>();
        QVERIFY(hacks && hacks->isVisible());
        hacks->close(); // modal: the extraction window is opened after it
        rig.window->cmdExtract_Click();
        QPointer<exporting::frmExtract> extract = rig.exports->extractWindow();
        QVERIFY(extract && extract->isVisible());
        rig.window->menus().mnuHacks->trigger();
        hacks = rig.window->findChild<devicetools::frmiPodHacks*>();
        QVERIFY(hacks && hacks->isVisible());
        const QByteArray playCounts = fileBytes(rig.playCountsPath());
        QVERIFY(!playCounts.isEmpty());
        const QByteArray prefs = rig.ipod.prefsText().toUtf8();

        udisks.setMountPoints(u"sdb1"_s, {}); // unmounted from outside
        QTRY_VERIFY(rig.desktop->hotPlug().tracker().openIpodGone());
        QCOMPARE(rig.fake->calls().constLast(), u"stop"_s); // the player let go of the file
        QVERIFY(rig.ui().nowPlaying->picPause->isHidden());
        QVERIFY(!rig.playback->control().autoAdvance());
        QLabel* banner = rig.desktop->hotPlug().banner();
        QVERIFY(banner->isVisibleTo(rig.window.get()));
        QCOMPARE(banner->text(), HotPlug::unmountedText(rig.ipod.dir.path()));
        QTRY_VERIFY(hacks.isNull() || !hacks->isVisible()); // its tool windows closed
        QTRY_VERIFY(extract.isNull() || !extract->isVisible());
        const browser::frmMenus& m = rig.window->menus();
        for (const QAction* action : { m.mnuHacks, m.mnuiPodInfo, m.mnuCheckForDuplicates, m.mnuCheckForMissing,
                                       m.mnuEjectAndClose, m.mnuExtract, m.mnuInExternal, m.mnuEject })
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        QVERIFY(!m.mnuEject->isChecked()); // no eject of a volume that is not there
        QVERIFY(!rig.ui().cmdExtract->isEnabled());
        QVERIFY(!rig.ui().cmdOpen->isEnabled());

        // Playing another song is refused with the reason, not tried file by file.
        rig.selectRow(1);
        rig.window->lstSong_DblClick();
        rig.window->picPlay_Click();
        rig.playback->control().next();
        QCOMPARE(rig.fake->calls().filter(u"open:"_s).size(), 1);
        QVERIFY(failed.count() >= 2);
        QCOMPARE(failed.constLast().at(0).toString(), u"The iPod is not mounted any more"_s);

        // Nothing more is written to the iPod: no rating, no play, no preferences.
        rig.playback->Ratings_Click(4);
        rig.fake->endOfFile();
        rig.ui().nowPlaying->chkShuffle->setChecked(!rig.ui().nowPlaying->chkShuffle->isChecked());
        rig.window->close();
        QCOMPARE(fileBytes(rig.playCountsPath()), playCounts);
        QCOMPARE(rig.ipod.prefsText().toUtf8(), prefs);
        QVERIFY(rig.prompts.requests.empty());
    }

    void sameIpodBackIsOfferedAgain()
    {
        testing::FakeUDisks udisks;
        QVERIFY(udisks.isRegistered());
        Rig rig;
        QVERIFY(rig.make(&udisks));
        udisks.remove(u"sdb1"_s); // pulled out without unmounting
        QTRY_VERIFY(rig.desktop->hotPlug().tracker().openIpodGone());
        rig.prompts.answers = { ui::PromptAnswer::Yes };
        udisks.add(u"sdb1"_s, { rig.ipod.dir.path() });
        QTRY_COMPARE(rig.opened, QStringList { rig.ipod.dir.path() });
        QCOMPARE(rig.prompts.requests.front().text, HotPlug::offerText(rig.ipod.dir.path(), true));
        QVERIFY(!rig.prompts.requests.front().text.contains(u"will be closed"_s));
    }

    void withoutUDisksTheMountTableIsWatched()
    {
        Rig rig;
        QVERIFY(rig.make(nullptr)); // nothing owns org.freedesktop.UDisks2 on this bus
        QCOMPARE(rig.desktop->hotPlug().source(), u"mountinfo"_s);
        QVERIFY(rig.prompts.requests.empty());
    }
};

QTEST_MAIN(tst_HotPlug)
#include "tst_HotPlug.moc"
