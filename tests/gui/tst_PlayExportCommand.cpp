// "Export plays..." from the File menu on the demo iPod, through the real
// save dialog (not the desktop's own), driven as a user drives it.
#include "FileDialogDriver.h"
#include "GuiFixture.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMenus.h"
#include "export/ExportedPlays.h"
#include "export/ui/ExportWindows.h"
#include "startup/app/Wiring.h"
#include "tests/common/TestFiles.h"
#include "tests/support/RecordingPromptService.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quaverly;
using namespace quaverly::test;
using namespace Qt::StringLiterals;

namespace {

/// What the user does in the save dialog once it shows.
struct DialogAction
{
    QString typed;           // the name typed; empty: cancel
    bool chooseJson = false; // pick the ListenBrainz type first
};

/// Answers the save dialog, once it shows, as `action` says.
void answerDialog(QFileDialog* dialog, const DialogAction& action)
{
    if (action.chooseJson) {
        QComboBox* types = testing::filterBox(dialog);
        QVERIFY(types);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);
        QCoreApplication::processEvents(); // the new name is set once the dialog has taken the type
    }
    if (action.typed.isEmpty()) {
        QTest::keyClick(dialog, Qt::Key_Escape);
        return;
    }
    QLineEdit* name = testing::nameBox(dialog);
    QVERIFY(name);
    // The suggested name follows the type chosen.
    QCOMPARE(name->text(), action.chooseJson ? u"iPod-plays.json"_s : u"iPod-plays.scrobbler.log"_s);
    name->selectAll();
    QTest::keyClicks(name, action.typed);
    QTest::keyClick(name, Qt::Key_Return);
}

} // namespace

class tst_PlayExportCommand : public QObject
{
    Q_OBJECT
    std::unique_ptr<testing::DemoIpod> m_ipod;
    std::unique_ptr<QTemporaryDir> m_out;
    std::unique_ptr<ui::RecordingPromptService> m_prompts;
    std::unique_ptr<browser::frmMain> m_window;

    /// Runs "Export plays..."; answers whether the save dialog showed.
    bool exportPlays(const DialogAction& action)
    {
        bool seen = false;
        QTimer poll; // the dialog runs its own loop: look for it from there
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); dialog && !seen) {
                seen = true;
                answerDialog(dialog, action);
                if (QTest::currentTestFailed())
                    dialog->reject(); // a failed check must not leave the dialog waiting
            }
        });
        poll.start(20);
        m_window->menus().mnuExportPlays->trigger();
        return seen;
    }
    QString statePath() const { return exporting::exportedPlaysPath(m_ipod->dir.path()); }

private Q_SLOTS:
    void init()
    {
        m_ipod = std::make_unique<testing::DemoIpod>();
        QVERIFY(m_ipod->make());
        m_out = std::make_unique<QTemporaryDir>();
        m_prompts = std::make_unique<ui::RecordingPromptService>();
        m_window = std::make_unique<browser::frmMain>(m_ipod->load.library, *m_ipod->options, *m_prompts);
        auto* exports = new exporting::ExportWindows(*m_window, m_ipod->load.library, *m_ipod->options, *m_prompts);
        startup::wireExportWindows(*m_window, *exports);
        exports->setDeviceFiles(m_ipod->load.databaseFile, m_ipod->load.playCounts);
        m_ipod->options->SaveOption(u"ExportPlaysDIR"_s, m_out->path());
        m_window->show();
    }
    void cleanup()
    {
        m_window.reset();
        QWidget* left = QApplication::activeModalWidget();
        QVERIFY2(!left, "a dialog was left open");
    }

    void writesTheChosenFileAndReports()
    {
        QVERIFY(exportPlays({ u"plays"_s, false }));
        const QString file = m_out->filePath(u"plays.scrobbler.log"_s);
        const QByteArray log = readAll(file);
        QVERIFY(log.startsWith("#AUDIOSCROBBLER/1.1\n#TZ/UTC\n")); // converted with this computer's zone
        QCOMPARE(m_prompts->requests.size(), size_t(1));
        const ui::PromptRequest& report = m_prompts->requests[0];
        QCOMPARE(report.title, u"Plays Exported"_s);
        QVERIFY(report.text.contains(u"plays.scrobbler.log"_s));
        QVERIFY2(report.details.startsWith(u"Wrote "_s), qPrintable(report.details));
        QVERIFY(QFile::exists(statePath()));
        // Nothing new: no dialog, just the answer.
        QVERIFY(!exportPlays({ u"again"_s, false }));
        QCOMPARE(m_prompts->requests.size(), size_t(2));
        QCOMPARE(m_prompts->requests[1].title, u"Export Plays"_s);
        QVERIFY(m_prompts->requests[1].text.startsWith(u"No new plays since the last export."_s));
        QVERIFY(!QFile::exists(m_out->filePath(u"again.scrobbler.log"_s)));
    }

    void theFileTypeChoosesListenBrainz()
    {
        QVERIFY(exportPlays({ u"listens"_s, true }));
        const QJsonObject root = QJsonDocument::fromJson(readAll(m_out->filePath(u"listens.json"_s))).object();
        QCOMPARE(root[u"listen_type"_s].toString(), u"import"_s);
        QVERIFY(!root[u"payload"_s].toArray().isEmpty());
        QCOMPARE(m_ipod->options->GetOption(u"ExportPlaysFormat"_s, {}), u"listenbrainz"_s);
    }

    void anExistingFileIsReplacedOnlyWhenSaidSo()
    {
        const QString file = m_out->filePath(u"plays.scrobbler.log"_s);
        QVERIFY(writeFile(file, "keep me"));
        m_prompts->answers = { ui::PromptAnswer::No };
        QVERIFY(exportPlays({ u"plays.scrobbler.log"_s, false }));
        QCOMPARE(readAll(file), QByteArray("keep me"));
        QVERIFY(!QFile::exists(statePath())); // nothing written, nothing recorded
        QCOMPARE(m_prompts->requests.back().buttons, ui::PromptButtons::YesNo);
        m_prompts->answers = { ui::PromptAnswer::Yes };
        QVERIFY(exportPlays({ u"plays.scrobbler.log"_s, false }));
        QVERIFY(readAll(file).startsWith("#AUDIOSCROBBLER/1.1"));
    }

    void cancelWritesAndRecordsNothing()
    {
        QVERIFY(exportPlays({ QString(), false }));
        QVERIFY(m_prompts->requests.empty());
        QVERIFY(QDir(m_out->path()).entryList(QDir::Files).isEmpty());
        QVERIFY(!QFile::exists(statePath()));
    }

    void playCountsOfAnotherDatabaseAreRefused()
    {
        const QString counts = m_ipod->dir.filePath(u"iPod_Control/iTunes/Play Counts"_s);
        QByteArray bytes = readAll(counts);
        bytes[12] = char(bytes[12] + 1); // one entry more than the database has songs
        QVERIFY(writeFile(counts, bytes));
        QVERIFY(!exportPlays({ u"x"_s, false }));
        QCOMPARE(m_prompts->requests.size(), size_t(1));
        QCOMPARE(m_prompts->requests[0].title, u"Export Failed"_s);
        QCOMPARE(m_prompts->requests[0].icon, ui::PromptIcon::Critical);
    }
};

QTEST_MAIN(tst_PlayExportCommand)
#include "tst_PlayExportCommand.moc"
