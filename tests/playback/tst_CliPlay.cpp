// quaverly-cli play: plays a song of a demo iPod to its end, reports failures
// with exit status 1 and usage errors with 2.
#include "WavFile.h"
#include "tools/demoipod/DemoIpod.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::playback::test;
using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run play(const QStringList& args, const QString& libmpv = QString())
{
    QProcess process;
    if (!libmpv.isNull()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QUAVERLY_LIBMPV"_s, libmpv);
        process.setProcessEnvironment(env);
    }
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli"), QStringList { u"play"_s } + args);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class tst_CliPlay : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_ipod;
    QString m_silentIpod; // the same library without song files

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::exists(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli")));
        m_ipod = m_dir.filePath(u"ipod"_s);
        m_silentIpod = m_dir.filePath(u"silent"_s);
        QString error;
        QVERIFY2(quaverly::tools::makeDemoIpod(m_ipod, {}, &error), qPrintable(error));
        quaverly::tools::DemoOptions noAudio;
        noAudio.audio = false;
        QVERIFY2(quaverly::tools::makeDemoIpod(m_silentIpod, noAudio, &error), qPrintable(error));
        QVERIFY(writeGarbage(m_dir.filePath(u"garbage.mp3"_s)));
    }

    void results_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("first song of the iPod") << QStringList { u"ipod"_s, u"0"_s } << 0 << u"ended: end of file"_s;
        QTest::newRow("song file missing on the iPod")
            << QStringList { u"silent"_s, u"0"_s } << 1 << u"failed: file not found"_s;
        QTest::newRow("garbage file") << QStringList { u"--file"_s, u"garbage.mp3"_s } << 1
                                      << u"failed: cannot decode"_s;
        QTest::newRow("garbage file of a protected kind")
            << QStringList { u"--file"_s, u"garbage.mp3"_s, u"--kind"_s, u"Protected AAC audio file"_s } << 1
            << u"failed: This song is copy-protected and cannot be played on this computer"_s;
        QTest::newRow("no audio device") << QStringList { u"ipod"_s, u"0"_s, u"--audio-out"_s, u"no-such-device"_s }
                                         << 1 << u"failed: no audio output"_s;
        QTest::newRow("index past the end") << QStringList { u"ipod"_s, u"100000"_s } << 1 << QString();
        QTest::newRow("negative index (read as an option)") << QStringList { u"ipod"_s, u"-1"_s } << 2 << QString();
        QTest::newRow("index not a number") << QStringList { u"ipod"_s, u"one"_s } << 2 << QString();
        QTest::newRow("no index") << QStringList { u"ipod"_s } << 2 << QString();
        QTest::newRow("no iPod") << QStringList { u"nowhere"_s, u"0"_s } << 1 << QString();
    }
    void results()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, lastLine);
        for (QString& arg : args) {
            if (QFileInfo::exists(m_dir.filePath(arg)) || arg == u"nowhere"_s)
                arg = m_dir.filePath(arg);
        }
        const Run run = play(args);
        QCOMPARE(run.status, status);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        if (!lastLine.isEmpty()) {
            QVERIFY(!lines.isEmpty());
            QVERIFY2(lines.last().startsWith(lastLine), qPrintable(run.out));
        }
    }

    void withoutLibmpvItSaysWhatIsMissing()
    {
        const Run run = play({ m_ipod, u"0"_s }, m_dir.filePath(u"gone/libmpv.so.2"_s));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"Songs cannot be played: the library libmpv is not installed"_s),
                 qPrintable(run.err));
        QVERIFY(!run.err.contains(u"Segmentation"_s));
    }
};

QTEST_GUILESS_MAIN(tst_CliPlay)
#include "tst_CliPlay.moc"
