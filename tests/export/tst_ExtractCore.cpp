#include "export/ExtractCore.h"

#include <QTest>

using namespace quaverly::exporting;
using namespace Qt::StringLiterals;

namespace {

qsizetype utf8Bytes(const QString& text)
{
    return text.toUtf8().size();
}

} // namespace

class tst_ExtractCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void makeFileName_data()
    {
        QTest::addColumn<QString>("tmpl");
        QTest::addColumn<QStringList>("fields"); // title, artist, album, genre, track number
        QTest::addColumn<QString>("expected");
        const QString def = kDefaultTemplate.toString();
        const auto f = [](auto... values) { return QStringList { QString::fromUtf16(values)... }; };

        QTest::newRow("all fields") << def << f(u"Hells Bells", u"AC/DC", u"Back in Black", u"Rock", u"06")
                                    << u"Rock\\ACDC\\Back in Black\\06 - Hells Bells"_s;
        QTest::newRow("empty fields take defaults")
            << def << f(u"Song", u"", u"", u"", u"") << u"Unknown Genre\\Unknown Artist\\Unknown Album\\00 - Song"_s;
        QTest::newRow("empty title ends in a hyphen")
            << def << f(u"", u"", u"", u"", u"07") << u"Unknown Genre\\Unknown Artist\\Unknown Album\\07 -"_s;
        QTest::newRow("tokens any case") << u"[GENRE]\\[TiTlE]"_s << f(u"Song", u"Band", u"LP", u"Rock", u"07")
                                         << u"Rock\\Song"_s;
        QTest::newRow("punctuation dropped")
            << u"[title]"_s << f(u"Mr. Brightside (Live)", u"", u"", u"", u"") << u"Mr Brightside Live"_s;
        QTest::newRow("unknown bracket loses brackets")
            << u"[year] [title]"_s << f(u"Song", u"", u"", u"", u"") << u"year Song"_s;
        QTest::newRow("slash in template")
            << u"[genre]/[title]"_s << f(u"Song", u"Band", u"LP", u"Rock", u"07") << u"Rock\\Song"_s;
        QTest::newRow("reserved characters in every field")
            << def << f(u"<What>|Now\\?", u"AC/DC: \"Live\"", u"Who's Next?*", u"R&B/Soul", u"0:7")
            << u"RBSoul\\ACDC Live\\Whos Next\\07 - WhatNow"_s;
        // Letters of every script survive, also those without two case forms.
        QTest::newRow("accents") << u"[title]"_s << f(u"Café Déjà vu", u"", u"", u"", u"") << u"Café Déjà vu"_s;
        QTest::newRow("sharp s") << u"[title]"_s << f(u"Straße", u"", u"", u"", u"") << u"Straße"_s;
        QTest::newRow("japanese") << def << f(u"さくら（独唱）", u"森山直太朗", u"さくら", u"J-Pop", u"01")
                                  << u"J-Pop\\森山直太朗\\さくら\\01 - さくら独唱"_s;
        QTest::newRow("chinese and greek")
            << u"[artist]\\[title]"_s << f(u"月亮代表我的心", u"Μίκης Θεοδωράκης", u"", u"", u"")
            << u"Μίκης Θεοδωράκης\\月亮代表我的心"_s;
        QTest::newRow("hindi vowel signs") << u"[title]"_s << f(u"नमस्ते", u"", u"", u"", u"") << u"नमस्ते"_s;
        QTest::newRow("decomposed accent") << u"[title]"_s << f(u"Cafe\u0301", u"", u"", u"", u"") << u"Cafe\u0301"_s;
        QTest::newRow("letter outside the basic plane") << u"[title]"_s << f(u"𠀋x", u"", u"", u"", u"") << u"𠀋x"_s;
        QTest::newRow("emoji dropped") << u"[title]"_s << f(u"Happy 😀 Song", u"", u"", u"", u"") << u"Happy  Song"_s;
        QTest::newRow("other spaces become spaces")
            << u"[title]"_s << f(u"A\u00a0B\u3000C", u"", u"", u"", u"") << u"A B C"_s;
        // Fields made of punctuation only are empty fields.
        QTest::newRow("punctuation-only artist")
            << u"[artist]\\[title]"_s << f(u"Song", u"!!!", u"", u"", u"") << u"Unknown Artist\\Song"_s;
        QTest::newRow("punctuation-only title alone")
            << u"[artist]\\[title]"_s << f(u"???", u"Band", u"", u"", u"") << u"Band\\Unknown Title"_s;
        QTest::newRow("empty template") << QString() << f(u"Song", u"Band", u"", u"", u"") << u"Unknown Title"_s;
        QTest::newRow("doubled separator collapses")
            << u"[genre]\\\\[title]\\"_s << f(u"Song", u"", u"", u"Rock", u"") << u"Rock\\Song"_s;
        QTest::newRow("marker in a field adds a level")
            << u"[artist]\\[title]"_s << f(u"Song", u"FooPATHSEPERATORBar", u"", u"", u"") << u"Foo\\Bar\\Song"_s;
        QTest::newRow("marker in other case does not")
            << u"[artist]\\[title]"_s << f(u"Song", u"FooPathSeperatorBar", u"", u"", u"")
            << u"FooPathSeperatorBar\\Song"_s;
        QTest::newRow("field that is only the marker")
            << u"[album]\\[title]"_s << f(u"Song", u"", u"PATHSEPERATOR", u"", u"") << u"Unknown Album\\Song"_s;
        QTest::newRow("bracketed token inside a field stays text")
            << u"[album]"_s << f(u"Song", u"", u"[title] Live", u"", u"") << u"title Live"_s;
    }
    void makeFileName()
    {
        QFETCH(QString, tmpl);
        QFETCH(QStringList, fields);
        QFETCH(QString, expected);
        QCOMPARE(MakeFileName(tmpl, fields[0], fields[1], fields[2], fields[3], fields[4]), expected);
    }

    void getFormat_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("mp3") << u"/iPod_Control/Music/F00/ABCD.mp3"_s << u"mp3"_s;
        QTest::newRow("case kept") << u"/iPod_Control/Music/F00/ABCD.M4A"_s << u"M4A"_s;
        QTest::newRow("last dot") << u"/iPod_Control/Music/F00/AB.CD.m4p"_s << u"m4p"_s;
        QTest::newRow("colon separators") << u":iPod_Control:Music:F01:XYZW.m4a"_s << u"m4a"_s;
        QTest::newRow("no dot") << u"/iPod_Control/Music/F00/ABCD"_s << u"dat"_s;
        QTest::newRow("dot only in a folder") << u"/iPod_Control/Music/F00.old/ABCD"_s << u"dat"_s;
        QTest::newRow("trailing dot") << u"/iPod_Control/Music/F00/ABCD."_s << u"dat"_s;
        QTest::newRow("odd characters") << u"/Music/ABCD.m p/3"_s << u"dat"_s;
        QTest::newRow("empty") << QString() << u"dat"_s;
    }
    void getFormat()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(GetFormat(path), expected);
    }

    void destinationNameCases_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("longPart"); // the component that must be cut
        QTest::newRow("latin title") << u"Rock\\"_s + QString(300, u'a') << QString() << QString(300, u'a');
        QTest::newRow("japanese title with suffix")
            << u"Rock\\"_s + QString(200, u'桜') << u" (12)"_s << QString(200, u'桜');
        QString accents;
        for (int i = 0; i < 150; ++i)
            accents += u"e\u0301"_s; // 3 bytes per character, never split from its letter
        QTest::newRow("combining marks") << accents << QString() << accents;
        QString wide;
        for (int i = 0; i < 100; ++i)
            wide += u"𠀋"_s;
        QTest::newRow("surrogate pairs") << wide << u" (2)"_s << wide;
    }
    void destinationNameCases()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, suffix);
        QFETCH(QString, longPart);
        const QString name = destinationName(fileName, u"mp3"_s, suffix);
        const QString last = name.section(u'/', -1);
        QVERIFY2(utf8Bytes(last) <= kMaxNameBytes, qPrintable(last));
        QVERIFY(utf8Bytes(last) > kMaxNameBytes - 8); // cut, not emptied
        QVERIFY(last.endsWith(suffix + u".mp3"_s));
        const QString base = last.chopped(suffix.size() + 4);
        QVERIFY(longPart.startsWith(base));
        QCOMPARE(QString::fromUtf8(last.toUtf8()), last); // no half characters
        if (longPart.contains(u'\u0301'))
            QVERIFY(base.endsWith(u'\u0301'));
    }

    void destinationNameCutsFoldersAndTrims()
    {
        const QString folder = QString(254, u'b') + u"  cc"_s;
        const QString name = destinationName(folder + u"\\Song "_s, u"m4a"_s);
        QCOMPARE(name, QString(254, u'b') + u"/Song.m4a"_s);
    }
};

QTEST_GUILESS_MAIN(tst_ExtractCore)
#include "tst_ExtractCore.moc"
