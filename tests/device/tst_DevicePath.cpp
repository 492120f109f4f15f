#include "device/DevicePath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::device;

class tst_DevicePath : public QObject
{
    Q_OBJECT

    static void touch(const QString& path, const QByteArray& content = "x")
    {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private Q_SLOTS:
    void resolvesEveryComponentIgnoringCase_data()
    {
        QTest::addColumn<QString>("onDisk");
        QTest::addColumn<QString>("asked");
        // One row a line reads as a table.
        // clang-format off
        QTest::newRow("same case") << "iPod_Control/iTunes/iTunesDB" << "/iPod_Control/iTunes/iTunesDB";
        QTest::newRow("lower on disk") << "ipod_control/itunes/itunesdb" << "/iPod_Control/iTunes/iTunesDB";
        QTest::newRow("mixed") << "iPod_control/ITUNES/iTunesDB" << "\\ipod_control\\itunes\\ITUNESDB";
        QTest::newRow("colons") << "iPod_Control/Music/F00/ABCD.mp3" << ":iPod_Control:Music:f00:abcd.MP3";
        // clang-format on
    }
    void resolvesEveryComponentIgnoringCase()
    {
        QFETCH(QString, onDisk);
        QFETCH(QString, asked);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        touch(root.filePath(onDisk));
        QCOMPARE(DevicePath(root.path()).existing(asked), root.filePath(onDisk));
        CachedDevicePath cached(root.path());
        QCOMPARE(cached.existing(asked), root.filePath(onDisk));
        QCOMPARE(cached.fileSize(asked), 1);
    }

    void missingTailIsAppendedAsGiven()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("ipod_control/itunes")));
        const auto path = DevicePath(root.path()).resolve(QStringLiteral("/iPod_Control/iTunes/QuaverlyPrefs"));
        QVERIFY(path);
        QCOMPARE(*path, root.filePath(QStringLiteral("ipod_control/itunes/QuaverlyPrefs")));
        QVERIFY(!DevicePath(root.path()).exists(QStringLiteral("/iPod_Control/iTunes/QuaverlyPrefs")));
        CachedDevicePath cached(root.path());
        QCOMPARE(cached.fileSize(QStringLiteral("/iPod_Control/iTunes/QuaverlyPrefs")), -1);
        QCOMPARE(cached.fileSize(QStringLiteral("/iPod_Control/iTunes")), -1); // a folder has no file size
    }

    void refusesPathsThatLeaveTheRoot_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::newRow("parent") << "../etc/passwd";
        QTest::newRow("inner parent") << "/iPod_Control/../../x";
        QTest::newRow("colon parent") << ":iPod_Control:..:..:x";
    }
    void refusesPathsThatLeaveTheRoot()
    {
        QFETCH(QString, asked);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(!DevicePath(root.path()).resolve(asked));
        QVERIFY(!DevicePath(root.path()).exists(asked));
        CachedDevicePath cached(root.path());
        QVERIFY(cached.existing(asked).isEmpty());
    }

    void emptyRootResolvesNothing() { QVERIFY(!DevicePath(QString()).resolve(QStringLiteral("/iPod_Control"))); }

    void cacheListsEachFolderOnce()
    {
        // After the first lookup the listing is remembered: a file added later is not seen.
        QTemporaryDir root;
        QVERIFY(root.isValid());
        touch(root.filePath(QStringLiteral("iPod_Control/Music/F00/AAAA.mp3")), "abc");
        CachedDevicePath cached(root.path());
        QCOMPARE(cached.fileSize(QStringLiteral("/iPod_Control/Music/F00/AAAA.mp3")), 3);
        touch(root.filePath(QStringLiteral("iPod_Control/Music/F00/BBBB.mp3")));
        QCOMPARE(cached.fileSize(QStringLiteral("/iPod_Control/Music/F00/BBBB.mp3")), -1);
        QCOMPARE(CachedDevicePath(root.path()).fileSize(QStringLiteral("/ipod_control/music/f00/bbbb.mp3")), 1);
    }
};

QTEST_GUILESS_MAIN(tst_DevicePath)
#include "tst_DevicePath.moc"
