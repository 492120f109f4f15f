// The players window's "Add" through the real file dialog: programs are
// listed (in /usr/bin and a user's own script), "All files" lists the rest,
// and a file that is no program is refused with a message.
#include "FileDialogDriver.h"
#include "GuiFixture.h"
#include "playback/ui/frmDefaultPlayer.h"
#include "tests/common/TestFiles.h"
#include "tests/support/RecordingPromptService.h"

#include <QListWidget>
#include <QTemporaryDir>

using namespace quaverly;
using namespace quaverly::playback;
using namespace quaverly::testing;
using namespace Qt::StringLiterals;

class tst_frmDefaultPlayer : public QObject
{
    Q_OBJECT

    /// A home-like folder: the user's own player script (rwxr-xr-x), a text
    /// file, a folder and a desktop entry.
    bool makeHome(const QTemporaryDir& home)
    {
        const QString script = home.filePath(u"myplayer"_s);
        if (!test::writeFile(script, "#!/bin/sh\nexec mpv \"$@\"\n"))
            return false;
        const auto rwxr_xr_x = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser
            | QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther;
        return QFile::setPermissions(script, rwxr_xr_x) && test::writeFile(home.filePath(u"notes.txt"_s), "notes")
            && QDir().mkpath(home.filePath(u"Players"_s))
            && test::writeFile(home.filePath(u"player.desktop"_s), "[Desktop Entry]\nName=Player\nExec=player %f\n");
    }

    /// Goes to `folder` by pasting it into the name box and pressing Enter,
    /// as a user does (typing it key by key races the box's completion).
    static bool goTo(QFileDialog* dialog, const QString& folder)
    {
        nameBox(dialog)->setText(folder);
        QTest::keyClick(nameBox(dialog), Qt::Key_Return);
        return QTest::qWaitFor([&] { return dialog->directory() == QDir(folder); });
    }

private Q_SLOTS:
    void init()
    {
        m_pod = std::make_unique<DemoIpod>();
        QVERIFY(m_pod->make());
        m_prompts.requests.clear();
    }

    void programsAreListedAndAllFilesShowsTheRest()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid() && makeHome(home));
        frmDefaultPlayer players(*m_pod->options, m_prompts, {});
        players.show();
        bool driven = false;
        whenFileDialogShows([&](QFileDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), u"Select Media Player"_s);
            QCOMPARE(dialog->nameFilters(),
                     (QStringList { u"Programs (*)"_s, u"All files (*)"_s, u"Applications (*.desktop)"_s }));
            // The system's programs are there (where /usr/bin once looked empty).
            QTRY_VERIFY(shownEntry(dialog, u"env"_s).isValid());
            QVERIFY(shownEntries(dialog).size() > 20);
            QVERIFY(goTo(dialog, home.path()));
            QTRY_VERIFY(shownEntry(dialog, u"myplayer"_s).isValid());
            QVERIFY(shownEntry(dialog, u"Players"_s).isValid());
            QVERIFY(!shownEntry(dialog, u"notes.txt"_s).isValid());
            QTest::keyClick(filterBox(dialog), Qt::Key_Down); // "All files (*)"
            QTRY_VERIFY(shownEntry(dialog, u"notes.txt"_s).isValid());
            QVERIFY(shownEntry(dialog, u"myplayer"_s).isValid());
            QTest::keyClick(filterBox(dialog), Qt::Key_Down); // "Applications (*.desktop)"
            QTRY_VERIFY(!shownEntry(dialog, u"notes.txt"_s).isValid());
            QVERIFY(shownEntry(dialog, u"player.desktop"_s).isValid());
            QTest::keyClick(filterBox(dialog), Qt::Key_Up);
            QTest::keyClick(filterBox(dialog), Qt::Key_Up); // "Programs (*)" again
            QTRY_VERIFY(!shownEntry(dialog, u"notes.txt"_s).isValid());
            QVERIFY(clickEntry(dialog, u"myplayer"_s));
            QTest::mouseClick(acceptButton(dialog), Qt::LeftButton);
            driven = true;
        });
        QTest::mouseClick(players.findChild<QPushButton*>(u"cmdAdd"_s), Qt::LeftButton);
        QVERIFY(driven);
        QCOMPARE(players.players(), QStringList { home.filePath(u"myplayer"_s) });
        QVERIFY(m_prompts.requests.empty());
        players.reject();
    }

    void aFileThatIsNoProgramIsRefused()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid() && makeHome(home));
        frmDefaultPlayer players(*m_pod->options, m_prompts, {});
        players.show();
        bool driven = false;
        whenFileDialogShows([&](QFileDialog* dialog) {
            QVERIFY(goTo(dialog, home.path()));
            QTest::keyClick(filterBox(dialog), Qt::Key_Down); // "All files (*)"
            QTRY_VERIFY(shownEntry(dialog, u"notes.txt"_s).isValid());
            QVERIFY(clickEntry(dialog, u"notes.txt"_s));
            QTest::mouseClick(acceptButton(dialog), Qt::LeftButton);
            QCOMPARE(m_prompts.requests.size(), size_t(1));
            QCOMPARE(m_prompts.requests[0].icon, ui::PromptIcon::Warning);
            QVERIFY(m_prompts.requests[0].text.contains(home.filePath(u"notes.txt"_s)));
            QVERIFY(m_prompts.requests[0].text.contains(u"executable"_s));
            QVERIFY(dialog->isVisible()); // the user may choose again
            QTRY_VERIFY(shownEntry(dialog, u"myplayer"_s).isValid());
            QVERIFY(clickEntry(dialog, u"myplayer"_s));
            QTest::mouseClick(acceptButton(dialog), Qt::LeftButton);
            driven = true;
        });
        QTest::mouseClick(players.findChild<QPushButton*>(u"cmdAdd"_s), Qt::LeftButton);
        QVERIFY(driven);
        QCOMPARE(players.players(), QStringList { home.filePath(u"myplayer"_s) });
        players.reject();
        QCOMPARE(m_pod->options->GetOption(u"PlayerPlayer1"_s, {}), home.filePath(u"myplayer"_s));
    }

private:
    std::unique_ptr<DemoIpod> m_pod;
    ui::RecordingPromptService m_prompts;
};

QTEST_MAIN(tst_frmDefaultPlayer)
#include "tst_frmDefaultPlayer.moc"
