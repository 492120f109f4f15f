// The guard that keeps reads and writes inside the iPod, on links of every
// kind built in a temporary folder: "outside" is a sibling folder there.
#include "device/DeviceGuard.h"
#include "tests/common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quaverly::device;
using namespace quaverly::test;
using namespace Qt::StringLiterals;

namespace {

// tmp/ipod (the root) and tmp/outside, with a song in each.
struct Layout
{
    QTemporaryDir tmp;
    QString root;
    QString outside;

    bool make()
    {
        if (!tmp.isValid())
            return false;
        root = QDir(tmp.path()).canonicalPath() + u"/ipod"_s;
        outside = QDir(tmp.path()).canonicalPath() + u"/outside"_s;
        return writeFile(root + u"/iPod_Control/Music/F00/A.mp3"_s, "song")
            && writeFile(outside + u"/secret.mp3"_s, "not the iPod's") && QDir().mkpath(outside + u"/folder"_s);
    }
    [[nodiscard]] bool link(const QString& target, const QString& relative) const
    {
        return QFile::link(target, root + u'/' + relative);
    }
};

} // namespace

class tst_DeviceGuard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void realPathOfPathsThatDoNotExistYet()
    {
        Layout l;
        QVERIFY(l.make());
        QCOMPARE(DeviceGuard::realPath(l.root + u"/new/deeper/file.txt"_s), l.root + u"/new/deeper/file.txt"_s);
        QCOMPARE(DeviceGuard::realPath(l.root + u"/iPod_Control/./Music//F00/"_s),
                 l.root + u"/iPod_Control/Music/F00"_s);
        // ".." after a folder that is not there cannot be resolved, so it is refused.
        QCOMPARE(DeviceGuard::realPath(l.root + u"/missing/../../outside/x"_s), QString());
        // A link to nothing is followed to where a write would land.
        QVERIFY(l.link(l.outside + u"/later.txt"_s, u"dangling"_s));
        QCOMPARE(DeviceGuard::realPath(l.root + u"/dangling"_s), l.outside + u"/later.txt"_s);
        QVERIFY(l.link(l.root + u"/loop"_s, u"loop"_s));
        QCOMPARE(DeviceGuard::realPath(l.root + u"/loop"_s), QString());
    }

    void insideAndOutside_data()
    {
        QTest::addColumn<QString>("link");  // made at root/iPod_Control/x when not empty
        QTest::addColumn<QString>("asked"); // relative to the root
        QTest::addColumn<bool>("inside");
        QTest::newRow("a song") << QString() << u"iPod_Control/Music/F00/A.mp3"_s << true;
        QTest::newRow("the root itself") << QString() << QString() << true;
        QTest::newRow("a new file") << QString() << u"iPod_Control/new.txt"_s << true;
        QTest::newRow("dot-dot out") << QString() << u"iPod_Control/../../outside/secret.mp3"_s << false;
        QTest::newRow("dot-dot staying in") << QString() << u"iPod_Control/Music/../Music/F00/A.mp3"_s << true;
        QTest::newRow("link to a file outside") << u"@/secret.mp3"_s << u"iPod_Control/x"_s << false;
        QTest::newRow("link to a folder outside") << u"@/folder"_s << u"iPod_Control/x/new.txt"_s << false;
        QTest::newRow("dangling link outside") << u"@/none.txt"_s << u"iPod_Control/x"_s << false;
        QTest::newRow("link inside the iPod") << u"Music/F00"_s << u"iPod_Control/x/A.mp3"_s << true;
        QTest::newRow("a sibling sharing the prefix") << u"@/../ipod-two"_s << u"iPod_Control/x"_s << false;
    }
    void insideAndOutside()
    {
        QFETCH(QString, link);
        QFETCH(QString, asked);
        QFETCH(bool, inside);
        Layout l;
        QVERIFY(l.make());
        QVERIFY(QDir().mkpath(l.root + u"-two"_s));
        if (!link.isEmpty()) {
            QString target = link;
            target.replace(u"@"_s, l.outside);
            QVERIFY(l.link(target, u"iPod_Control/x"_s));
        }
        const DeviceGuard guard(l.root);
        QCOMPARE(guard.realRoot(), l.root);
        const QString path = asked.isEmpty() ? l.root : l.root + u'/' + asked;
        QCOMPARE(!guard.inside(path).isEmpty(), inside);
    }

    void rootGivenThroughALink()
    {
        Layout l;
        QVERIFY(l.make());
        const QString alias = l.tmp.path() + u"/mounted"_s;
        QVERIFY(QFile::link(l.root, alias));
        const DeviceGuard guard(alias);
        QCOMPARE(guard.realRoot(), l.root);
        QCOMPARE(guard.inside(alias + u"/iPod_Control/Music/F00/A.mp3"_s), l.root + u"/iPod_Control/Music/F00/A.mp3"_s);
        QVERIFY(!DeviceGuard(QString()).containsReal(u"/"_s));
        QVERIFY(DeviceGuard(l.tmp.path() + u"/none"_s).realRoot().isEmpty());
    }

    void entriesAreNotFollowed()
    {
        Layout l;
        QVERIFY(l.make());
        QVERIFY(l.link(l.outside + u"/secret.mp3"_s, u"iPod_Control/flag"_s));
        QVERIFY(l.link(l.outside + u"/folder"_s, u"Device"_s));
        const DeviceGuard guard(l.root);
        // The link itself may go: it lies in a folder of the iPod.
        QCOMPARE(guard.entryInside(l.root + u"/iPod_Control/flag"_s), l.root + u"/iPod_Control/flag"_s);
        // What lies in a linked folder lies outside.
        QCOMPARE(guard.entryInside(l.root + u"/Device/_show_speed"_s), QString());
        QCOMPARE(guard.entryInside(l.root + u"/.."_s), QString());
    }

    void checkFileSaysWhatIsThere()
    {
        Layout l;
        QVERIFY(l.make());
        QCOMPARE(::mkfifo(QFile::encodeName(l.root + u"/fifo"_s).constData(), 0600), 0);
        QVERIFY(l.link(l.outside + u"/secret.mp3"_s, u"out.mp3"_s));
        const DeviceGuard guard(l.root);
        QString real;
        QCOMPARE(guard.checkFile(l.root + u"/iPod_Control/Music/F00/A.mp3"_s, &real), FileRefusal::None);
        QCOMPARE(real, l.root + u"/iPod_Control/Music/F00/A.mp3"_s);
        QCOMPARE(guard.checkFile(l.root + u"/none.mp3"_s), FileRefusal::Missing);
        QCOMPARE(guard.checkFile(l.root + u"/fifo"_s), FileRefusal::NotRegular);
        QCOMPARE(guard.checkFile(l.root + u"/iPod_Control"_s), FileRefusal::NotRegular);
        QCOMPARE(guard.checkFile(l.root + u"/out.mp3"_s), FileRefusal::Outside);
    }

    void openRegularFileNeverBlocks()
    {
        Layout l;
        QVERIFY(l.make());
        QCOMPARE(::mkfifo(QFile::encodeName(l.root + u"/fifo.mp3"_s).constData(), 0600), 0);
        QVERIFY(l.link(l.root + u"/fifo.mp3"_s, u"link-to-fifo.mp3"_s));
        QVERIFY(l.link(l.outside + u"/secret.mp3"_s, u"out.mp3"_s));
        const DeviceGuard guard(l.root);
        // A FIFO with no writer would block an open for reading forever.
        QCOMPARE(openRegularFile(l.root + u"/fifo.mp3"_s).refusal, FileRefusal::NotRegular);
        QCOMPARE(openRegularFile(l.root + u"/link-to-fifo.mp3"_s, &guard).refusal, FileRefusal::NotRegular);
        QCOMPARE(openRegularFile(l.root + u"/out.mp3"_s, &guard).refusal, FileRefusal::Outside);
        // Without a guard the caller decides where files may lie.
        const OpenedFile anywhere = openRegularFile(l.root + u"/out.mp3"_s);
        QVERIFY(anywhere.ok());
        ::close(anywhere.fd);

        const OpenedFile song = openRegularFile(l.root + u"/iPod_Control/Music/F00/A.mp3"_s, &guard);
        QVERIFY(song.ok());
        char bytes[8] = {};
        QCOMPARE(::read(song.fd, bytes, sizeof bytes), ssize_t(4)); // blocking mode again, reads as usual
        QCOMPARE(QByteArray(bytes, 4), QByteArray("song"));
        ::close(song.fd);
    }

    void songPathForPlayerCases_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<bool>("path");
        QTest::newRow("present") << u":iPod_Control:Music:F00:A.mp3"_s << int(FileRefusal::None) << true;
        QTest::newRow("other letter case") << u":IPOD_CONTROL:music:f00:a.MP3"_s << int(FileRefusal::None) << true;
        QTest::newRow("missing") << u":iPod_Control:Music:F00:B.mp3"_s << int(FileRefusal::Missing) << true;
        QTest::newRow("dot-dot") << u":iPod_Control:Music:..:..:..:outside:secret.mp3"_s << int(FileRefusal::Outside)
                                 << false;
        QTest::newRow("through a link") << u":iPod_Control:Music:F01:secret.mp3"_s << int(FileRefusal::Outside)
                                        << false;
        QTest::newRow("a folder") << u":iPod_Control:Music:F00"_s << int(FileRefusal::NotRegular) << false;
    }
    void songPathForPlayerCases()
    {
        QFETCH(QString, location);
        QFETCH(int, refusal);
        QFETCH(bool, path);
        Layout l;
        QVERIFY(l.make());
        QVERIFY(l.link(l.outside, u"iPod_Control/Music/F01"_s));
        FileRefusal why = FileRefusal::Unreadable;
        const QString found = songPathForPlayer(l.root, location, &why);
        QCOMPARE(int(why), refusal);
        QCOMPARE(!found.isEmpty(), path);
        if (path)
            QVERIFY(found.startsWith(l.root + u'/'));
    }

    void faithfulNames()
    {
        QVERIFY(isFaithfulFileName("/media/ipod/Musique/Été"));
        QVERIFY(isFaithfulFileName(QByteArray()));
        QVERIFY(!isFaithfulFileName("/media/bad\xff"
                                    "name"));
        QVERIFY(!isFaithfulFileName("caf\xe9.m3u")); // Latin-1, not UTF-8
    }
};

QTEST_GUILESS_MAIN(tst_DeviceGuard)
#include "tst_DeviceGuard.moc"
