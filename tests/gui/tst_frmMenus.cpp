// The menu holder: the items the help file explains and their underlined
// letters, the stored options, the radio pairs and the tray icon's clicks.
#include "GuiFixture.h"
#include "browser/ui/frmMenus.h"
#include "tests/common/FakeOpener.h"
#include "tests/support/RecordingPromptService.h"
#include "ui/widgets/ProjectLinks.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMetaMethod>
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

    // The help file explains the File, Options and Extras menus item by item:
    // each menu holds the items its section names, in that order, so what the
    // user reads in the help is what the menu shows.
    void menusHoldWhatTheHelpExplains_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("section");
        QTest::newRow("file") << u"mnuFIle"_s << u"FILE MENU"_s;
        QTest::newRow("options") << u"mnuOptions"_s << u"OPTIONS MENU"_s;
        QTest::newRow("extras") << u"mnuExtras"_s << u"EXTRAS MENU"_s;
    }
    void menusHoldWhatTheHelpExplains()
    {
        QFETCH(QString, menu);
        QFETCH(QString, section);
        const QStringList explained = helpSection(section);
        QVERIFY2(!explained.isEmpty(), qPrintable(section));
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        auto* found = m_window->findChild<QMenu*>(menu);
        QVERIFY(found);
        QStringList shown;
        for (QAction* action : found->actions())
            if (!action->isSeparator())
                shown << QString(action->text()).remove(u'&');
        QCOMPARE(shown.size(), explained.size());
        for (int i = 0; i < shown.size(); ++i) // the help's name column may cut a long caption short
            QVERIFY2(shown[i].startsWith(explained[i]), qPrintable(shown[i] + u" / "_s + explained[i]));
    }

    // "Alt plus the underlined letter works inside an open menu": in every
    // menu of the menu bar each underlined letter is used once, and pressing
    // it in the open menu chooses its item (or opens its submenu).
    void underlinedLettersChooseTheirItem_data()
    {
        QTest::addColumn<QString>("menu");
        for (const QString& menu : { u"mnuFIle"_s, u"mnuOptions"_s, u"mnuExtras"_s, u"mnuHelp"_s })
            QTest::newRow(qPrintable(menu)) << menu;
    }
    void underlinedLettersChooseTheirItem()
    {
        QFETCH(QString, menu);
        FakeOpener noOpener(FakeOpener::Kind::None); // the Help items must not start a real program
        QVERIFY(noOpener.ready());
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        auto* found = m_window->findChild<QMenu*>(menu);
        QVERIFY(found);
        QList<QChar> letters;
        for (QAction* action : found->actions()) {
            const QKeySequence key = QKeySequence::mnemonic(action->text());
            if (action->isSeparator() || key.isEmpty())
                continue;
            const QChar letter = key.toString().back().toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(action->text()));
            letters << letter;

            found->popup(QPoint(0, 0));
            QVERIFY(QTest::qWaitForWindowExposed(found));
            QSignalSpy chosen(action, &QAction::triggered);
            QTest::keyClick(found, letter.toLatin1());
            if (action->menu()) {
                QTRY_VERIFY2(action->menu()->isVisible(), qPrintable(action->text()));
                action->menu()->hide();
            } else {
                QTRY_VERIFY2(chosen.size() == 1, qPrintable(action->text()));
            }
            found->hide();
        }
        QVERIFY(!letters.isEmpty());
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

    // Each command item, chosen as a user does (its menu popped up, the item
    // clicked), sends its own intent and no other.
    void commandItemsSendTheirIntent_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QByteArray>("intent");
        const auto row = [](const char* menu, const char* item, const char* intent) {
            QTest::newRow(item) << QString::fromLatin1(menu) << QString::fromLatin1(item) << QByteArray(intent);
        };
        row("mnuFIle", "mnuExportPlays", "exportPlaysRequested");
        row("mnuExtras", "mnuHacks", "hacksRequested");
        row("mnuExtras", "mnuiPodInfo", "iPodInfoRequested");
        row("mnuExtras", "mnuCheckForMissing", "missingCheckRequested");
        row("mnuExtras", "mnuCheckForDuplicates", "duplicatesCheckRequested");
        row("mnuExtras", "mnuEjectAndClose", "ejectRequested");
        row("mnuOptions", "mnuSpecColor", "spectrumColourRequested");
        row("mnuPlayIn", "mnuAddPlayer", "addPlayerRequested");
        row("mnuPopup", "mnuShow", "showRequested");
        row("mnuPopup", "mnuPlay", "playRequested");
        row("mnuPopup", "mnuPrev", "previousRequested");
        row("mnuPopup", "mnuNext", "nextRequested");
    }
    void commandItemsSendTheirIntent()
    {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(QByteArray, intent);
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        // Every intent is watched: the item must send the one it names and no other.
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        const QMetaObject& meta = frmMenus::staticMetaObject;
        int wanted = -1;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            if (method.name() == intent)
                wanted = int(spies.size());
            spies.push_back(std::make_unique<QSignalSpy>(&menus, QByteArray("2" + method.methodSignature())));
        }
        QVERIFY2(wanted >= 0, intent.constData());
        auto* popup = m_window->findChild<QMenu*>(menu);
        auto* action = m_window->findChild<QAction*>(item);
        QVERIFY(popup && action);
        QVERIFY(action->isEnabled());
        popup->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
        QTRY_COMPARE(spies[size_t(wanted)]->size(), 1);
        for (size_t i = 0; i < spies.size(); ++i)
            if (i != size_t(wanted))
                QVERIFY2(spies[i]->isEmpty(), spies[i]->signal().constData());
    }

    // Pause can be chosen only while a song plays; the controllers say when.
    void trayTransportFollowsWhatPlays()
    {
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        QVERIFY(menus.mnuPlay->isEnabled());
        QVERIFY(!menus.mnuPause->isEnabled()); // nothing plays at start
        QSignalSpy pause(&menus, &frmMenus::pauseRequested);
        menus.setTransportEnabled(false, true);
        QVERIFY(!menus.mnuPlay->isEnabled());
        menus.mnuPause->trigger();
        QCOMPARE(pause.size(), 1);
        menus.setNowPlayingText(u"Artist - Title"_s);
        QCOMPARE(menus.mnuNow->text(), u"Artist - Title"_s);
    }

    // The players the controller lists become items after "[Default Player]";
    // each says which it is, and a new list replaces the old one.
    void playersAreChosenByPlace()
    {
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        QSignalSpy chosen(&menus, &frmMenus::playerChosen);
        menus.setPlayers({ u"VLC"_s, u"mpv"_s });
        menus.setPlayers({ u"VLC"_s, u"mpv"_s, u"Audacious"_s });
        QStringList captions;
        for (QAction* action : menus.mnuPlayIn->actions())
            captions << action->text();
        QCOMPARE(captions,
                 (QStringList { u"[Default Player]"_s, u"VLC"_s, u"mpv"_s, u"Audacious"_s, u"Add New Player..."_s }));
        menus.mnuPlayer.at(3)->trigger();
        menus.mnuPlayer.at(0)->trigger();
        QCOMPARE(chosen.size(), 2);
        QCOMPARE(chosen.at(0).at(0).toInt(), 3);
        QCOMPARE(chosen.at(1).at(0).toInt(), 0);
        menus.setCheckedPlayer(2);
        for (int i = 0; i < menus.mnuPlayer.size(); ++i)
            QCOMPARE(menus.mnuPlayer.at(i)->isChecked(), i == 2);
    }

    // A gone iPod: nothing that reads or writes it can be chosen, and no eject
    // waits for the close; the stored choice stays as it was.
    void deviceCommandsGoWithTheIpod()
    {
        QVERIFY(m_pod->options->SaveOption(u"mnuEjectOnClose"_s, u"True"_s));
        frmMenus menus(*m_pod->options, m_prompts, m_window.get());
        menus.mnuEject->setChecked(true);
        menus.disableDeviceCommands();
        QVERIFY(!menus.ejectOnClose());
        for (const QAction* action : { menus.mnuEjectAndClose, menus.mnuHacks, menus.mnuiPodInfo,
                                       menus.mnuCheckForMissing, menus.mnuCheckForDuplicates, menus.mnuExtract })
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        QVERIFY(menus.mnuAbout->isEnabled());
        QCOMPARE(m_pod->options->GetOption(u"mnuEjectOnClose"_s, {}), u"True"_s);
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
    // The item names the help file lists under `heading`: the first column of
    // the lines of that section that do not start with a blank.
    static QStringList helpSection(const QString& heading)
    {
        QFile file(QStringLiteral(QUAVERLY_BIN_DIR) + u"/QuaverlyHelp.txt"_s);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QStringList names;
        const qsizetype at = lines.indexOf(heading);
        for (qsizetype i = at + 2; at >= 0 && i < lines.size(); ++i) {
            const QString line = lines[i].trimmed().isEmpty() ? QString() : lines[i];
            if (line.isEmpty() && !names.isEmpty() && (i + 1 >= lines.size() || !lines[i + 1].startsWith(u' ')))
                break;
            if (!line.isEmpty() && !line.startsWith(u' '))
                names << line.section(u"  "_s, 0, 0).trimmed();
        }
        return names;
    }

    std::unique_ptr<testing::DemoIpod> m_pod;
    std::unique_ptr<QWidget> m_window;
    ui::RecordingPromptService m_prompts;
};

QTEST_MAIN(tst_frmMenus)
#include "tst_frmMenus.moc"
