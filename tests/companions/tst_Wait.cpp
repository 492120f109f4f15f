#include "CompanionTestSupport.h"
#include "devicetools/EjectChain.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace companiontest;
using quaverly::devicetools::quoteArgument;
using namespace Qt::StringLiterals;

class tst_Wait : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;

    QString fresh(const QString& stem) { return m_dir.filePath(stem + QString::number(++m_count)); }

    // The words as one argument text, each quoted as the eject chain quotes.
    static QString commandLine(const QStringList& words)
    {
        QStringList quoted;
        for (const QString& word : words)
            quoted.append(quoteArgument(word));
        return quoted.join(u' ');
    }

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
        run(wait, { commandLine(markerCommand(marker, u"$(pwd -P)"_s)) });
        QVERIFY(wait.waitForFinished(10000));
        QVERIFY(clock.elapsed() >= 900); // the pause is the point of the program
        QCOMPARE(wait.exitCode(), 0);
        QTRY_COMPARE(readFile(marker), QFileInfo(binary("wait")).canonicalPath() + u'\n');
    }

    // The argument text is every argument joined by blanks: the whole command
    // line as one argument (as Stayvane passes it) and one word per argument
    // start the same command.
    void oneArgumentAndManyArgumentsStartTheSameCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("the command line as one argument") << QStringList { u"touch done.txt"_s };
        QTest::newRow("one word per argument") << QStringList { u"touch"_s, u"done.txt"_s };
        QTest::newRow("partly joined") << QStringList { u"touch"_s, u"done.txt also.txt"_s };
    }
    void oneArgumentAndManyArgumentsStartTheSameCommand()
    {
        QFETCH(QStringList, arguments);
        const QString own = fresh(u"own"_s);
        QVERIFY(QDir().mkpath(own));
        QVERIFY(QFile::copy(binary("wait"), own + u"/wait"_s));
        QProcess wait;
        run(wait, arguments, own + u"/wait"_s);
        QVERIFY(wait.waitForFinished(10000));
        QCOMPARE(wait.exitCode(), 0);
        QTRY_VERIFY(QFile::exists(own + u"/done.txt"_s)); // relative to wait's own folder
        QCOMPARE(QFile::exists(own + u"/also.txt"_s), arguments.size() == 2 && arguments[1].contains(u' '));
    }

    // Quoted as the eject chain quotes: blanks, quotes, ';' and shell
    // characters reach the command as they are, and nothing is run by a shell.
    void quotedWordsReachTheCommandIntact()
    {
        const QString marker = fresh(u"marker"_s);
        const QStringList words { u"/bin/sh"_s,   u"-c"_s,   u"printf '%s|' \"$@\" > \"$0\""_s,
                                  marker,         u"a b"_s,  u"c;d"_s,
                                  u"'e' $HOME"_s, u"\"q\""_s };
        QProcess wait;
        run(wait, { commandLine(words) });
        QVERIFY(wait.waitForFinished(10000));
        QCOMPARE(wait.exitCode(), 0);
        QTRY_COMPARE(readFile(marker), u"a b|c;d|'e' $HOME|\"q\"|"_s);
    }

    void aCommandThatCannotStartIsReported_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("shownCommand");
        QTest::newRow("missing program") << QStringList { u"/nonexistent/prog-7f3c"_s, u"x y"_s }
                                         << u"/nonexistent/prog-7f3c x y"_s;
        QTest::newRow("only blanks") << QStringList { u"  "_s } << u"  "_s;
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

    void aFailureIsShownInAMessageBoxWhenADisplayIsThere()
    {
        const QString shown = fresh(u"messages"_s);
        QProcessEnvironment env = environment();
        env.insert(u"DISPLAY"_s, u":0"_s);
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s); // the box is drawn off screen, logged and closed
        env.insert(u"QUAVERLY_COMPANION_MESSAGES"_s, shown);
        QProcess wait;
        wait.setProcessEnvironment(env);
        wait.start(binary("wait"), { u"/nonexistent/prog-7f3c -x"_s });
        QVERIFY(wait.waitForFinished(10000));
        QCOMPARE(wait.exitCode(), 1);
        const QStringList lines = readFile(shown).split(u'\n');
        QCOMPARE(lines.size(), 5); // title, reason, argument text, folder, final line end
        QCOMPARE(lines.at(0), u"wait"_s);
        QCOMPARE(lines.at(2), u"/nonexistent/prog-7f3c -x"_s);
        QCOMPARE(lines.at(3), QFileInfo(binary("wait")).canonicalPath());
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
