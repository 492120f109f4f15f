#include "startup/SingleInstance.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace quaverly::startup;

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondInstanceIsRefused()
    {
        QTemporaryDir lockDir;
        QVERIFY(lockDir.isValid());
        SingleInstance first(lockDir.path());
        QVERIFY(first.tryAcquire());
        QVERIFY(first.tryAcquire()); // asking again keeps the lock
        SingleInstance again(lockDir.path());
        QVERIFY(!again.tryAcquire());
    }

    void lockIsFreeAfterTheFirstEnds()
    {
        QTemporaryDir lockDir;
        QVERIFY(lockDir.isValid());
        {
            SingleInstance first(lockDir.path());
            QVERIFY(first.tryAcquire());
        }
        SingleInstance next(lockDir.path());
        QVERIFY(next.tryAcquire());
    }

    // A copy that crashed leaves its lock file behind; the next start takes it over.
    void lockOfACrashedCopyIsTakenOver()
    {
        QTemporaryDir lockDir;
        QVERIFY(lockDir.isValid());
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            SingleInstance crashed(lockDir.path());
            _exit(crashed.tryAcquire() ? 0 : 1); // no destructor runs: the lock file stays
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        SingleInstance next(lockDir.path());
        QVERIFY(QFile::exists(next.lockPath()));
        QVERIFY(next.tryAcquire());
    }

    void lockLivesInTheRuntimeFolder()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        SingleInstance instance;
        QVERIFY2(instance.lockPath().startsWith(runtime.path() + u'/'), qPrintable(instance.lockPath()));
        QVERIFY(instance.tryAcquire());
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
