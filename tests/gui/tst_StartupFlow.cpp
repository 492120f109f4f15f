// The start of the program: finding the iPod, the update question, loading
// on the worker thread, the messages of a bad database and the main window.
#include "GuiFixture.h"
#include "browser/ui/BrowserListBox.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "startup/ui/StartupFlow.h"
#include "startup/ui/frmLoadingDB.h"
#include "tests/common/FakeOpener.h"
#include "tests/support/RecordingPromptService.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace quaverly;
using namespace quaverly::startup;
using namespace Qt::StringLiterals;

namespace {

StartupFlow::MainWindowFactory mainWindowFactory()
{
    return [](const database::LoadResult& load, settings::mdlOptions& options, ui::PromptService& prompts) {
        return static_cast<QWidget*>(new browser::frmMain(load.library, options, prompts));
    };
}

const QDate kJanuary(2026, 1, 20); // no donation panel, no hold

} // namespace

class tst_StartupFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsOnTheDemoIpodFoundByScanning()
    {
        testing::DemoIpod pod;
        QVERIFY(pod.make());
        QTemporaryDir other; // a volume without an iPod, sorting after it
        QVERIFY(other.isValid());
        ui::RecordingPromptService prompts;
        StartupFlow flow(prompts, mainWindowFactory());
        flow.setToday(kJanuary);
        QSignalSpy shown(&flow, &StartupFlow::mainWindowShown);
        flow.start(QString(), { pod.dir.path(), other.path() }, QString());
        QVERIFY(shown.wait(20000));
        auto* window = qobject_cast<browser::frmMain*>(flow.mainWindow());
        QVERIFY(window && window->isVisible());
        QVERIFY(prompts.requests.empty());
        const database::Library& lib = flow.loadResult()->library;
        QCOMPARE(lib.iPodRoot, pod.dir.path());
        QCOMPARE(window->ui().lstSource->entries().size(), pod.load.library.PlaylistCount());
        QCOMPARE(window->ui().lstSource->entries().constFirst(), pod.load.library.Playlists.front().Name);
        QCOMPARE(window->ui().lstSong->count(), int(pod.load.library.Playlists.front().IndexList.size()));
        QVERIFY(flow.options());
        QCOMPARE(flow.options()->PrefsPath(), pod.options->PrefsPath());

        // Closed while hidden to the tray (Exit of the tray menu): the program still ends.
        window->hide();
        QSignalSpy closed(&flow, &StartupFlow::mainWindowClosed);
        window->close();
        QVERIFY(closed.wait(5000));
    }

    void anotherIpodReplacesTheOpenOneThroughTheLoadingWindow()
    {
        testing::DemoIpod first;
        QVERIFY(first.make());
        testing::DemoIpod second;
        QVERIFY(second.make(40)); // a generated library, told apart by its size
        ui::RecordingPromptService prompts;
        StartupFlow flow(prompts, mainWindowFactory());
        flow.setToday(kJanuary);
        QSignalSpy shown(&flow, &StartupFlow::mainWindowShown);
        QSignalSpy closed(&flow, &StartupFlow::mainWindowClosed);
        flow.start(first.dir.path(), {}, QString());
        QVERIFY(shown.wait(20000));
        QPointer<QWidget> old = flow.mainWindow();

        QTemporaryDir empty;
        QVERIFY(!flow.openIpod(empty.path())); // no iPod there: nothing happens
        QVERIFY(flow.openIpod(second.dir.path()));
        QVERIFY(shown.wait(20000));
        QVERIFY(old.isNull());       // the old window went without the close handling
        QCOMPARE(closed.count(), 0); // and the program goes on
        QCOMPARE(flow.loadResult()->library.iPodRoot, second.dir.path());
        QCOMPARE(flow.loadResult()->library.TrackCount(), second.load.library.TrackCount());
        QCOMPARE(flow.options()->PrefsPath(), second.options->PrefsPath());
        auto* window = qobject_cast<browser::frmMain*>(flow.mainWindow());
        QVERIFY(window && window->isVisible());
        QCOMPARE(&window->library(), &flow.loadResult()->library);
        QVERIFY(prompts.requests.empty());
    }

    void startsOnARealDatabaseNamedOnTheCommandLine()
    {
        // A database written by other software, given as an iTunesDB path.
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(u"iPod_Control/iTunes"_s));
        const QString db = root.path() + u"/iPod_Control/iTunes/iTunesDB"_s;
        QVERIFY(
            QFile::copy(QStringLiteral(QUAVERLY_TESTDATA) + u"/real/clickwheel-hash58-v19-350tracks/iTunesDB"_s, db));
        ui::RecordingPromptService prompts;
        StartupFlow flow(prompts, mainWindowFactory());
        flow.setToday(kJanuary);
        QSignalSpy shown(&flow, &StartupFlow::mainWindowShown);
        flow.start(db, {}, QString());
        QVERIFY(shown.wait(20000));
        auto* window = qobject_cast<browser::frmMain*>(flow.mainWindow());
        QVERIFY(window);
        QCOMPARE(window->ui().lstSong->count(), 350);
        QCOMPARE(window->ui().lstSource->entries().size(), 1);
    }

    void noIpodExplainsTheFolderArgument()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        ui::RecordingPromptService prompts;
        StartupFlow flow(prompts, mainWindowFactory());
        QSignalSpy ended(&flow, &StartupFlow::ended);
        flow.start(u"not an ipod"_s, { empty.path() }, QString());
        QVERIFY(ended.wait(10000));
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"No iPod Found!"_s);
        QVERIFY(prompts.requests[0].text.contains(u"quaverly /media/user/IPOD"_s));
        QVERIFY(!flow.mainWindow());
    }

    void updateQuestion_data()
    {
        QTest::addColumn<bool>("agree");
        QTest::newRow("yes: hand over and end") << true;
        QTest::newRow("no: start as usual") << false;
    }
    void updateQuestion()
    {
        QFETCH(bool, agree);
        testing::DemoIpod pod;
        QVERIFY(pod.make());
        QTemporaryDir programDir;
        QFile pending(programDir.path() + u"/quaverly.new"_s);
        QVERIFY(pending.open(QIODevice::WriteOnly));
        pending.close();
        ui::RecordingPromptService prompts;
        prompts.answers.push_back(agree ? ui::PromptAnswer::Yes : ui::PromptAnswer::No);
        StartupFlow flow(prompts, mainWindowFactory());
        flow.setToday(kJanuary);
        int installs = 0;
        flow.setUpdateInstaller([&installs] { ++installs; });
        QSignalSpy shown(&flow, &StartupFlow::mainWindowShown);
        QSignalSpy ended(&flow, &StartupFlow::ended);
        flow.start(pod.dir.path(), {}, programDir.path());
        QCOMPARE(prompts.requests.at(0).title, u"Update to latest?"_s);
        QCOMPARE(prompts.requests.at(0).buttons, ui::PromptButtons::YesNo);
        if (agree) {
            QCOMPARE(installs, 1);
            QCOMPARE(ended.size(), 1);
        } else {
            QVERIFY(shown.wait(20000));
            QCOMPARE(installs, 0);
        }
    }

    void damagedDatabaseIsReportedAndTheWindowStillOpens()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(u"iPod_Control/iTunes"_s));
        QFile db(root.path() + u"/iPod_Control/iTunes/iTunesDB"_s);
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.write(QByteArray(4096, 'x')); // not a database at all
        db.close();
        ui::RecordingPromptService prompts;
        StartupFlow flow(prompts, mainWindowFactory());
        flow.setToday(kJanuary);
        QSignalSpy shown(&flow, &StartupFlow::mainWindowShown);
        flow.start(root.path(), {}, QString());
        QVERIFY(shown.wait(20000));
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Error with iTunesDB"_s);
        QCOMPARE(prompts.requests[0].icon, ui::PromptIcon::Critical);
        auto* window = qobject_cast<browser::frmMain*>(flow.mainWindow());
        QVERIFY(window);
        QCOMPARE(window->ui().lstSong->count(), 0);
    }

    void holdCountsOnlyTicksAfterTheLoad()
    {
        int counter = 0;
        for (int i = 0; i < 20; ++i)
            QVERIFY(wasteTimeTick(counter, false)); // loading: nothing counts
        QCOMPARE(counter, 0);
        int ticks = 0;
        while (wasteTimeTick(counter, true))
            ++ticks;
        QCOMPARE(ticks + 1, 7); // the seventh counted tick stops the timer: about 1.4 s
    }

    void januaryHidesTheDonationPanel_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("panel");
        QTest::newRow("january") << QDate(2026, 1, 31) << false;
        QTest::newRow("february") << QDate(2026, 2, 1) << true;
        QTest::newRow("december") << QDate(2026, 12, 7) << true;
    }
    void januaryHidesTheDonationPanel()
    {
        QFETCH(QDate, today);
        QFETCH(bool, panel);
        testing::DemoIpod pod;
        QVERIFY(pod.make());
        ui::RecordingPromptService prompts;
        frmLoadingDB loading(prompts);
        loading.setToday(today);
        QSignalSpy loaded(&loading, &frmLoadingDB::loaded);
        QSignalSpy finished(&loading, &frmLoadingDB::finished);
        loading.LoadDB(pod.dbPath(), pod.dir.path());
        QCOMPARE(loading.donationPanelShown(), panel);
        QCOMPARE(loading.tmrWasteTime.isActive(), panel);
        QCOMPARE(loading.lbl->text(), u"Please wait while the database from your iPod is read..."_s);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(loading.lbl->text(), u"Loading main Quaverly interface!"_s);
        loading.mainWindowLoaded();
        QCOMPARE(loading.lbl->text(), u"Starting Quaverly!"_s);
        QCOMPARE(finished.size(), panel ? 0 : 1); // held for the panel to be read
        if (panel)
            QVERIFY(finished.wait(5000));
    }

    // Both donation labels and the image open the README that ships with the
    // program (no invented address); without an opener the user is told why.
    // The load goes on either way.
    void donationLinksOpenTheReadme()
    {
        testing::DemoIpod pod;
        QVERIFY(pod.make());
        ui::RecordingPromptService prompts;
        frmLoadingDB loading(prompts);
        loading.setToday(QDate(2026, 3, 1));
        QSignalSpy finished(&loading, &frmLoadingDB::finished);
        QSignalSpy loaded(&loading, &frmLoadingDB::loaded);
        {
            test::FakeOpener opener(test::FakeOpener::Kind::Succeeds);
            QVERIFY(opener.ready());
            loading.LoadDB(pod.dbPath(), pod.dir.path());
            QVERIFY(QTest::qWaitForWindowExposed(&loading));
            for (QLabel* label : loading.Label1) // on the link text, at its left end
                QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(4, label->height() / 2));
            QTest::mouseClick(loading.Image1, Qt::LeftButton);
            QTRY_COMPARE(opener.opened().count(u'\n'), 3);
            for (const QString& line : opener.opened().split(u'\n', Qt::SkipEmptyParts))
                QCOMPARE(QFileInfo(line).canonicalFilePath(),
                         QFileInfo(QStringLiteral(QUAVERLY_BIN_DIR "/README.md")).canonicalFilePath());
        }
        test::FakeOpener none(test::FakeOpener::Kind::None);
        QTest::mouseClick(loading.Image1, Qt::LeftButton);
        QTRY_COMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Donate"_s);
        QVERIFY(prompts.requests[0].text.contains(u"README.md"_s));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
        loading.mainWindowLoaded();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    }
};

QTEST_MAIN(tst_StartupFlow)
#include "tst_StartupFlow.moc"
