#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_CliDevice : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };

    QTemporaryDir m_dir;
    QString m_root;

    static Run run(const QStringList& args)
    {
        QProcess process;
        process.start(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli"), args);
        Run result;
        if (!process.waitForFinished(30000))
            return result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    QStringList deviceFiles() const
    {
        QStringList names = QDir(m_root + u"/iPod_Control/Device"_s).entryList(QDir::Files);
        names.sort();
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(u"My iPod"_s);
        const QString device = m_root + u"/iPod_Control/Device/"_s;
        QVERIFY(QDir().mkpath(device));
        const QString real = QStringLiteral(QUAVERLY_TESTDATA "/real/sysinfo-cc0/");
        QVERIFY(QFile::copy(real + u"mini2g-SysInfo"_s, device + u"SysInfo"_s));
        QVERIFY(QFile::copy(real + u"nano5g-SysInfoExtended-scsi.plist"_s, device + u"SysInfoExtended"_s));
    }

    void devicePrintsSysinfoFactsAndSpace()
    {
        const Run r = run({ u"device"_s, m_root });
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.first(), u"BoardHwName: iPod Q22B"_s);
        QVERIFY(lines.contains(u"ModelNumStr: M9802"_s));
        QVERIFY(lines.contains(u"Serial Number: YM945ZVR721"_s));
        QVERIFY(lines.at(lines.size() - 2).startsWith(u"Space On iPod: "_s));
        QVERIFY(lines.at(lines.size() - 2).endsWith(u"GB"_s));

        const Run j = run({ u"device"_s, m_root, u"--json"_s });
        QCOMPARE(j.status, 0);
        const QJsonObject object = QJsonDocument::fromJson(j.out.toUtf8()).object();
        QCOMPARE(object.value(u"sysinfo"_s).toArray().size(), 20); // 17 lines, then the device's 3 empty ones
        QVERIFY(object.value(u"totalBytes"_s).toDouble() > 0);
    }

    void flagsShowAndChange()
    {
        Run r = run({ u"flags"_s, m_root, u"--set"_s, u"show_voltage"_s, u"--set"_s, u"chkShowSpeed"_s });
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"_show_voltage: on\n_short_deepsleep: off\n_disable_cache: off\n_show_speed: on\n"_s);
        QCOMPARE(deviceFiles(),
                 (QStringList { u"SysInfo"_s, u"SysInfoExtended"_s, u"_show_speed"_s, u"_show_voltage"_s }));

        r = run({ u"flags"_s, m_root, u"--reset"_s, u"--set"_s, u"_disable_cache"_s, u"--json"_s });
        QCOMPARE(r.status, 0);
        const QJsonObject object = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(object.value(u"_disable_cache"_s).toBool(), true);
        QCOMPARE(object.value(u"_show_voltage"_s).toBool(), false);
        QCOMPARE(deviceFiles(), (QStringList { u"SysInfo"_s, u"SysInfoExtended"_s, u"_disable_cache"_s }));
    }

    void flagsUsageErrorsChangeNothing_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("unknown flag") << QStringList { u"--set"_s, u"_show_battery"_s };
        QTest::newRow("set and cleared") << QStringList { u"--set"_s, u"show_speed"_s, u"--clear"_s, u"_SHOW_SPEED"_s };
    }
    void flagsUsageErrorsChangeNothing()
    {
        QFETCH(QStringList, options);
        const QStringList before = deviceFiles();
        const Run r = run(QStringList { u"flags"_s, m_root, u"--reset"_s } + options);
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(deviceFiles(), before);
    }

    void flagsThatCannotBeSetFail()
    {
        const QString bare = m_dir.filePath(u"bare"_s);
        QVERIFY(QDir().mkpath(bare)); // no iPod_Control/Device
        const Run r = run({ u"flags"_s, bare, u"--set"_s, u"_show_speed"_s });
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(u"_show_speed"_s));
    }
};

QTEST_GUILESS_MAIN(tst_CliDevice)
#include "tst_CliDevice.moc"
