// Libraries opened when first needed: what a load and a bind answer, and that
// the programs map libmpv and libasound only to play.
#include "playback/RuntimeLibrary.h"
#include "tools/demoipod/DemoIpod.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::playback;
using namespace Qt::StringLiterals;

namespace {

/// The audio libraries a run of `program` maps, as the dynamic loader reports them.
QStringList audioLibrariesMapped(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LD_DEBUG"_s, u"files"_s);
    env.insert(u"QUAVERLY_AUDIO_OUT"_s, u"null"_s);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUAVERLY_BIN_DIR "/") + program, arguments);
    if (!process.waitForFinished(60000))
        return { u"(did not end)"_s };
    QStringList mapped;
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n')) {
        for (const QString& name : { u"file=libmpv.so"_s, u"file=libasound.so"_s }) {
            if (line.contains(name) && !mapped.contains(name))
                mapped << name;
        }
    }
    return mapped;
}

using ZlibVersion = const char* (*)();

} // namespace

class tst_RuntimeLibrary : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void opensAndBinds()
    {
        RuntimeLibrary zlib(u"zlib"_s, nullptr, { { u"no-such-library-quaverly"_s, 3 }, { u"z"_s, 1 } });
        QVERIFY(!zlib.isLoaded());
        QVERIFY(zlib.resolve("zlibVersion") == nullptr); // nothing before load()
        QVERIFY2(zlib.load(), qPrintable(zlib.errorText()));
        QVERIFY(zlib.isLoaded());
        QVERIFY(zlib.load());
        ZlibVersion version = nullptr;
        QVERIFY(zlib.bind(version, "zlibVersion"));
        QVERIFY(QByteArray(version()).startsWith('1'));
        QVERIFY(!zlib.bind(version, "no_such_function_quaverly"));
        QVERIFY(version == nullptr);
        QVERIFY(zlib.errorText().contains(u"no_such_function_quaverly"_s));
    }

    void missingLibrarySaysSoOnce()
    {
        RuntimeLibrary missing(u"libnothing"_s, nullptr, { { u"no-such-library-quaverly"_s, 7 } });
        QVERIFY(!missing.load());
        QVERIFY(!missing.isLoaded());
        QVERIFY(missing.errorText().startsWith(u"libnothing could not be opened"_s));
        QVERIFY(!missing.load()); // not tried again
        ZlibVersion version = nullptr;
        QVERIFY(!missing.bind(version, "zlibVersion"));
    }

    void environmentNamesTheOnlyCandidate()
    {
        qputenv("QUAVERLY_TEST_LIBRARY", "/nowhere/libz.so.1");
        RuntimeLibrary chosen(u"zlib"_s, "QUAVERLY_TEST_LIBRARY", { { u"z"_s, 1 } });
        qunsetenv("QUAVERLY_TEST_LIBRARY");
        QVERIFY(!chosen.load()); // the working default is not tried behind the user's back
        QVERIFY(chosen.errorText().contains(u"/nowhere/libz.so.1"_s));
    }

    // The programs: only playing maps the audio libraries.
    void commandLineMapsThemOnlyToPlay()
    {
        QVERIFY(m_dir.isValid());
        const QString ipod = m_dir.filePath(u"ipod"_s);
        QString error;
        QVERIFY2(quaverly::tools::makeDemoIpod(ipod, {}, &error), qPrintable(error));
        QCOMPARE(audioLibrariesMapped(u"quaverly-cli"_s, { u"--version"_s }), QStringList());
        QCOMPARE(audioLibrariesMapped(u"quaverly-cli"_s, { u"info"_s, ipod }), QStringList());
        QCOMPARE(audioLibrariesMapped(u"quaverly-cli"_s, { u"songs"_s, u"--json"_s, ipod }), QStringList());
        // (libmpv brings libasound along.)
        QVERIFY(audioLibrariesMapped(u"quaverly-cli"_s, { u"play"_s, ipod, u"0"_s, u"--audio-out"_s, u"null"_s })
                    .contains(u"file=libmpv.so"_s));
    }

    void windowShowsWithoutThem()
    {
        QVERIFY(m_dir.isValid());
        const QString ipod = m_dir.filePath(u"window"_s);
        QString error;
        QVERIFY2(quaverly::tools::makeDemoIpod(ipod, {}, &error), qPrintable(error));
        // The screenshot run ends 200 ms after the main window is shown.
        QCOMPARE(audioLibrariesMapped(u"quaverly"_s, { u"--screenshot"_s, m_dir.filePath(u"shot.png"_s), ipod }),
                 QStringList());
        QVERIFY(QFile::exists(m_dir.filePath(u"shot.png"_s)));
    }

    void companionsNeedThemNot_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("quaverly") << u"quaverly"_s;
        QTest::newRow("quaverly-cli") << u"quaverly-cli"_s;
        QTest::newRow("stayvane") << u"stayvane"_s;
        QTest::newRow("wait") << u"wait"_s;
    }
    void companionsNeedThemNot()
    {
        QFETCH(QString, program);
        QProcess ldd;
        ldd.start(u"ldd"_s, { QStringLiteral(QUAVERLY_BIN_DIR "/") + program });
        if (!ldd.waitForStarted())
            QSKIP("ldd is not installed");
        QVERIFY(ldd.waitForFinished(30000));
        const QString needed = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(!needed.contains(u"libmpv"_s) && !needed.contains(u"libasound"_s), qPrintable(needed));
    }
};

QTEST_GUILESS_MAIN(tst_RuntimeLibrary)
#include "tst_RuntimeLibrary.moc"
