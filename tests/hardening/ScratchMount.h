#pragma once
#include <QDir>
#include <QProcess>
#include <QString>

#include <unistd.h>

namespace quaverly::hardening {

/// A small tmpfs mounted on a folder for the length of a test: a full disk,
/// or a device that turns read-only under a running program. Needs root and
/// a kernel that lets it mount (containers often do); isMounted() is false
/// otherwise and the test skips. Unmounted when it goes out of scope.
class ScratchMount
{
public:
    ScratchMount(const QString& folder, int sizeKiB)
        : m_folder(folder)
    {
        if (::geteuid() != 0 || !QDir().mkpath(folder))
            return;
        const QStringList arguments = { QStringLiteral("-t"),
                                        QStringLiteral("tmpfs"),
                                        QStringLiteral("-o"),
                                        QStringLiteral("size=%1k").arg(sizeKiB),
                                        QStringLiteral("quaverly-test"),
                                        folder };
        m_mounted = run(QStringLiteral("mount"), arguments);
    }
    ~ScratchMount()
    {
        if (m_mounted)
            (void)run(QStringLiteral("umount"), { QStringLiteral("-l"), m_folder });
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    [[nodiscard]] bool isMounted() const { return m_mounted; }
    /// Turns the mounted file system read-only, as the kernel does with a
    /// FAT volume after an I/O error (errors=remount-ro). Writes then fail
    /// even for root.
    [[nodiscard]] bool makeReadOnly() const
    {
        return m_mounted
            && run(QStringLiteral("mount"), { QStringLiteral("-o"), QStringLiteral("remount,ro"), m_folder });
    }

private:
    static bool run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
    }

    QString m_folder;
    bool m_mounted = false;
};

} // namespace quaverly::hardening
