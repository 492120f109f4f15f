#include "CompanionTestSupport.h"
#include "devicetools/EjectChain.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace companiontest;
using namespace Qt::StringLiterals;
using quaverly::devicetools::quoteArgument;

namespace {

QString commandText(const QStringList& command)
{
    QStringList quoted;
    for (const QString& part : command)
        quoted.append(quoteArgument(part));
    return quoted.join(u' ');
}

} // namespace

class tst_Stayvane : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_sleep;
    int m_count = 0;

    QString fresh(const QString& stem) { return m_dir.filePath(stem + QString::number(++m_count)); }

    // Starts stayvane (the built one unless `program` is given) with one argument text.
    void start(QProcess& process, const QString& text, const QString& program = binary("stayvane"))
    {
        process.setProcessEnvironment(environment());
        process.start(program, { text });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(binary("stayvane")).isExecutable());
        m_sleep = QStandardPaths::findExecutable(u"sleep"_s);
        QVERIFY(!m_sleep.isEmpty());
    }

    void startsTheCommandOnlyAfterTheProcessHasEnded_data()
    {
        QTest::addColumn<int>("form");
        QTest::newRow("full path") << 0;
        QTest::newRow("file name in another letter case") << 1;
        QTest::newRow("quoted path") << 2;
    }
    void startsTheCommandOnlyAfterTheProcessHasEnded()
    {
        QFETCH(int, form);
        const QString player = fresh(u"Player Dummy "_s);
        QVERIFY(QFile::copy(m_sleep, player));
        const QString names[] = { player, QFileInfo(player).fileName().toUpper(), quoteArgument(player) };
        QProcess playing;
        playing.start(player, { u"60"_s });
        QVERIFY(playing.waitForStarted());

        const QString marker = fresh(u"marker"_s);
        QProcess stayvane;
        start(stayvane, names[form] + u';' + commandText(markerCommand(marker)));
        QVERIFY(stayvane.waitForStarted());
        // Kept bounded: nothing marks "still waiting"; polling ten times a second, it would have ended by then.
        QVERIFY(!stayvane.waitForFinished(1500));
        QVERIFY(!QFile::exists(marker));

        playing.kill();
        QVERIFY(playing.waitForFinished());
        QVERIFY(stayvane.waitForFinished(10000));
        QCOMPARE(stayvane.exitCode(), 0);
        QTRY_COMPARE(readFile(marker), u"started\n"_s);
    }

    void startsAtOnceWhenNoProcessMatches()
    {
        const QString marker = fresh(u"marker"_s);
        QProcess stayvane;
        start(stayvane, u"no-such-program-7f3c;"_s + commandText(markerCommand(marker)));
        QVERIFY(stayvane.waitForFinished(10000));
        QTRY_COMPARE(readFile(marker), u"started\n"_s);
    }

    void endsWithoutStartingAnything_data()
    {
        QTest::addColumn<bool>("withSemicolon");
        QTest::newRow("no ';'") << false;
        QTest::newRow("empty name") << true; // it would match every process
    }
    void endsWithoutStartingAnything()
    {
        QFETCH(bool, withSemicolon);
        const QString marker = fresh(u"marker"_s);
        QProcess stayvane;
        start(stayvane, (withSemicolon ? u";"_s : QString()) + commandText(markerCommand(marker)));
        QVERIFY(stayvane.waitForFinished(10000));
        QCOMPARE(stayvane.exitCode(), 0);
        // A detached start returns only once the command runs, so a command it
        // had started would now be running or, having ended, have left its marker.
        QCOMPARE(processesWith(marker), 0);
        QVERIFY(!QFile::exists(marker));
    }

    void onlyTheSecondPieceIsTheCommand()
    {
        const QString marker = fresh(u"marker"_s);
        QProcess stayvane;
        // $# counts the arguments after the marker: none, since ";c d" is ignored.
        start(stayvane, u"no-such-program-7f3c;"_s + commandText(markerCommand(marker, u"$#"_s)) + u";c d"_s);
        QVERIFY(stayvane.waitForFinished(10000));
        QTRY_COMPARE(readFile(marker), u"0\n"_s);
    }

    void aQuotedSemicolonStaysInTheCommand()
    {
        const QString marker = fresh(u"marker;x"_s);
        QProcess stayvane;
        start(stayvane, u"no-such-program-7f3c;"_s + commandText(markerCommand(marker, u"'a;b'"_s)));
        QVERIFY(stayvane.waitForFinished(10000));
        QTRY_COMPARE(readFile(marker), u"a;b\n"_s);
    }

    void aBareNameIsLookedUpBesideStayvane()
    {
        const QString own = fresh(u"own"_s);
        QVERIFY(QDir().mkpath(own));
        QVERIFY(QFile::copy(binary("stayvane"), own + u"/stayvane"_s));
        QVERIFY(writeFile(own + u"/helper-7f3c"_s, "#!/bin/sh\necho helped > \"$1\"\n", true));
        const QString marker = fresh(u"marker"_s);
        QProcess stayvane;
        start(stayvane, u"no-such-program-7f3c;helper-7f3c "_s + quoteArgument(marker), own + u"/stayvane"_s);
        QVERIFY(stayvane.waitForFinished(10000));
        QCOMPARE(stayvane.exitCode(), 0);
        QTRY_COMPARE(readFile(marker), u"helped\n"_s);
    }

    void neverWaitsForItself()
    {
        // A name matching stayvane's own folder matches stayvane itself, and nothing else.
        const QString own = fresh(u"self"_s);
        QVERIFY(QDir().mkpath(own));
        QVERIFY(QFile::copy(binary("stayvane"), own + u"/stayvane"_s));
        const QString marker = fresh(u"marker"_s);
        QProcess stayvane;
        start(stayvane, own + u';' + commandText(markerCommand(marker)), own + u"/stayvane"_s);
        QVERIFY(stayvane.waitForFinished(10000));
        QTRY_COMPARE(readFile(marker), u"started\n"_s);
    }
};

QTEST_GUILESS_MAIN(tst_Stayvane)
#include "tst_Stayvane.moc"
