#include "CompanionTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace companiontest;
using namespace Qt::StringLiterals;

class tst_Wait : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;

    QString fresh(const QString& stem) { return m_dir.filePath(stem + QString::number(++m_count)); }

    static void run(QProcess& process, const QStringList& arguments, const QString& program = binary("wait"))
    {
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(binary("wait")).isExecutable());
    }

    void pausesThenRunsTheCommandInItsOwnFolder()
    {
        const QString marker = fresh(u"marker"_s);
        QProcess wait;
        QElapsedTimer clock;
        clock.start();
        run(wait, markerCommand(marker, u"$(pwd -P)"_s));
        QVERIFY(wait.waitForFinished(10000));
        QVERIFY(clock.elapsed() >= 900); // the pause is the point of the program
        QCOMPARE(wait.exitCode(), 0);
        QTRY_COMPARE(readFile(marker), QFileInfo(binary("wait")).canonicalPath() + u'\n');
    }

    void argumentsReachTheCommandUnchanged()
    {
        const QString marker = fresh(u"marker"_s);
        QProcess wait;
        run(wait,
            { u"/bin/sh"_s, u"-c"_s, u"printf '%s|' \"$@\" > \"$0\""_s, marker, u"a b"_s, u"c;d"_s, u"'e' $HOME"_s });
        QVERIFY(wait.waitForFinished(10000));
        QTRY_COMPARE(readFile(marker), u"a b|c;d|'e' $HOME|"_s);
    }

    void aCommandThatCannotStartIsReported_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("shownCommand");
        QTest::newRow("missing program") << QStringList { u"/nonexistent/prog-7f3c"_s, u"x y"_s }
                                         << u"/nonexistent/prog-7f3c \"x y\""_s;
        QTest::newRow("not executable") << QStringList { QStringLiteral(QUAVERLY_TESTDATA "/real/README.md") }
                                        << QStringLiteral(QUAVERLY_TESTDATA "/real/README.md");
        QTest::newRow("nothing given") << QStringList() << QString();
    }
    void aCommandThatCannotStartIsReported()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, shownCommand);
        QProcess wait;
        run(wait, arguments);
        QVERIFY(wait.waitForFinished(10000));
        QCOMPARE(wait.exitCode(), 1);
        const QStringList lines = QString::fromUtf8(wait.readAllStandardError()).split(u'\n');
        QCOMPARE(lines.size(), 4); // reason, command, folder, final line end
        QVERIFY(lines.at(0).size() > u"wait: "_s.size());
        QCOMPARE(lines.at(1), shownCommand);
        QCOMPARE(lines.at(2), QFileInfo(binary("wait")).canonicalPath());
    }

    void aBareNameIsLookedUpBesideWait()
    {
        const QString own = fresh(u"own"_s);
        QVERIFY(QDir().mkpath(own));
        QVERIFY(QFile::copy(binary("wait"), own + u"/wait"_s));
        QVERIFY(writeFile(own + u"/helper-7f3c"_s, "#!/bin/sh\necho helped > \"$1\"\n", true));
        const QString marker = fresh(u"marker"_s);
        QProcess wait;
        run(wait, { u"helper-7f3c"_s, marker }, own + u"/wait"_s);
        QVERIFY(wait.waitForFinished(10000));
        QCOMPARE(wait.exitCode(), 0);
        QTRY_COMPARE(readFile(marker), u"helped\n"_s);
    }
};

QTEST_GUILESS_MAIN(tst_Wait)
#include "tst_Wait.moc"
