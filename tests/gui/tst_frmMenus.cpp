// The menu holder: every caption with its access key, the stored options,
// the radio pairs and the tray icon's clicks.
#include "GuiFixture.h"
#include "browser/ui/frmMenus.h"
#include "tests/common/FakeOpener.h"
#include "tests/support/RecordingPromptService.h"
#include "ui/widgets/ProjectLinks.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace quaverly;
using namespace quaverly::browser;
using quaverly::test::FakeOpener;
using namespace Qt::StringLiterals;

class tst_frmMenus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_pod = std::make_unique<testing::DemoIpod>();
        QVERIFY(m_pod->make());
        m_window = std::make_unique<QWidget>();
        m_prompts.requests.clear();
    }

    void menuItemsInOrder_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items"); // captions in order, "-" for a separator
        QTest::newRow("icon") << u"mnuIcon"_s << QStringList { u"&Restore"_s,  u"&Move"_s, u"&Size"_s, u"M&inimize"_s,
                                                               u"M&aximize"_s, u"-"_s,     u"&Close"_s };
        QTest::newRow("file") << u"mnuFIle"_s << QStringList { u"Open as &Playlist"_s,
                                                               u"Open in &Default"_s,
                                                               u"-"_s,
                                                               u"Export plays..."_s,
                                                               u"-"_s,
                                                               u"&Exit"_s };
        QTest::newRow("options") << u"mnuOptions"_s
                                 << QStringList { u"No Sorting [Faster]"_s,     u"&Minimize to Tray"_s,
                                                  u"Song Change Popup"_s,       u"&Spectrum Analyser"_s,
                                                  u"Spectrum Analyser Color"_s, u"&External Player"_s,
                                                  u"&Double Click Action"_s,    u"E&ject on Quaverly Close"_s,
                                                  u"Remove Genre in Browser"_s };
        QTest::newRow("tray min") << u"mnuTrayMin"_s << QStringList { u"&Yes"_s, u"&No"_s };
        QTest::newRow("players") << u"mnuPlayIn"_s << QStringList { u"[Default Player]"_s, u"Add New Player..."_s };
        QTest::newRow("double click") << u"mnuDblClick"_s
                                      << QStringList { u"Open In &Embedded"_s, u"Open In E&xternal"_s };
        QTest::newRow("extras") << u"mnuExtras"_s
                                << QStringList { u"&iPod Hacks"_s,
                                                 u"iPod Information"_s,
                                                 u"-"_s,
                                                 u"Check for &Missing Files"_s,
                                                 u"Check For &Duplicates"_s,
                                                 u"-"_s,
                                                 u"Eject iPod and close Quaverly"_s };
        QTest::newRow("help") << u"mnuHelp"_s
                              << QStringList { u"Show Help File"_s, u"&Donate"_s, u"&Website - Oxtarra"_s, u"-"_s,
                                               u"&About"_s };
        QTest::newRow("tray") << u"mnuPopup"_s << QStringList { u"Now Playing"_s,  u""_s,         u"-"_s,
                                                                u"&Show"_s,        u"&Play >"_s,  u"P&ause ||"_s,
                                                                u"P&revious <<"_s, u"&Next >>"_s, u"-"_s,
                                                                u"&Exit"_s };
        QTest::newRow("song") << u"mnuAFile"_s << QStringList { u"Play File"_s,        u"Open In Embedded"_s,
                                                                u"Open In External"_s, u"-"_s,
                                                                u"Extract"_s,          u"-"_s,
                                                                u"View Information"_s, u"Show File"_s };
    }
    void menuItemsInOrder()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        auto* found = m_window->findChild<QMenu*>(menu);
        QVERIFY(found);
        QStringList captions;
        for (QAction* action : found->actions())
            captions << (action->isSeparator() ? u"-"_s : action->text());
        QCOMPARE(captions, items);
    }

    void toggledOptionsAreStoredAtOnce_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("startsChecked");
        QTest::newRow("sort") << u"mnuSort"_s << u"Sort"_s << true;
        QTest::newRow("popup") << u"mnuSongPopup"_s << u"SongPopup"_s << false;
    }
    void toggledOptionsAreStoredAtOnce()
    {
        QFETCH(QString, item);
        QFETCH(QString, key);
        QFETCH(bool, startsChecked);
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        auto* action = m_window->findChild<QAction*>(item);
        QVERIFY(action);
        QCOMPARE(action->isChecked(), startsChecked);
        action->trigger();
        QCOMPARE(m_pod->options->GetOption(key, u"missing"_s), startsChecked ? u"False"_s : u"True"_s);
        action->trigger();
        QCOMPARE(m_pod->options->GetOption(key, u"missing"_s), startsChecked ? u"True"_s : u"False"_s);
    }

    void storedNumbersAreUnderstood()
    {
        QVERIFY(m_pod->options->SaveOption(u"Sort"_s, u"0"_s));
        QVERIFY(m_pod->options->SaveOption(u"SongPopup"_s, u"1"_s));
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        QVERIFY(!menus.mnuSort->isChecked());
        QVERIFY(menus.mnuSongPopup->isChecked());
    }

    void radioPairsTickOneAndUntickTheOther()
    {
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        menus.mnuTrayMinYes->setChecked(true);
        menus.mnuTrayMinNo->trigger();
        QVERIFY(menus.mnuTrayMinNo->isChecked());
        QVERIFY(!menus.mnuTrayMinYes->isChecked());
        menus.mnuTrayMinNo->trigger(); // choosing the ticked one again keeps it ticked
        QVERIFY(menus.mnuTrayMinNo->isChecked());
        menus.mnuDefaultOpen->trigger();
        QVERIFY(menus.mnuDefaultOpen->isChecked());
        QVERIFY(!menus.mnuEmbedded->isChecked());
        menus.mnuEmbedded->trigger();
        QVERIFY(menus.mnuEmbedded->isChecked());
        QVERIFY(!menus.mnuDefaultOpen->isChecked());
    }

    void trayClicks()
    {
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        menus.addTray();
        QSignalSpy show(&menus, &frmMenus::showRequested);
        menus.picSystray_Activated(QSystemTrayIcon::Trigger);
        QCOMPARE(show.size(), 0); // a single click does nothing
        menus.picSystray_Activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(show.size(), 1);
        QVERIFY(menus.trayIcon());
        QCOMPARE(menus.trayIcon()->toolTip(), u"Quaverly"_s);
        QCOMPARE(menus.trayIcon()->contextMenu(), menus.mnuPopup); // right click shows the tray menu
    }

    void exitItemsAllClose()
    {
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        QSignalSpy exit(&menus, &frmMenus::exitRequested);
        menus.mnuExit->trigger();
        menus.mnuExit2->trigger();
        menus.mnuClose->trigger();
        QCOMPARE(exit.size(), 3);
    }

    void aboutNamesTheVersion()
    {
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        menus.mnuAbout->trigger();
        QCOMPARE(m_prompts.requests.size(), size_t(1));
        QCOMPARE(m_prompts.requests[0].title, u"Oxtarra : Quaverly"_s);
        const QStringList lines = m_prompts.requests[0].text.split(u"\r\n"_s);
        QCOMPARE(lines.constFirst(), u"Quaverly version: "_s + QStringLiteral(QUAVERLY_VERSION));
        QCOMPARE(lines.at(1), u"A part of Oxtarra"_s);
        QCOMPARE(lines.constLast(), u"Donations are very welcome, please go to Help -> Donate!"_s);
    }

    void helpFileShipsBesideTheProgram()
    {
        const QString help = QStringLiteral(QUAVERLY_BIN_DIR) + u"/QuaverlyHelp.txt"_s;
        QFile file(help);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(help));
        const QString text = QString::fromUtf8(file.readAll());
        for (const QString& topic : { u"Remove Genre in Browser"_s, u"Minimize to Tray"_s, u"quaverly /media/"_s })
            QVERIFY2(text.contains(topic), qPrintable(topic));
    }

    // The Help menu's items open the documents that ship beside the program
    // (no web address is invented); every failure says what and why.
    void helpItemsOpenTheShippedDocuments_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("document");
        QTest::newRow("help file") << u"mnuShowHelp"_s << u"QuaverlyHelp.txt"_s;
        QTest::newRow("donate") << u"mnuDonate"_s << u"README.md"_s;
        QTest::newRow("website") << u"mnuWebsite"_s << u"README.md"_s;
    }
    void helpItemsOpenTheShippedDocuments()
    {
        QFETCH(QString, item);
        QFETCH(QString, document);
        const QString path = QDir(QStringLiteral(QUAVERLY_BIN_DIR)).filePath(document);
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        auto* action = m_window->findChild<QAction*>(item);
        QVERIFY(action);
        FakeOpener opener(FakeOpener::Kind::Succeeds);
        QVERIFY(opener.ready());
        action->trigger();
        QTRY_VERIFY(!opener.opened().isEmpty());
        QCOMPARE(QFileInfo(opener.opened().trimmed()).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
        QTRY_VERIFY(opener.handled());
        QVERIFY(m_prompts.requests.empty());
    }

    void helpItemsSayWhatFailed_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("openerInstalled");
        QTest::newRow("help, no opener") << u"mnuShowHelp"_s << u"Help"_s << false;
        QTest::newRow("help, opener fails") << u"mnuShowHelp"_s << u"Help"_s << true;
        QTest::newRow("donate, no opener") << u"mnuDonate"_s << u"Donate"_s << false;
        QTest::newRow("website, opener fails") << u"mnuWebsite"_s << u"Website"_s << true;
    }
    void helpItemsSayWhatFailed()
    {
        QFETCH(QString, item);
        QFETCH(QString, title);
        QFETCH(bool, openerInstalled);
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        FakeOpener opener(openerInstalled ? FakeOpener::Kind::Fails : FakeOpener::Kind::None,
                          "xdg-open: no method available for opening the file", 3);
        QVERIFY(opener.ready());
        m_window->findChild<QAction*>(item)->trigger();
        QTRY_COMPARE(m_prompts.requests.size(), size_t(1));
        const ui::PromptRequest& shown = m_prompts.requests[0];
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.icon, ui::PromptIcon::Warning);
        // The document is there: the message names it and the real cause.
        QVERIFY(!shown.text.contains(u"belongs beside"_s));
        QVERIFY2(shown.text.contains(QFileInfo(QStringLiteral(QUAVERLY_BIN_DIR)).canonicalFilePath()),
                 qPrintable(shown.text));
        const QString cause = openerInstalled ? u"no method available for opening the file"_s
                                              : u"xdg-open, from the package xdg-utils, is not installed"_s;
        QVERIFY2(shown.text.contains(cause), qPrintable(shown.text));
    }

private:
    std::unique_ptr<testing::DemoIpod> m_pod;
    std::unique_ptr<QWidget> m_window;
    ui::RecordingPromptService m_prompts;
};

QTEST_MAIN(tst_frmMenus)
#include "tst_frmMenus.moc"
