// The tool windows and checks behind the main window's menus, on the demo
// iPod: the duplicate check writing duplicates.txt, the missing check, the
// windows opened from "&Extras" and Extract, and the eject chain started
// exactly once (a fake stayvane leaves one marker line per start).
#include "GuiFixture.h"
#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMenus.h"
#include "devicetools/ui/ToolWindows.h"
#include "devicetools/ui/frmiPodHacks.h"
#include "devicetools/ui/iPodInfo.h"
#include "export/ui/ExportWindows.h"
#include "export/ui/frmExtract.h"
#include "startup/app/Wiring.h"
#include "tests/common/TestFiles.h"
#include "tests/support/RecordingPromptService.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace quaverly;
using namespace quaverly::devicetools;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

bool writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0)
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// Each start of the chain leaves its own copy of the eject tool in the
// temporary folder (the copy is made before stayvane starts, on the caller's
// thread), so the copies count the chains started so far, without waiting.
qsizetype chainsStarted(const QString& tempDir)
{
    return QDir(tempDir).entryList({ u"iTunesDBTemp*"_s }, QDir::Files).size();
}

// The processes still running from `folder` (their command line names it):
// the companions of the chain and the eject tool run by the shell.
qsizetype processesFrom(const QString& folder)
{
    qsizetype count = 0;
    const QByteArray needle = QFile::encodeName(folder);
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        pid.toLongLong(&isPid);
        if (isPid && readAll(u"/proc/"_s + pid + u"/cmdline"_s).contains(needle))
            ++count;
    }
    return count;
}

} // namespace

