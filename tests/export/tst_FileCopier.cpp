#include "FakeIpod.h"
#include "export/FileCopier.h"

#include <QTest>

#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quaverly::exporting;
using namespace quaverly::exporting::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray writeFile(const QString& path, const QByteArray& data)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return {};
    return data;
}

/// Limits the size of files this process may write, for as long as it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = ::getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write then fails with EFBIG instead
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    rlimit m_saved {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class tst_FileCopier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failuresLeaveNothingBehind_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("error");
        QTest::newRow("missing source") << u"src/none.mp3"_s << u"out/a.mp3"_s << int(ExtractError::SourceMissing);
        QTest::newRow("source is a folder") << u"src"_s << u"out/a.mp3"_s << int(ExtractError::SourceNotRegular);
        // Opening a FIFO for reading would wait for a writer forever.
        QTest::newRow("source is a FIFO") << u"src/fifo.mp3"_s << u"out/a.mp3"_s << int(ExtractError::SourceNotRegular);
        QTest::newRow("file in the way of a folder")
            << u"src/a.mp3"_s << u"out/old.mp3/a.mp3"_s << int(ExtractError::FolderNotCreated);
    }
    void failuresLeaveNothingBehind()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(int, error);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!writeFile(dir.filePath(u"src/a.mp3"_s), "song").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"out/old.mp3"_s), "old").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"out/busy/inside.mp3"_s), "inside").isEmpty());
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"src/fifo.mp3"_s)).constData(), 0600), 0);
        const QStringList before = filesBelow(dir.filePath(u"out"_s));

        const CopyResult result = FileCopier().CopyFile(dir.filePath(source), dir.filePath(destination));

        QCOMPARE(int(result.error), error);
        QCOMPARE(result.systemError != 0, error != int(ExtractError::SourceNotRegular));
        QCOMPARE(filesBelow(dir.filePath(u"out"_s)), before);
        QCOMPARE(contents(dir.filePath(u"out/old.mp3"_s)), QByteArray("old"));
    }

    void takenNamesAreNeverReplaced_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("a file") << 0;
        QTest::newRow("a folder") << 1;
        QTest::newRow("a link to a file elsewhere") << 2;
        QTest::newRow("a link to nothing") << 3;
    }
    void takenNamesAreNeverReplaced()
    {
        QFETCH(int, kind);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!writeFile(dir.filePath(u"src/a.mp3"_s), "song").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"elsewhere/mine.mp3"_s), "mine").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"out/a (2).mp3"_s), "second").isEmpty());
        const QString taken = dir.filePath(u"out/a.mp3"_s);
        switch (kind) {
        case 0:
            QVERIFY(!writeFile(taken, "mine").isEmpty());
            break;
        case 1:
            QVERIFY(QDir().mkpath(taken));
            break;
        default:
            QVERIFY(QFile::link(dir.filePath(kind == 2 ? u"elsewhere/mine.mp3"_s : u"elsewhere/none.mp3"_s), taken));
        }

        FileCopier copier;
        const CopyResult result = copier.CopyFile(dir.filePath(u"src/a.mp3"_s), taken);

        QVERIFY(result.ok());
        QCOMPARE(result.destination, dir.filePath(u"out/a (3).mp3"_s));
        QCOMPARE(contents(result.destination), QByteArray("song"));
        QCOMPARE(contents(dir.filePath(u"out/a (2).mp3"_s)), QByteArray("second"));
        QCOMPARE(contents(dir.filePath(u"elsewhere/mine.mp3"_s)), QByteArray("mine"));
        QVERIFY(!QFileInfo::exists(dir.filePath(u"elsewhere/none.mp3"_s)));
        if (kind == 0)
            QCOMPARE(contents(taken), QByteArray("mine"));

        // A caller that names its own alternatives is asked for them in turn.
        QStringList asked;
        const CopyResult named = copier.CopyFile(dir.filePath(u"src/a.mp3"_s), taken, {}, [&](int attempt) {
            asked << QString::number(attempt);
            return dir.filePath(u"out/a-%1.mp3"_s.arg(attempt));
        });
        QVERIFY(named.ok());
        QCOMPARE(asked, QStringList { u"1"_s });
        QCOMPARE(named.destination, dir.filePath(u"out/a-1.mp3"_s));
    }

    void partialFilesOfAKilledCopyAreRemovedAndNothingElse()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!writeFile(dir.filePath(u"src/a.mp3"_s), "song").isEmpty());
        const QStringList kept { u".quaverly-.part"_s,     u".quaverly-12345678901234567.part"_s,
                                 u".quaverly-ABCD.part"_s, u".quaverly-ab.part.mp3"_s,
                                 u"my.quaverly-ab.part"_s, u"song.part"_s };
        for (const QString& name : kept)
            QVERIFY(!writeFile(dir.filePath(u"out/"_s + name), "keep").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"out/.quaverly-9f3e.part"_s), "half a song").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"out/sub/.quaverly-77.part"_s), "another folder").isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"elsewhere.mp3"_s), "mine").isEmpty());
        QVERIFY(QFile::link(dir.filePath(u"elsewhere.mp3"_s), dir.filePath(u"out/.quaverly-1.part"_s)));
        QVERIFY(QDir().mkpath(dir.filePath(u"out/.quaverly-2.part"_s)));
        // A copy running beside this one holds the lock on its own partial file.
        QVERIFY(!writeFile(dir.filePath(u"out/.quaverly-beef.part"_s), "in progress").isEmpty());
        QFile running(dir.filePath(u"out/.quaverly-beef.part"_s));
        QVERIFY(running.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(running.handle(), LOCK_EX | LOCK_NB), 0);

        FileCopier copier;
        QVERIFY(copier.CopyFile(dir.filePath(u"src/a.mp3"_s), dir.filePath(u"out/a.mp3"_s)).ok());

        QStringList expected = kept;
        expected << u".quaverly-1.part"_s << u".quaverly-beef.part"_s << u"a.mp3"_s << u"sub/.quaverly-77.part"_s;
        expected.sort();
        QCOMPARE(filesBelow(dir.filePath(u"out"_s)), expected);
        QVERIFY(QFileInfo(dir.filePath(u"out/.quaverly-2.part"_s)).isDir());
        QCOMPARE(contents(dir.filePath(u"elsewhere.mp3"_s)), QByteArray("mine"));
        QCOMPARE(contents(dir.filePath(u"out/.quaverly-beef.part"_s)), QByteArray("in progress"));
    }

    void writeFailureMidFileKeepsTheOldFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!writeFile(dir.filePath(u"src/a.mp3"_s), QByteArray(2 * 1024 * 1024, 'x')).isEmpty());
        QVERIFY(!writeFile(dir.filePath(u"out/a.mp3"_s), "old").isEmpty());
        CopyResult result;
        {
            const FileSizeLimit limit(512 * 1024); // the disk "fills up" half way
            QVERIFY(limit.ok());
            result = FileCopier().CopyFile(dir.filePath(u"src/a.mp3"_s), dir.filePath(u"out/a.mp3"_s));
        }
        QVERIFY(!result.ok());
        QCOMPARE(result.systemError, EFBIG);
        QCOMPARE(filesBelow(dir.filePath(u"out"_s)), QStringList { u"a.mp3"_s });
        QCOMPARE(contents(dir.filePath(u"out/a.mp3"_s)), QByteArray("old"));
    }

    void finishSeesTheWholeCopyBeforeItTakesItsName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!writeFile(dir.filePath(u"src/a.mp3"_s), QByteArray(300 * 1024, 'x')).isEmpty());
        const QString destination = dir.filePath(u"out/a.mp3"_s);
        QString seen;
        bool destinationThere = true;
        const CopyResult result = FileCopier().CopyFile(dir.filePath(u"src/a.mp3"_s), destination, {}, {},
                                                        [&](const QString& temporary) {
                                                            seen = temporary;
                                                            destinationThere = QFile::exists(destination);
                                                            QFile copy(temporary);
                                                            QVERIFY(copy.open(QIODevice::Append));
                                                            copy.write("tagged");
                                                        });
        QVERIFY(result.ok());
        QVERIFY(QFileInfo(seen).fileName().startsWith(QLatin1String(FileCopier::kTempPrefix)));
        QVERIFY(!destinationThere);
        QCOMPARE(contents(destination), QByteArray(300 * 1024, 'x') + "tagged");
        QCOMPARE(filesBelow(dir.filePath(u"out"_s)), QStringList { u"a.mp3"_s });
    }
};

QTEST_GUILESS_MAIN(tst_FileCopier)
#include "tst_FileCopier.moc"
