#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace quaverly::settings;

namespace {

// A file as the Windows private-profile functions leave it, with a comment and
// another program's section around ours.
const QByteArray kWindowsFile = "; written on Windows\r\n"
                                "[Other]\r\n"
                                "Repeat=other\r\n"
                                "\r\n"
                                "[Options]\r\n"
                                "Repeat=1\r\n"
                                "  Shuffle = 0  \r\n"
                                "repeat=second\r\n"
                                "ExtractDIR=\"C:\\Music\\Out\"\r\n"
                                "Column:Title size=2400\r\n"
                                "\r\n"
                                "[options]\r\n"
                                "Late=never read\r\n";

} // namespace

class tst_IniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsLikeThePrivateProfileFunctions_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // null: absent
        // One row a line reads as a table.
        // clang-format off
        QTest::newRow("plain") << "Options" << "Repeat" << "1";
        QTest::newRow("keys ignore case, first wins") << "OPTIONS" << "REPEAT" << "1";
        QTest::newRow("blanks around = and value") << "Options" << "Shuffle" << "0";
        QTest::newRow("enclosing quotes removed") << "Options" << "ExtractDIR" << "C:\\Music\\Out";
        QTest::newRow("key with colon and blank") << "Options" << "Column:Title size" << "2400";
        QTest::newRow("other section kept apart") << "Other" << "Repeat" << "other";
        QTest::newRow("second section of same name unread") << "Options" << "Late" << QString();
        QTest::newRow("missing key") << "Options" << "Sort" << QString();
        QTest::newRow("missing section") << "Nope" << "Repeat" << QString();
        // clang-format on
    }
    void readsLikeThePrivateProfileFunctions()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const auto value = IniFile::fromText(kWindowsFile).value(section, key);
        if (expected.isNull())
            QVERIFY(!value);
        else
            QCOMPARE(value.value_or(QStringLiteral("<absent>")), expected);
    }

    void writeKeepsEverythingElse()
    {
        IniFile ini = IniFile::fromText(kWindowsFile);
        ini.setValue(QStringLiteral("Options"), QStringLiteral("REPEAT"), QStringLiteral("0"));
        ini.setValue(QStringLiteral("Options"), QStringLiteral("Sort"), QStringLiteral("False"));
        const QByteArray expected = "; written on Windows\r\n"
                                    "[Other]\r\n"
                                    "Repeat=other\r\n"
                                    "\r\n"
                                    "[Options]\r\n"
                                    "Repeat=0\r\n"
                                    "  Shuffle = 0  \r\n"
                                    "repeat=second\r\n"
                                    "ExtractDIR=\"C:\\Music\\Out\"\r\n"
                                    "Column:Title size=2400\r\n"
                                    "Sort=False\r\n"
                                    "\r\n"
                                    "[options]\r\n"
                                    "Late=never read\r\n";
        QCOMPARE(ini.toText(), expected);
    }

    void newSectionAndLineEnds()
    {
        IniFile empty = IniFile::fromText({});
        empty.setValue(QStringLiteral("Options"), QStringLiteral("Repeat"), QStringLiteral("1"));
        QCOMPARE(empty.toText(), QByteArray("[Options]\r\nRepeat=1\r\n"));

        IniFile unix = IniFile::fromText("[Other]\nx=1\n");
        unix.setValue(QStringLiteral("Options"), QStringLiteral("Repeat"), QStringLiteral("1"));
        QCOMPARE(unix.toText(), QByteArray("[Other]\nx=1\n[Options]\nRepeat=1\n"));
    }

    void removeKeyAndSection()
    {
        IniFile ini = IniFile::fromText(kWindowsFile);
        ini.removeKey(QStringLiteral("Options"), QStringLiteral("Repeat"));
        QCOMPARE(ini.value(QStringLiteral("Options"), QStringLiteral("Repeat")), QStringLiteral("second"));
        ini.removeSection(QStringLiteral("Other"));
        QVERIFY(!ini.value(QStringLiteral("Other"), QStringLiteral("Repeat")));
        QVERIFY(ini.toText().startsWith("; written on Windows\r\n[Options]\r\n"));
    }

    void longAndNonLatinValuesRoundTrip()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("prefs"));
        const QString longValue = QString(5000, QLatin1Char('x')) + QStringLiteral("[title]");
        const QString japanese = QStringLiteral("/media/ユーザー/音楽");
        IniFile ini;
        ini.setValue(QStringLiteral("Options"), QStringLiteral("txtformat"), longValue);
        ini.setValue(QStringLiteral("Options"), QStringLiteral("ExtractDIR"), japanese);
        QVERIFY(ini.save(path));
        const IniFile back = IniFile::load(path);
        QCOMPARE(back.value(QStringLiteral("Options"), QStringLiteral("txtformat")), longValue);
        QCOMPARE(back.value(QStringLiteral("Options"), QStringLiteral("ExtractDIR")), japanese);
    }

    void latin1FileIsReadAsLatin1()
    {
        // A file a Windows code page wrote: "Ü" as the single byte 0xDC.
        const auto value = IniFile::fromText("[Options]\r\nExtractDIR=C:\\M\xDCsik\r\n")
                               .value(QStringLiteral("Options"), QStringLiteral("ExtractDIR"));
        QCOMPARE(value, QStringLiteral("C:\\MÜsik"));
    }

    void failedSaveLeavesOldFile()
    {
        // A full iPod: as root, a tiny tmpfs filled to the last byte; otherwise a read-only folder.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const bool full = ::geteuid() == 0
            && QProcess::execute(QStringLiteral("mount"),
                                 { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                   QStringLiteral("size=64k"), QStringLiteral("tmpfs"), dir.path() })
                == 0;
        const QString path = dir.filePath(QStringLiteral("prefs"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[Options]\r\nRepeat=1\r\n");
        old.close();
        if (full) {
            QFile filler(dir.filePath(QStringLiteral("filler")));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size()) { }
        } else {
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        }
        IniFile ini = IniFile::load(path);
        ini.setValue(QStringLiteral("Options"), QStringLiteral("txtformat"), QString(20000, QLatin1Char('x')));
        const bool saved = ini.save(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray after = old.readAll();
        old.close();
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        if (full)
            QProcess::execute(QStringLiteral("umount"), { dir.path() });
        else
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(after, QByteArray("[Options]\r\nRepeat=1\r\n"));
        QVERIFY2(!files.join(u' ').contains(QLatin1String("prefs.")), qPrintable(files.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(tst_IniFile)
#include "tst_IniFile.moc"