class tst_ToolWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_ipod = std::make_unique<testing::DemoIpod>();
        QVERIFY(m_ipod->make());
        m_tools = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tools->isValid());
        m_marker = m_tools->filePath(u"stayvane.log"_s);
        const QString prog = m_tools->filePath(u"prog"_s);
        QVERIFY(QDir().mkpath(prog) && QDir().mkpath(m_tools->filePath(u"tmp"_s)));
        QVERIFY(writeScript(prog + u"/stayvane"_s, "echo started >> '" + QFile::encodeName(m_marker) + "'\n"));
        QVERIFY(writeScript(prog + u"/wait"_s, ""));
        QVERIFY(writeScript(prog + u"/deveject"_s, ""));
        m_prompts = std::make_unique<ui::RecordingPromptService>();
        m_window = std::make_unique<browser::frmMain>(m_ipod->load.library, *m_ipod->options, *m_prompts);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_toolWindows = new ToolWindows(startup::toolWindowsPlace(*m_window), *m_ipod->options, *m_prompts,
                                        { prog, u"/nonexistent/quaverly"_s, m_tools->filePath(u"tmp"_s) });
        startup::wireToolWindows(*m_window, *m_toolWindows);
        m_exports = new exporting::ExportWindows(*m_window, m_ipod->load.library, *m_ipod->options, *m_prompts);
        startup::wireExportWindows(*m_window, *m_exports);
        m_window->show();
    }
    void cleanup()
    {
        m_window.reset();
        m_prompts.reset();
    }

    void duplicateCheckWritesTheListAndShowsItScrollable()
    {
        m_window->menus().mnuCheckForDuplicates->trigger();
        QCOMPARE(m_prompts->requests.size(), size_t(1));
        const ui::PromptRequest& box = m_prompts->requests[0];
        QCOMPARE(box.title, u"Duplicates Found!"_s);
        QCOMPARE(box.text,
                 u"Duplicates were found in your library. The list haas been saved on your iPod on a text "
                 "file and is shown below:"_s);
        QCOMPARE(box.details, u"The Wayfarers - Open Road"_s);
        QCOMPARE(readAll(m_ipod->dir.filePath(u"duplicates.txt"_s)), QByteArray("\r\nThe Wayfarers - Open Road\r\n"));
    }

    void missingCheckListsEverySongWithoutItsFile()
    {
        // The fixture's iPod has no song files.
        m_window->menus().mnuCheckForMissing->trigger();
        QCOMPARE(m_prompts->requests.size(), size_t(1));
        const ui::PromptRequest& box = m_prompts->requests[0];
        QCOMPARE(box.title, u"Missing Files!"_s);
        QCOMPARE(box.text, u"The following files were missing on your iPod: "_s);
        QCOMPARE(box.details.split(u'\n').size(), m_ipod->load.library.TrackCount());
    }

    // Both are modal to the main window: dialogs that stay in front of it
    // and keep it from taking clicks while they are up.
    void extrasOpenTheirWindowsOnceAndModal()
    {
        m_window->menus().mnuHacks->trigger();
        m_window->menus().mnuHacks->trigger();
        const auto hacks = m_window->findChildren<frmiPodHacks*>();
        QCOMPARE(hacks.size(), 1);
        QVERIFY(hacks[0]->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(hacks[0]));
        QCOMPARE(hacks[0]->windowType(), Qt::Dialog);
        QCOMPARE(hacks[0]->windowModality(), Qt::WindowModal);
        QCOMPARE(QApplication::activeModalWidget(), hacks[0]);
        QCOMPARE(QGuiApplication::modalWindow(), hacks[0]->windowHandle());
        QCOMPARE(hacks[0]->windowHandle()->transientParent(), m_window->windowHandle());
        QTest::mouseClick(hacks[0]->cmdCancel, Qt::LeftButton);
        QTRY_VERIFY(!QApplication::activeModalWidget());

        m_window->menus().mnuiPodInfo->trigger();
        const auto info = m_window->findChildren<iPodInfo*>();
        QCOMPARE(info.size(), 1);
        QCOMPARE(info[0]->List1->item(0)->text(), u"BoardHwName: iPod Q98"_s);
        QVERIFY(QTest::qWaitForWindowExposed(info[0]));
        QCOMPARE(QApplication::activeModalWidget(), info[0]);
        QCOMPARE(info[0]->windowHandle()->transientParent(), m_window->windowHandle());
    }

    void extractOpensWithTheSongList()
    {
        m_window->cmdExtract_Click();
        exporting::frmExtract* extract = m_exports->extractWindow();
        QVERIFY(extract);
        QVERIFY(extract->isVisible());
        QCOMPARE(extract->lstSongs->count(), m_window->songModel().rowCount());
        QCOMPARE(extract->pending().indexes(), m_window->songModel().rows());
    }

    void ejectFromTheMenuStartsOneChainAndCloses()
    {
        m_window->menus().mnuEject->setChecked(true); // on close too: must not start a second chain
        m_window->menus().mnuEjectAndClose->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(m_toolWindows->ejectChain().inProgress());
        QCOMPARE(chainsStarted(m_tools->filePath(u"tmp"_s)), 1);
        QTRY_COMPARE(readAll(m_marker), QByteArray("started\n"));
        QVERIFY(m_prompts->requests.empty());
        QCOMPARE(m_ipod->options->GetOption(u"mnuEjectOnClose"_s, {}), u"True"_s);
    }

    void ejectOnCloseStartsOneChain()
    {
        m_window->menus().mnuEject->setChecked(true);
        m_window->close();
        m_window->close();
        QCOMPARE(chainsStarted(m_tools->filePath(u"tmp"_s)), 1);
        QTRY_COMPARE(readAll(m_marker), QByteArray("started\n"));
    }

    void noEjectOnCloseWhenUnchecked()
    {
        m_window->menus().mnuEject->setChecked(false);
        m_window->close();
        QCOMPARE(chainsStarted(m_tools->filePath(u"tmp"_s)), 0);
        QVERIFY(!QFile::exists(m_marker));
    }

    // With the real stayvane and wait: the eject tool runs once, and only
    // after the program (here a stand-in process) has ended.
    void ejectToolRunsOnceAfterTheProgramHasEnded()
    {
        const QString sleepBinary = QStandardPaths::findExecutable(u"sleep"_s);
        QVERIFY(!sleepBinary.isEmpty());
        const QString prog = m_tools->filePath(u"real"_s);
        QVERIFY(QDir().mkpath(prog));
        for (const QString& name : { u"stayvane"_s, u"wait"_s })
            QVERIFY2(QFile::copy(QStringLiteral(QUAVERLY_BIN_DIR) + u'/' + name, prog + u'/' + name), qPrintable(name));
        const QString toolLog = m_tools->filePath(u"deveject.log"_s);
        QVERIFY(writeScript(prog + u"/deveject"_s, "echo \"$@\" >> '" + QFile::encodeName(toolLog) + "'\n"));
        const QString program = m_tools->filePath(u"quaverly-stand-in"_s);
        QVERIFY(QFile::copy(sleepBinary, program));
        QProcess running;
        running.start(program, { u"60"_s });
        QVERIFY(running.waitForStarted());

        browser::frmMain window(m_ipod->load.library, *m_ipod->options, *m_prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        startup::wireToolWindows(window,
                                 *new ToolWindows(startup::toolWindowsPlace(window), *m_ipod->options, *m_prompts,
                                                  { prog, program, m_tools->filePath(u"tmp"_s) }));
        window.show();
        window.menus().mnuEject->setChecked(true);
        window.close();
        window.menus().mnuEjectAndClose->trigger(); // the chain is under way: nothing more starts
        QCOMPARE(chainsStarted(m_tools->filePath(u"tmp"_s)), 1);
        QTRY_VERIFY(processesFrom(prog) > 0); // stayvane is up and waits for the program
        // stayvane polls ten times a second and wait pauses one second: an eject
        // that did not wait for the program would show within this time.
        const bool ejectedEarly = QTest::qWaitFor([&] { return QFile::exists(toolLog); }, 2500);
        QVERIFY2(!ejectedEarly, "ejected while the program was still running");
        QVERIFY(processesFrom(prog) > 0);
        running.kill();
        QVERIFY(running.waitForFinished());
        const QByteArray expected = "-EjectDrive:" + QFile::encodeName(m_ipod->dir.path()) + "\n";
        QTRY_COMPARE_WITH_TIMEOUT(readAll(toolLog), expected, 20000);
        // The chain has ended when none of its programs runs any more; only then
        // is the log final.
        QTRY_COMPARE_WITH_TIMEOUT(processesFrom(prog) + processesFrom(m_tools->filePath(u"tmp"_s)), 0, 20000);
        QCOMPARE(readAll(toolLog), expected);
        QVERIFY(m_prompts->requests.empty());
    }

    void aFailedEjectIsReportedAndTheProgramStillCloses()
    {
        QVERIFY(QFile::remove(m_tools->filePath(u"prog/deveject"_s)));
        m_window->menus().mnuEjectAndClose->trigger();
        QCOMPARE(m_prompts->requests.size(), size_t(1));
        QCOMPARE(m_prompts->requests[0].title, u"Eject Failed!"_s);
        QVERIFY(!m_window->isVisible());
        QVERIFY(!QFile::exists(m_marker));
    }

private:
    std::unique_ptr<testing::DemoIpod> m_ipod;
    std::unique_ptr<QTemporaryDir> m_tools;
    std::unique_ptr<ui::RecordingPromptService> m_prompts;
    std::unique_ptr<browser::frmMain> m_window;
    exporting::ExportWindows* m_exports = nullptr;
    ToolWindows* m_toolWindows = nullptr;
    QString m_marker;
};

QTEST_MAIN(tst_ToolWindows)
#include "tst_ToolWindows.moc"
