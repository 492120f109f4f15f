#include "settings/Preferences.h"
#include "settings/mdlOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>

using namespace quaverly::settings;
using namespace Qt::StringLiterals;
namespace prefs = quaverly::settings::prefs;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

/// An iPod folder whose preferences file starts as a copy of a golden file (or absent).
struct Pod
{
    QTemporaryDir dir;
    QString prefsFile;
    bool ok = false;

    explicit Pod(const QString& golden = {})
    {
        prefsFile = dir.filePath(u"iPod_Control/iTunes/QuaverlyPrefs"_s);
        ok = dir.isValid() && QDir(dir.path()).mkpath(u"iPod_Control/iTunes"_s)
            && (golden.isEmpty() || QFile::copy(goldenPath(golden), prefsFile));
        QFile::setPermissions(prefsFile, QFile::ReadOwner | QFile::WriteOwner);
    }
    static QString goldenPath(const QString& name) { return QStringLiteral(QUAVERLY_TESTDATA "/prefs/") + name; }
};

template <typename S> QString shown(const mdlOptions& options, const S& setting)
{
    return formatValue(setting, options.get(setting));
}

// Every preference that is not free text, read and shown as it would be written.
const std::map<QString, std::function<QString(const mdlOptions&)>>& typedReaders()
{
    static const std::map<QString, std::function<QString(const mdlOptions&)>> readers = {
        { u"Repeat"_s, [](const mdlOptions& o) { return shown(o, prefs::kRepeat); } },
        { u"Shuffle"_s, [](const mdlOptions& o) { return shown(o, prefs::kShuffle); } },
        { u"RepeatType"_s, [](const mdlOptions& o) { return shown(o, prefs::kRepeatType); } },
        { u"SpectrumColor"_s, [](const mdlOptions& o) { return shown(o, prefs::kSpectrumColor); } },
        { u"Column:Title size"_s,
          [](const mdlOptions& o) { return QString::number(o.get(prefs::kColumnWidth, u"Title"_s)); } },
        { u"mnuDefaultOpen"_s, [](const mdlOptions& o) { return shown(o, prefs::kDefaultOpen); } },
        { u"mnuEmbedded"_s, [](const mdlOptions& o) { return shown(o, prefs::kEmbedded); } },
        { u"mnuMinToTray"_s, [](const mdlOptions& o) { return shown(o, prefs::kMinToTray); } },
        { u"mnuMinToTrayNO"_s, [](const mdlOptions& o) { return shown(o, prefs::kMinToTrayNO); } },
        { u"mnuEjectOnClose"_s, [](const mdlOptions& o) { return shown(o, prefs::kEjectOnClose); } },
        { u"mnuBrowseGenre"_s, [](const mdlOptions& o) { return shown(o, prefs::kBrowseGenre); } },
        { u"Sort"_s, [](const mdlOptions& o) { return shown(o, prefs::kSort); } },
        { u"SongPopup"_s, [](const mdlOptions& o) { return shown(o, prefs::kSongPopup); } },
        { u"PlayerCount"_s, [](const mdlOptions& o) { return shown(o, prefs::kPlayerCount); } },
        { u"ExtractTags"_s, [](const mdlOptions& o) { return shown(o, prefs::kExtractTags); } },
        { u"ExtractCovers"_s, [](const mdlOptions& o) { return shown(o, prefs::kExtractCovers); } },
        { u"ExportPlaysFormat"_s, [](const mdlOptions& o) { return shown(o, prefs::kExportPlaysFormat); } },
        { u"Volume"_s, [](const mdlOptions& o) { return shown(o, prefs::kVolume); } },
    };
    return readers;
}

} // namespace

