#include "devicetools/DeviceFlags.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::devicetools;

class tst_DeviceFlags : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;

    // A fresh iPod folder with iPod_Control/Device (in `deviceCase` letter case).
    QString makeIpod(const QString& deviceCase = QStringLiteral("iPod_Control/Device"))
    {
        QString root = m_dir.filePath(QString::number(++m_count));
        return QDir().mkpath(root + u'/' + deviceCase) ? root : QString();
    }
    static QString device(const QString& root) { return root + QStringLiteral("/iPod_Control/Device/"); }
    static bool touch(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }
    static QStringList entries(const QString& root)
    {
        QStringList names = QDir(device(root)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.sort();
        return names;
    }
    static FlagStates states(FlagState a, FlagState b, FlagState c, FlagState d) { return { a, b, c, d }; }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void loadSeesOnlyBareNames()
    {
        const QString root = makeIpod(QStringLiteral("ipod_control/device"));
        QVERIFY(touch(root + QStringLiteral("/ipod_control/device/_show_voltage")));
        QVERIFY(touch(root + QStringLiteral("/ipod_control/device/_short_deepsleep.txt")));
        QVERIFY(touch(root + QStringLiteral("/ipod_control/device/_SHOW_SPEED")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/ipod_control/device/_disable_cache"))); // a folder is no flag
        QCOMPARE(loadFlags(root), (std::array<bool, kFlagCount> { true, false, false, true }));
        QCOMPARE(loadFlags(m_dir.filePath(QStringLiteral("missing"))), (std::array<bool, kFlagCount> {}));
        QCOMPARE(loadFlags(QString()), (std::array<bool, kFlagCount> {}));
    }

    void applyCreatesBareFilesAndLeavesNoTxt()
    {
        const QString root = makeIpod();
        QVERIFY(touch(device(root) + QStringLiteral("SysInfo")));
        const FlagReport report = applyFlags(root, states(FlagState::On, FlagState::On, FlagState::Off, FlagState::On));
        QVERIFY(report.ok());
        QCOMPARE(entries(root),
                 (QStringList { QStringLiteral("SysInfo"), QStringLiteral("_short_deepsleep"),
                                QStringLiteral("_show_speed"), QStringLiteral("_show_voltage") }));
        QCOMPARE(QFileInfo(device(root) + QStringLiteral("_show_voltage")).size(), 0);
        QCOMPARE(loadFlags(root), (std::array<bool, kFlagCount> { true, true, false, true }));
    }

    void applyOnAnExistingFlagKeepsItAndOffRemovesBothFiles()
    {
        const QString root = makeIpod();
        QVERIFY(touch(device(root) + QStringLiteral("_show_voltage")));
        QVERIFY(touch(device(root) + QStringLiteral("_disable_cache")));
        QVERIFY(touch(device(root) + QStringLiteral("_disable_cache.txt"))); // left by an earlier tool
        QVERIFY(touch(device(root) + QStringLiteral("_show_speed.txt")));
        FlagReport report = applyFlags(root, states(FlagState::On, FlagState::Leave, FlagState::On, FlagState::Leave));
        QVERIFY2(report.ok(), qPrintable(report.failedFiles.join(u',')));
        QCOMPARE(entries(root),
                 (QStringList { QStringLiteral("_disable_cache"), QStringLiteral("_disable_cache.txt"),
                                QStringLiteral("_show_speed.txt"), QStringLiteral("_show_voltage") }));
        report = applyFlags(root, states(FlagState::Off, FlagState::Off, FlagState::Off, FlagState::Off));
        QVERIFY(report.ok());
        QVERIFY(entries(root).isEmpty());
    }

    void resetRemovesEveryFlagFileAndNothingElse()
    {
        const QString root = makeIpod();
        for (const FlagFile& flag : kFlagFiles) {
            QVERIFY(touch(device(root) + QLatin1String(flag.fileName)));
            QVERIFY(touch(device(root) + QLatin1String(flag.fileName) + QStringLiteral(".txt")));
        }
        QVERIFY(touch(device(root) + QStringLiteral("SysInfo")));
        QVERIFY(resetFlags(root).ok());
        QCOMPARE(entries(root), QStringList { QStringLiteral("SysInfo") });
        QVERIFY(resetFlags(root).ok()); // nothing left to delete is no failure
    }

    void failuresAreReportedAndTheRestIsApplied()
    {
        const QString root = makeIpod();
        // "_show_voltage.txt" cannot be created over a folder; "_disable_cache" cannot be deleted as a file.
        QVERIFY(QDir().mkpath(device(root) + QStringLiteral("_show_voltage.txt")));
        QVERIFY(QDir().mkpath(device(root) + QStringLiteral("_disable_cache/inside")));
        const FlagReport report = applyFlags(root, states(FlagState::On, FlagState::On, FlagState::Off, FlagState::On));
        QCOMPARE(report.firstError, FlagError::CreateFailed);
        QCOMPARE(report.failedFiles,
                 (QStringList { QStringLiteral("_show_voltage.txt"), QStringLiteral("_disable_cache") }));
        QCOMPARE(loadFlags(root), (std::array<bool, kFlagCount> { false, true, false, true }));
    }

    void linksOutOfTheIpodAreNeverWrittenThrough()
    {
        // "outside" stands for the computer beside the iPod.
        const QString outside = m_dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(outside));
        QFile victim(outside + QStringLiteral("/victim"));
        QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("keep me") == 7);
        victim.close();

        // A ".txt" linked out: setting the flag would have emptied the outside file.
        const QString root = makeIpod();
        QVERIFY(QFile::link(victim.fileName(), device(root) + QStringLiteral("_show_voltage.txt")));
        FlagReport report = applyFlags(root, states(FlagState::On, FlagState::On, FlagState::Leave, FlagState::Leave));
        QCOMPARE(report.firstError, FlagError::OutsideIpod);
        QCOMPARE(report.failedFiles, QStringList { QStringLiteral("_show_voltage.txt") });
        QCOMPARE(loadFlags(root), (std::array<bool, kFlagCount> { false, true, false, false }));
        // Turning it off removes the link itself, never what it points to.
        QVERIFY(applyFlags(root, states(FlagState::Off, FlagState::Leave, FlagState::Leave, FlagState::Leave)).ok());
        QVERIFY(!QFileInfo(device(root) + QStringLiteral("_show_voltage.txt")).isSymLink());

        // A ".txt" linked to another file of the iPod: replaced, the other file kept.
        QVERIFY(touch(root + QStringLiteral("/iPod_Control/keep")));
        QVERIFY(
            QFile::link(root + QStringLiteral("/iPod_Control/keep"), device(root) + QStringLiteral("_show_speed.txt")));
        QVERIFY(applyFlags(root, states(FlagState::Leave, FlagState::Leave, FlagState::Leave, FlagState::On)).ok());
        QVERIFY(QFileInfo(root + QStringLiteral("/iPod_Control/keep")).isFile());
        QVERIFY(!QFileInfo(device(root) + QStringLiteral("_show_speed")).isSymLink());

        // The whole Device folder linked out: nothing there is created or deleted.
        const QString linked = m_dir.filePath(QStringLiteral("linked"));
        QVERIFY(QDir().mkpath(linked + QStringLiteral("/iPod_Control")));
        QVERIFY(touch(outside + QStringLiteral("/_show_speed")));
        QVERIFY(QFile::link(outside, linked + QStringLiteral("/iPod_Control/Device")));
        report = resetFlags(linked);
        QCOMPARE(report.firstError, FlagError::OutsideIpod);
        QCOMPARE(report.failedFiles.size(), int(kFlagCount));
        QVERIFY(QFileInfo::exists(outside + QStringLiteral("/_show_speed")));
        QCOMPARE(
            applyFlags(linked, states(FlagState::On, FlagState::Leave, FlagState::Leave, FlagState::Leave)).firstError,
            FlagError::OutsideIpod);
        QVERIFY(!QFileInfo::exists(outside + QStringLiteral("/_show_voltage")));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("keep me"));
    }

    void missingDeviceFolderFailsOnlyForFlagsToSet()
    {
        const QString root = m_dir.filePath(QStringLiteral("nodevice"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/iPod_Control/iTunes")));
        const FlagReport report = applyFlags(root,
                                             states(FlagState::Off, FlagState::On, FlagState::Off, FlagState::Leave));
        QCOMPARE(report.firstError, FlagError::NoDeviceFolder);
        QCOMPARE(report.failedFiles, QStringList { QStringLiteral("_short_deepsleep") });
        QVERIFY(
            !QFileInfo::exists(root + QStringLiteral("/iPod_Control/Device"))); // never created behind the user's back
        QVERIFY(resetFlags(root).ok());
    }
};

QTEST_GUILESS_MAIN(tst_DeviceFlags)
#include "tst_DeviceFlags.moc"
