#include "TestLibrary.h"
#include "cli/CliSelection.h"

#include <QTest>

using namespace quaverly;
using namespace quaverly::browser::test;
using Rows = std::vector<int>;

class tst_CliSelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selections_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QList<int>>("expected"); // empty + error when the last element is -1
        // 0 Rock/Beta/B1, 1 rock/alpha/A1, 2 Pop/Alpha/A2, 3 Jazz/Gamma/G1, 4 Pop/Beta/B2, 5 Jazz/Gamma/G1
        QTest::newRow("nothing: the master playlist sorted") << QStringList {} << QList<int> { 1, 2, 0, 4, 3, 5 };
        QTest::newRow("no sort keeps the playlist order")
            << QStringList { u"--no-sort"_qs } << QList<int> { 0, 1, 2, 3, 4, 5 };
        QTest::newRow("genres in the order given, any case")
            << QStringList { u"--no-sort"_qs, u"--genre"_qs, u"JAZZ"_qs, u"--genre"_qs, u"rock"_qs }
            << QList<int> { 3, 5, 0, 1 };
        QTest::newRow("[All] entry") << QStringList { u"--no-sort"_qs, u"--artist"_qs, u"[all]"_qs }
                                     << QList<int> { 0, 1, 2, 3, 4, 5 };
        QTest::newRow("genre then artist")
            << QStringList { u"--genre"_qs, u"pop"_qs, u"--artist"_qs, u"beta"_qs } << QList<int> { 4 };
        QTest::newRow("two albums") << QStringList { u"--album"_qs, u"G1"_qs, u"--album"_qs, u"A1"_qs }
                                    << QList<int> { 1, 3, 5 };
        QTest::newRow("source by name") << QStringList { u"--no-sort"_qs, u"--source"_qs, u"MIX"_qs }
                                        << QList<int> { 4, 0 };
        QTest::newRow("search") << QStringList { u"--search"_qs, u"gamma 1005"_qs } << QList<int> { 5 };
        QTest::newRow("unknown source") << QStringList { u"--source"_qs, u"Nope"_qs } << QList<int> { -1 };
        QTest::newRow("artist not in the genre")
            << QStringList { u"--genre"_qs, u"Jazz"_qs, u"--artist"_qs, u"Beta"_qs } << QList<int> { -1 };
    }
    void selections()
    {
        QFETCH(QStringList, options);
        QFETCH(QList<int>, expected);
        database::Library library = makeLibrary({
            { u"One"_qs, u"Beta"_qs, u"B1"_qs, u"Rock"_qs, 1 },
            { u"Two"_qs, u"alpha"_qs, u"A1"_qs, u"rock"_qs, 1 },
            { u"Three"_qs, u"Alpha"_qs, u"A2"_qs, u"Pop"_qs, 1 },
            { u"Four"_qs, u"Gamma"_qs, u"G1"_qs, u"Jazz"_qs, 1 },
            { u"Five"_qs, u"Beta"_qs, u"B2"_qs, u"Pop"_qs, 1 },
            { u"Six"_qs, u"Gamma"_qs, u"G1"_qs, u"Jazz"_qs, 2 },
        });
        addPlaylist(library, u"Mix"_qs, { 4, 0 });
        QCommandLineParser parser;
        cli::addSelectionOptions(parser);
        QVERIFY(parser.parse(QStringList { u"songs"_qs } + options));
        QString error;
        const auto rows = cli::resolveSelection(library, parser, &error);
        if (!expected.isEmpty() && expected.last() == -1) {
            QVERIFY(!rows);
            QVERIFY(!error.isEmpty());
            return;
        }
        QVERIFY(rows);
        QCOMPARE(*rows, Rows(expected.begin(), expected.end()));
    }
};

QTEST_GUILESS_MAIN(tst_CliSelection)
#include "tst_CliSelection.moc"