class tst_Preferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aFileTheWindowsBuildWroteReadsAndWritesBackUnchanged()
    {
        Pod pod(u"windows-written.ini"_s);
        QVERIFY(pod.ok);
        mdlOptions options(pod.dir.path());
        QCOMPARE(options.get(prefs::kRepeat), true);
        QCOMPARE(options.get(prefs::kShuffle), false);
        QCOMPARE(options.get(prefs::kRepeatType), prefs::RepeatType::One);
        QCOMPARE(options.get(prefs::kSpectrumColor), 65280);
        QCOMPARE(options.get(prefs::kColumnWidth, u" "_s), 17);
        QCOMPARE(options.get(prefs::kColumnWidth, u"Title"_s), 2400);
        QCOMPARE(options.get(prefs::kColumnWidth, u"Album"_s), prefs::kAutomaticWidth);
        QCOMPARE(options.get(prefs::kEmbedded), true);
        QCOMPARE(options.get(prefs::kMinToTray), false); // stored, so not the default
        QCOMPARE(options.get(prefs::kMinToTrayNO), true);
        QCOMPARE(options.get(prefs::kSort), false);
        QCOMPARE(options.get(prefs::kPlayerCount), 2);
        QCOMPARE(options.get(prefs::kPlayer, u"2"_s), u"D:\\Players\\Spin Player\\spin.exe"_s);
        QCOMPARE(options.get(prefs::kExtractTemplate), u"[artist]\\[album]\\[track number] - [title]"_s);
        QCOMPARE(options.get(prefs::kExtractDir), u"C:\\Documents and Settings\\Ann\\My Documents\\My Music"_s);

        // Each value written back as read: every key keeps the spelling the
        // Windows build gave it ("0"/"1" for the check boxes, "True"/"False" for
        // menu ticks), so the file stays byte for byte what it was.
        const auto rewrite = [&options](const auto& setting) { QVERIFY(options.set(setting, options.get(setting))); };
        rewrite(prefs::kRepeat);
        rewrite(prefs::kShuffle);
        rewrite(prefs::kRepeatType);
        rewrite(prefs::kSpectrumColor);
        rewrite(prefs::kDefaultOpen);
        rewrite(prefs::kEmbedded);
        rewrite(prefs::kMinToTray);
        rewrite(prefs::kMinToTrayNO);
        rewrite(prefs::kEjectOnClose);
        rewrite(prefs::kBrowseGenre);
        rewrite(prefs::kSort);
        rewrite(prefs::kSongPopup);
        rewrite(prefs::kPlayerCount);
        rewrite(prefs::kDefaultPlayer);
        rewrite(prefs::kExtractTemplate);
        rewrite(prefs::kExtractDir);
        for (const QString& header : { u" "_s, u"Title"_s, u"Artist"_s })
            QVERIFY(options.set(prefs::kColumnWidth, header, options.get(prefs::kColumnWidth, header)));
        for (const QString& n : { u"1"_s, u"2"_s })
            QVERIFY(options.set(prefs::kPlayer, n, options.get(prefs::kPlayer, n)));
        QCOMPARE(readBytes(pod.prefsFile), readBytes(Pod::goldenPath(u"windows-written.ini"_s)));
    }

    void oddSpellingsReadAndTheirLinesAreRewrittenInPlace()
    {
        Pod pod(u"odd-spellings.ini"_s);
        QVERIFY(pod.ok);
        mdlOptions options(pod.dir.path());
        QCOMPARE(options.get(prefs::kRepeat), true);  // "True" in a key written "0"/"1"
        QCOMPARE(options.get(prefs::kShuffle), true); // "-1", the Windows build's own true
        QCOMPARE(options.get(prefs::kRepeatType), prefs::RepeatType::One);
        QCOMPARE(options.get(prefs::kEmbedded), false);  // "false", against a default of true
        QCOMPARE(options.get(prefs::kMinToTray), false); // "0" in a key written "True"/"False"
        QCOMPARE(options.get(prefs::kBrowseGenre), true);
        QCOMPARE(options.get(prefs::kSort), true);
        QCOMPARE(options.get(prefs::kExtractTags), true); // quotes removed
        QCOMPARE(options.get(prefs::kExportPlaysFormat), prefs::PlaysFormat::ListenBrainz);
        QCOMPARE(options.get(prefs::kVolume), 100); // 250 % is full

        QVERIFY(options.set(prefs::kRepeat, true));
        QVERIFY(options.set(prefs::kShuffle, false));
        QVERIFY(options.set(prefs::kRepeatType, prefs::RepeatType::All));
        QVERIFY(options.set(prefs::kEmbedded, true));
        QVERIFY(options.set(prefs::kSongPopup, options.get(prefs::kSongPopup)));
        QVERIFY(options.set(prefs::kColumnWidth, u"Title"_s, 321));
        QVERIFY(options.set(prefs::kVolume, options.get(prefs::kVolume)));
        QVERIFY(options.set(prefs::kExtractCovers, true));
        QCOMPARE(readBytes(pod.prefsFile), readBytes(Pod::goldenPath(u"odd-spellings.rewritten.ini"_s)));
    }

    void missingPreferencesReadAsTheirDefaults()
    {
        Pod pod; // no file at all
        QVERIFY(pod.ok);
        const mdlOptions options(pod.dir.path());
        QCOMPARE(options.get(prefs::kRepeat), false);
        QCOMPARE(options.get(prefs::kShuffle), false);
        QCOMPARE(options.get(prefs::kRepeatType), prefs::RepeatType::All);
        QCOMPARE(options.get(prefs::kSpectrumColor), 16711680);
        QCOMPARE(options.get(prefs::kColumnWidth, u"Title"_s), prefs::kAutomaticWidth);
        QCOMPARE(options.get(prefs::kDefaultOpen), false);
        QCOMPARE(options.get(prefs::kEmbedded), true); // a first start plays in the program
        QCOMPARE(options.get(prefs::kMinToTray), true);
        QCOMPARE(options.get(prefs::kMinToTrayNO), false);
        QCOMPARE(options.get(prefs::kEjectOnClose), false);
        QCOMPARE(options.get(prefs::kBrowseGenre), false);
        QCOMPARE(options.get(prefs::kSort), true);
        QCOMPARE(options.get(prefs::kSongPopup), false);
        QCOMPARE(options.get(prefs::kPlayerCount), 0);
        QCOMPARE(options.get(prefs::kPlayer, u"1"_s), QString());
        QCOMPARE(options.get(prefs::kDefaultPlayer), QString());
        QCOMPARE(options.get(prefs::kExtractTemplate), u"[genre]\\[artist]\\[album]\\[track number] - [title]"_s);
        QVERIFY(!options.stored(prefs::kExtractDir)); // the window puts in its own folder
        QCOMPARE(options.get(prefs::kExtractTags), false);
        QCOMPARE(options.get(prefs::kExportPlaysFormat), prefs::PlaysFormat::Audioscrobbler);
        QCOMPARE(options.get(prefs::kVolume), 100);
        QVERIFY(!QFile::exists(pod.prefsFile)); // reading made nothing
    }

    void unreadableValuesReadAsTheDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("bool: yes") << "mnuEmbedded" << "yes";
        QTest::newRow("bool: no") << "mnuMinToTray" << "no";
        QTest::newRow("bool: empty") << "Sort" << "";
        QTest::newRow("bool: nan") << "Repeat" << "nan";
        QTest::newRow("bool: on") << "ExtractTags" << "on";
        QTest::newRow("colour: a word") << "SpectrumColor" << "red";
        QTest::newRow("colour: negative") << "SpectrumColor" << "-1";
        QTest::newRow("colour: beyond 24 bits") << "SpectrumColor" << "16777216";
        QTest::newRow("colour: beyond int") << "SpectrumColor" << "99999999999";
        QTest::newRow("width: automatic") << "Column:Title size" << "--";
        QTest::newRow("width: negative") << "Column:Title size" << "-5";
        QTest::newRow("width: beyond 16 bits") << "Column:Title size" << "40000";
        QTest::newRow("width: with unit") << "Column:Title size" << "120px";
        QTest::newRow("count: negative") << "PlayerCount" << "-3";
        QTest::newRow("count: two billion") << "PlayerCount" << "2147483647";
        QTest::newRow("repeat type: other word") << "RepeatType" << "Both";
        QTest::newRow("plays format: other word") << "ExportPlaysFormat" << "csv";
        QTest::newRow("volume: a word") << "Volume" << "loud";
        // clang-format on
    }
    void unreadableValuesReadAsTheDefault()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        const auto& readers = typedReaders();
        QVERIFY(readers.count(key) == 1);
        Pod empty;
        Pod pod;
        QVERIFY(empty.ok && pod.ok);
        mdlOptions options(pod.dir.path());
        QVERIFY(options.SaveOption(key, text));
        QCOMPARE(readers.at(key)(options), readers.at(key)(mdlOptions(empty.dir.path())));
    }

    void booleansInEverySpelling_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: not a Boolean
        // clang-format off
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("TRUE") << "TRUE" << 1;
        QTest::newRow("false") << "false" << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("-1, the Windows build's true") << "-1" << 1;
        QTest::newRow("2") << "2" << 1;
        QTest::newRow("0.0") << "0.0" << 0;
        QTest::newRow("blanks") << " True " << 1;
        QTest::newRow("yes") << "yes" << -1;
        QTest::newRow("no") << "no" << -1;
        QTest::newRow("Truer") << "Truer" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("inf") << "inf" << -1;
        // clang-format on
    }
    void booleansInEverySpelling()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto value = parseBool(text);
        QCOMPARE(value ? int(*value) : -1, expected);
    }
};

QTEST_GUILESS_MAIN(tst_Preferences)
#include "tst_Preferences.moc"
