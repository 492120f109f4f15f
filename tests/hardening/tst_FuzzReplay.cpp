// Replays every committed fuzz input (seeds and the inputs of past findings)
// and the real device files through the fuzz targets' bodies, which check the
// readers' promises. A broken promise aborts the test with its message.
#include "fuzz/FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quaverly::fuzz;

namespace {

struct Target
{
    const char* name;
    FuzzFn body;
    QStringList realFiles; // name filters under tests/data/real/*/
};

const std::vector<Target>& targets()
{
    static const std::vector<Target> all = {
        { "IniFile", &fuzzIniFile, {} },
        { "FileName", &fuzzFileName, {} },
        { "Sysinfo", &fuzzSysinfo, { QStringLiteral("*SysInfo") } },
        { "SysInfoExtended", &fuzzSysInfoExtended, { QStringLiteral("*SysInfoExtended*.plist") } },
        { "ITunesDB", &fuzzITunesDB, { QStringLiteral("iTunesDB") } },
        { "ITunesCDB", &fuzzITunesCDB, {} },
        { "OnTheGo", &fuzzOnTheGo, {} },
        { "PlayCounts", &fuzzPlayCounts, {} },
    };
    return all;
}

QStringList filesIn(const QString& folder, const QStringList& filters = {})
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(filters, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

} // namespace

class tst_FuzzReplay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyTargetHasSeeds()
    {
        for (const Target& target : targets()) {
            const QString folder = QStringLiteral(QUAVERLY_FUZZ_DIR "/corpus/") + QLatin1String(target.name);
            QVERIFY2(!filesIn(folder).isEmpty(), qPrintable(folder));
        }
    }

    void replay_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("path");
        int rows = 0;
        for (size_t t = 0; t < targets().size(); ++t) {
            const Target& target = targets()[t];
            QStringList paths;
            for (const char* kind : { "/corpus/", "/regressions/" })
                paths += filesIn(QLatin1String(QUAVERLY_FUZZ_DIR) + QLatin1String(kind) + QLatin1String(target.name));
            if (!target.realFiles.isEmpty()) {
                const QDir real(QStringLiteral(QUAVERLY_TESTDATA "/real"));
                for (const QString& sub : real.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
                    paths += filesIn(real.filePath(sub), target.realFiles);
            }
            for (const QString& path : paths) {
                const QString row = QLatin1String(target.name) + QLatin1Char(':') + QFileInfo(path).fileName();
                QTest::newRow(qPrintable(row)) << int(t) << path;
                ++rows;
            }
        }
        QVERIFY(rows > 30);
    }
    void replay()
    {
        QFETCH(int, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray bytes = file.readAll();
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        QCOMPARE(targets()[static_cast<size_t>(target)].body(data, static_cast<std::size_t>(bytes.size())), 0);
    }

    // The bodies must take what libFuzzer starts with: nothing, and single bytes.
    void emptyAndTinyInputs()
    {
        const std::uint8_t bytes[] = { 0x00, 0xff };
        for (const Target& target : targets()) {
            QCOMPARE(target.body(bytes, 0), 0);
            QCOMPARE(target.body(bytes, 1), 0);
            QCOMPARE(target.body(bytes + 1, 1), 0);
        }
    }
};

QTEST_GUILESS_MAIN(tst_FuzzReplay)
#include "tst_FuzzReplay.moc"
