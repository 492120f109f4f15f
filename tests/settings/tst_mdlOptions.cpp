#include "settings/mdlOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace quaverly::settings;

class tst_mdlOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstSaveCreatesTheFileOnTheIpod()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("iPod_Control/iTunes")));
        mdlOptions options(root.path());
        QCOMPARE(options.GetOption(QStringLiteral("RepeatType"), QStringLiteral("All")), QStringLiteral("All"));
        QVERIFY(options.SaveOption(QStringLiteral("RepeatType"), QStringLiteral("One")));
        QFile file(root.filePath(QStringLiteral("iPod_Control/iTunes/QuaverlyPrefs")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Options]\r\nRepeatType=One\r\n"));
        QCOMPARE(options.GetOption(QStringLiteral("repeattype"), QString()), QStringLiteral("One"));
    }

    void prefsAreFoundInAnyLetterCase()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("ipod_control/itunes")));
        QFile file(root.filePath(QStringLiteral("ipod_control/itunes/quaverlyprefs")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Options]\r\nShuffle=1\r\n");
        file.close();
        mdlOptions options(root.path());
        QCOMPARE(options.GetOption(QStringLiteral("Shuffle"), QStringLiteral("0")), QStringLiteral("1"));
        QVERIFY(options.SaveOption(QStringLiteral("Repeat"), QStringLiteral("1")));
        // Written back into the same file, not a second one beside it.
        QCOMPARE(QDir(root.filePath(QStringLiteral("ipod_control/itunes"))).entryList(QDir::Files),
                 QStringList { QStringLiteral("quaverlyprefs") });
    }

    void failedWriteIsReported()
    {
        mdlOptions nowhere { QString() };
        QVERIFY(!nowhere.SaveOption(QStringLiteral("Repeat"), QStringLiteral("1")));
        QCOMPARE(nowhere.GetOption(QStringLiteral("Repeat"), QStringLiteral("0")), QStringLiteral("0"));

        QTemporaryDir root;
        QVERIFY(root.isValid());
        // No iPod_Control folder at all: the file cannot be made.
        QVERIFY(!mdlOptions(root.path()).SaveOption(QStringLiteral("Repeat"), QStringLiteral("1")));
    }

    void aPrefsFileLinkedOutOfTheIpodIsNeitherReadNorWritten()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.filePath(QStringLiteral("ipod"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/iPod_Control/iTunes")));
        QFile outside(dir.filePath(QStringLiteral("outside.ini")));
        QVERIFY(outside.open(QIODevice::WriteOnly) && outside.write("[Options]\r\nRepeat=1\r\n") > 0);
        outside.close();
        QVERIFY(QFile::link(outside.fileName(), root + QStringLiteral("/iPod_Control/iTunes/QuaverlyPrefs")));

        mdlOptions options(root);
        QCOMPARE(options.GetOption(QStringLiteral("Repeat"), QStringLiteral("0")), QStringLiteral("0"));
        QVERIFY(!options.SaveOption(QStringLiteral("Repeat"), QStringLiteral("0")));
        QVERIFY(outside.open(QIODevice::ReadOnly));
        QCOMPARE(outside.readAll(), QByteArray("[Options]\r\nRepeat=1\r\n"));
        QVERIFY(QFileInfo(root + QStringLiteral("/iPod_Control/iTunes/QuaverlyPrefs")).isSymLink());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("outside.ini") });
    }

    void aPrefsFileThatIsAFifoNeverBlocks()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("iPod_Control/iTunes")));
        const QByteArray fifo = QFile::encodeName(root.filePath(QStringLiteral("iPod_Control/iTunes/QuaverlyPrefs")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        mdlOptions options(root.path());
        QCOMPARE(options.GetOption(QStringLiteral("Repeat"), QStringLiteral("0")), QStringLiteral("0"));
        QVERIFY(!options.SaveOption(QStringLiteral("Repeat"), QStringLiteral("1")));
    }

    void readOnlyStoreWritesNothing()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("iPod_Control/iTunes")));
        mdlOptions options(root.path());
        QVERIFY(options.SaveOption(QStringLiteral("Shuffle"), QStringLiteral("1")));
        options.setReadOnly(true); // the iPod was unmounted while open
        QVERIFY(!options.SaveOption(QStringLiteral("Shuffle"), QStringLiteral("0")));
        QVERIFY(!options.SaveOption(QStringLiteral("Repeat"), QStringLiteral("1")));
        QFile file(options.PrefsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Options]\r\nShuffle=1\r\n"));
        QCOMPARE(options.GetOption(QStringLiteral("Shuffle"), QStringLiteral("0")), QStringLiteral("1")); // reads go on
    }
};

QTEST_GUILESS_MAIN(tst_mdlOptions)
#include "tst_mdlOptions.moc"
