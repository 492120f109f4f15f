#include "FakeIpod.h"
#include "export/FileCopier.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>

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
        QTest::newRow("source is a folder") << u"src"_s << u"out/a.mp3"_s << int(ExtractError::SourceUnreadable);
        QTest::newRow("file in the way of a folder")
            << u"src/a.mp3"_s << u"out/old.mp3/a.mp3"_s << int(ExtractError::FolderNotCreated);
        QTest::newRow("folder in the way of the file")
            << u"src/a.mp3"_s << u"out/busy"_s << int(ExtractError::CopyFailed);
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
        const QStringList before = filesBelow(dir.filePath(u"out"_s));

        const CopyResult result = FileCopier().CopyFile(dir.filePath(source), dir.filePath(destination));

        QCOMPARE(int(result.error), error);
        QVERIFY(result.systemError != 0);
        QCOMPARE(filesBelow(dir.filePath(u"out"_s)), before);
        QCOMPARE(contents(dir.filePath(u"out/old.mp3"_s)), QByteArray("old"));
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
        const CopyResult result = FileCopier().CopyFile(dir.filePath(u"src/a.mp3"_s), destination, {},
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
