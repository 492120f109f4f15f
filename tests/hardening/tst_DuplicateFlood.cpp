// 30,000 untagged songs are 30,000 copies of one song. Listed pair by pair
// that is 450 million report lines (a quarter of a gigabyte of text per
// 10,000 songs, and the program once ran out of memory on it); the report
// must instead stay as small as the library, in the check itself, on the
// command line (text, JSON, duplicates.txt) and in the window.
#include "browser/LibraryChecks.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMenus.h"
#include "database/LibraryLoader.h"
#include "devicetools/ui/ToolWindows.h"
#include "settings/mdlOptions.h"
#include "startup/app/Wiring.h"
#include "tests/common/CliRun.h"
#include "tests/common/TestFiles.h"
#include "tests/support/RecordingPromptService.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly;
using namespace quaverly::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int kCopies = 30000;

} // namespace

class tst_DuplicateFlood : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    database::LoadResult m_load;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        tools::WriterDatabase db;
        db.tracks.reserve(kCopies);
        for (int i = 0; i < kCopies; ++i) {
            tools::WriterTrack track; // no title, artist or album: untagged
            track.uin = i + 1;
            track.location = u":iPod_Control:Music:F%1:T%2.mp3"_s.arg(i % 50, 2, 10, QLatin1Char('0')).arg(i);
            db.tracks.push_back(std::move(track));
        }
        db.playlists = { { u"Flood"_s, 1, false, {} } };
        tools::WriterOptions options;
        options.mhitHeader = 0x9c;
        const QString dbPath = m_dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s);
        QVERIFY(tools::writeFileBytes(dbPath, tools::writeITunesDB(db, options)));
        m_load = database::LoadiTunesDB(dbPath, m_dir.path());
        QCOMPARE(m_load.error, database::LoadError::None);
        QCOMPARE(m_load.library.TrackCount(), kCopies);
    }

    void reportIsOneGroupLine()
    {
        const browser::DuplicateReport report = browser::ScanForDuplicates(m_load.library);
        QCOMPARE(report.lines.size(), size_t(1));
        QCOMPARE(report.lines[0].trackIndex, 0);
        QCOMPARE(report.lines[0].copies, kCopies);
        QCOMPARE(report.foundCount, qint64(1));
        const std::vector<int> copies = report.copiesOf(report.lines[0]);
        QCOMPARE(copies.size(), size_t(kCopies));
        QCOMPARE(copies.back(), kCopies - 1);
        QCOMPARE(browser::reportText(m_load.library, report), u"\r\n -  (30000 copies)"_s);
    }

    void commandLineOutputStaysSmall()
    {
        const QString root = m_dir.path();
        const CliRun text = runCli({ u"duplicates"_s, u"--write"_s, root }, 120000);
        QCOMPARE(text.status, 0);
        QCOMPARE(text.out, QByteArray("\r\n -  (30000 copies)\r\n"));
        QCOMPARE(readAll(m_dir.filePath(u"duplicates.txt"_s)), text.out);

        const CliRun json = runCli({ u"duplicates"_s, u"--json"_s, root }, 120000);
        QCOMPARE(json.status, 0);
        QVERIFY2(json.out.size() < 1024 * 1024, QByteArray::number(json.out.size()).constData());
        const QJsonArray entries = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(entries.size(), 1);
        const QJsonObject group = entries[0].toObject();
        QCOMPARE(group.value(u"copies"_s).toInt(), kCopies);
        QCOMPARE(group.value(u"index"_s).toInt(), 0);
        QCOMPARE(group.value(u"indexes"_s).toArray().size(), kCopies);
    }

    void windowShowsOneLine()
    {
        ui::RecordingPromptService prompts;
        settings::mdlOptions options(m_dir.path());
        m_load.library.iPodRoot = m_dir.path();
        browser::frmMain window(m_load.library, options, prompts);
        startup::wireToolWindows(
            window,
            *new devicetools::ToolWindows(startup::toolWindowsPlace(window), options, prompts,
                                          { m_dir.filePath(u"no-tools"_s), u"/nonexistent/quaverly"_s, m_dir.path() }));
        QFile::remove(m_dir.filePath(u"duplicates.txt"_s));
        window.menus().mnuCheckForDuplicates->trigger();
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Duplicates Found!"_s);
        QCOMPARE(prompts.requests[0].details, u" -  (30000 copies)"_s);
        QCOMPARE(readAll(m_dir.filePath(u"duplicates.txt"_s)), QByteArray("\r\n -  (30000 copies)\r\n"));
    }
};

QTEST_MAIN(tst_DuplicateFlood)
#include "tst_DuplicateFlood.moc"
