#include "devicetools/DeviceInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::devicetools;
using namespace Qt::StringLiterals;

namespace {

QByteArray realFile(const QString& name)
{
    QFile file(QStringLiteral(QUAVERLY_TESTDATA "/real/sysinfo-cc0/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr qint64 kGiB = 1024LL * 1024 * 1024;

} // namespace

class tst_DeviceInfo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // An iPod folder whose Device folder holds `files` (name -> contents).
    QString makeIpod(const QString& name, const QList<std::pair<QString, QByteArray>>& files)
    {
        const QString device = m_dir.filePath(name + QStringLiteral("/iPod_Control/Device"));
        if (!QDir().mkpath(device))
            return {};
        for (const auto& [fileName, contents] : files) {
            QFile file(device + u'/' + fileName);
            if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
                return {};
        }
        return m_dir.filePath(name);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void splitSysinfoCases_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("LF") << QByteArray("A: 1\nB: 2\n") << QStringList { u"A: 1"_s, u"B: 2"_s };
        QTest::newRow("CR LF shows every line")
            << QByteArray("A: 1\r\nB: 2\r\n") << QStringList { u"A: 1"_s, u"B: 2"_s };
        QTest::newRow("no final line end") << QByteArray("A: 1\nB: 2") << QStringList { u"A: 1"_s, u"B: 2"_s };
        QTest::newRow("empty lines kept")
            << QByteArray("A\n\nB\n\n") << QStringList { u"A"_s, QString(), u"B"_s, QString() };
        QTest::newRow("trailing blanks kept") << QByteArray("Rev: JB100B  \n") << QStringList { u"Rev: JB100B  "_s };
        QTest::newRow("empty file") << QByteArray() << QStringList();
    }
    void splitSysinfoCases()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, lines);
        QCOMPARE(splitSysinfo(contents), lines);
    }

    void readsRealSysinfoFilesWithEitherLineEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("model");
        QTest::newRow("iPod 3G") << u"ipod3g-SysInfo"_s << u"ModelNumStr: M8976"_s;
        QTest::newRow("iPod photo") << u"ipod4g-photo-SysInfo"_s << u"ModelNumStr: M9829"_s;
        QTest::newRow("iPod mini") << u"mini2g-SysInfo"_s << u"ModelNumStr: M9802"_s;
    }
    void readsRealSysinfoFilesWithEitherLineEnd()
    {
        QFETCH(QString, file);
        QFETCH(QString, model);
        const QByteArray lf = realFile(file);
        QVERIFY(!lf.isEmpty());
        QByteArray crlf = lf;
        crlf.replace("\n", "\r\n");
        // The device names the file SysInfo; older tools wrote other letter cases.
        const QString lfRoot = makeIpod(file + QStringLiteral("-lf"), { { u"SysInfo"_s, lf } });
        const QString crlfRoot = makeIpod(file + QStringLiteral("-crlf"), { { u"SYSINFO"_s, crlf } });
        QVERIFY(!lfRoot.isEmpty() && !crlfRoot.isEmpty());
        const QStringList lines = readSysinfo(lfRoot);
        QCOMPARE(lines.size(), lf.count('\n')); // each line ends in a line feed
        QVERIFY(lines.first().startsWith(u"BoardHwName: iPod "_s));
        QCOMPARE(lines.at(2), model);
        QCOMPARE(lines.last(), QString()); // the three empty lines at the end are the device's
        QCOMPARE(readSysinfo(crlfRoot), lines);
    }

    void missingSysinfoGivesNoLines()
    {
        QVERIFY(readSysinfo(makeIpod(u"nosysinfo"_s, {})).isEmpty());
        QVERIFY(readSysinfo(QString()).isEmpty());
        QVERIFY(readSysInfoExtended(makeIpod(u"noextended"_s, {})).isEmpty());
    }

    void sysInfoExtendedFacts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("classic 6G") << u"classic6g-SysInfoExtended.plist"_s
                                    << QStringList { u"Model Family: 11"_s, u"Serial Number: 8K801EGYYMV"_s,
                                                     u"Firmware Version: 1.1.2"_s, u"Firmware Build: 9.1.2"_s };
        QTest::newRow("nano 5G") << u"nano5g-SysInfoExtended-scsi.plist"_s
                                 << QStringList { u"Model Family: 16"_s, u"Serial Number: YM945ZVR721"_s,
                                                  u"Firmware Version: 1.0.2"_s, u"Firmware Build: 34A20020"_s };
    }
    void sysInfoExtendedFacts()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        const QByteArray plist = realFile(file);
        QVERIFY(!plist.isEmpty());
        const QString root = makeIpod(file, { { u"SysInfoExtended"_s, plist } });
        QVERIFY(!root.isEmpty());
        QCOMPARE(readSysInfoExtended(root), lines);
    }

    void sysInfoExtendedIgnoresNestedKeysAndJunk()
    {
        const QByteArray nested
            = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
              "<key>PowerInformation</key><dict><key>SerialNumber</key><string>NESTED</string></dict>"
              "<key>ModelNumStr</key><string>xA623</string></dict></plist>";
        QCOMPARE(sysInfoExtendedLines(nested), QStringList { u"Model Number: xA623"_s });
        QVERIFY(sysInfoExtendedLines("BoardHwName: iPod Q14\n").isEmpty());
        // A cut-off file must not crash; what it yields does not matter.
        (void)sysInfoExtendedLines("<plist><dict><key>SerialNumber</key><string>X");
    }

    void spaceTextCases_data()
    {
        QTest::addColumn<qint64>("freeBytes");
        QTest::addColumn<qint64>("totalBytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimal sizes") << 18547000000LL << 20000000000LL << u"Space On iPod: 17.3GB out of 18.6GB"_s;
        QTest::newRow("whole numbers lose the .0") << 0LL << 16 * kGiB << u"Space On iPod: 0GB out of 16GB"_s;
        QTest::newRow("a half rounds down to even")
            << kGiB / 4 << 5 * kGiB / 4 << u"Space On iPod: 0.2GB out of 1.2GB"_s;
        QTest::newRow("a half rounds up to even")
            << 3 * kGiB / 4 << 160 * kGiB << u"Space On iPod: 0.8GB out of 160GB"_s;
        QTest::newRow("no thousands separator")
            << 1500 * kGiB << 2000 * kGiB << u"Space On iPod: 1500GB out of 2000GB"_s;
    }
    void spaceTextCases()
    {
        QFETCH(qint64, freeBytes);
        QFETCH(qint64, totalBytes);
        QFETCH(QString, text);
        QCOMPARE(spaceText(DiskSpace { freeBytes, totalBytes }), text);
    }
    void spaceTextWithoutAnAnswer() { QCOMPARE(spaceText(std::nullopt), u"Space On iPod: unknown"_s); }

    void formatGigaBytesCases_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("one decimal") << 17.27 << u"17.3"_s;
        QTest::newRow("thousands") << 1234567.84 << u"1,234,567.8"_s;
        QTest::newRow("whole") << 17.0 << u"17"_s;
        QTest::newRow("rounds into the next thousand") << 999.96 << u"1,000"_s;
        QTest::newRow("below one") << 0.54 << u"0.5"_s;
        QTest::newRow("nothing") << 0.0 << u"0"_s;
    }
    void formatGigaBytesCases()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatGigaBytes(value), text);
    }

    void freeSpaceOfARealDisk()
    {
        const auto space = diskSpaceOf(m_dir.path());
        QVERIFY(space);
        QVERIFY(space->totalBytes > 0);
        QVERIFY(space->freeBytes >= 0 && space->freeBytes <= space->totalBytes);
        QVERIFY(FreeBytesOnDisk(m_dir.path()) >= 0);
        QVERIFY(!FreeGigaBytesOnDisk(m_dir.path()).isEmpty());
    }
    void freeSpaceOfNothingIsUnknown()
    {
        const QString missing = m_dir.filePath(u"no/such/folder"_s);
        QVERIFY(!diskSpaceOf(missing));
        QCOMPARE(FreeBytesOnDisk(missing), -1.0);
        QCOMPARE(FreeKiloBytesOnDisk(missing), -1.0);
        QCOMPARE(FreeGigaBytesOnDisk(missing), QString());
        QVERIFY(!diskSpaceOf(QString()));
    }
};

QTEST_GUILESS_MAIN(tst_DeviceInfo)
#include "tst_DeviceInfo.moc"
