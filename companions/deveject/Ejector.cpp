#include "Ejector.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace deveject {
namespace {

constexpr int kToolTimeoutMs = 60000;
constexpr unsigned long kRetryPauseMs = 500;

bool isBusy(const QString& output)
{
    return output.contains(QLatin1String("busy"), Qt::CaseInsensitive);
}

// udisksctl is installed but its daemon cannot be reached.
bool udisksUnreachable(const QString& output)
{
    return output.contains(QLatin1String("Error connecting to the udisks daemon"), Qt::CaseInsensitive)
        || output.contains(QLatin1String("ServiceUnknown"));
}

QString failureText(const QString& program, const QString& output)
{
    const QString reason = output.trimmed();
    return reason.isEmpty() ? program + QStringLiteral(" failed") : reason;
}

} // namespace

Ejector::Ejector(int busyTimeoutMs)
    : m_busyTimeoutMs(busyTimeoutMs)
{
}

Ejector::Run Ejector::run(const QString& program, const QStringList& arguments)
{
    Run result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    result.started = process.waitForStarted();
    if (!result.started) {
        result.output = process.errorString();
        return result;
    }
    if (!process.waitForFinished(kToolTimeoutMs))
        process.kill();
    result.output = QString::fromLocal8Bit(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

Ejector::Run Ejector::runWhileBusy(const QString& program, const QStringList& arguments) const
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        Run attempt = run(program, arguments);
        if (attempt.exitCode == 0 || !isBusy(attempt.output) || clock.elapsed() >= m_busyTimeoutMs)
            return attempt;
        QThread::msleep(kRetryPauseMs);
    }
}

EjectReport Ejector::viaUdisks(const QString& udisksctl, const Mount& mount, bool& unavailable) const
{
    const QStringList device { QStringLiteral("-b"), mount.source, QStringLiteral("--no-user-interaction") };
    const Run unmount = runWhileBusy(udisksctl, QStringList { QStringLiteral("unmount") } + device);
    if (unmount.exitCode != 0) {
        unavailable = !unmount.started || udisksUnreachable(unmount.output);
        return { Outcome::Failed, failureText(QStringLiteral("udisksctl unmount"), unmount.output) };
    }
    const Run powerOff = run(udisksctl, QStringList { QStringLiteral("power-off") } + device);
    if (powerOff.exitCode != 0)
        return { Outcome::NotPoweredOff, failureText(QStringLiteral("udisksctl power-off"), powerOff.output) };
    return { Outcome::Ejected, {} };
}

EjectReport Ejector::viaUmount(const Mount& mount) const
{
    const QString umount = QStandardPaths::findExecutable(QStringLiteral("umount"));
    if (umount.isEmpty())
        return { Outcome::Failed, QStringLiteral("neither udisksctl nor umount was found") };
    const Run unmount = runWhileBusy(umount, { mount.mountPoint });
    if (unmount.exitCode != 0)
        return { Outcome::Failed, failureText(QStringLiteral("umount"), unmount.output) };
    const QString eject = QStandardPaths::findExecutable(QStringLiteral("eject"));
    if (eject.isEmpty())
        return { Outcome::Ejected, {} }; // unmounted: safe to unplug
    const Run powerOff = run(eject, { mount.source });
    if (powerOff.exitCode != 0)
        return { Outcome::NotPoweredOff, failureText(QStringLiteral("eject"), powerOff.output) };
    return { Outcome::Ejected, {} };
}

EjectReport Ejector::eject(const Mount& mount)
{
    const QString udisksctl = QStandardPaths::findExecutable(QStringLiteral("udisksctl"));
    if (!udisksctl.isEmpty()) {
        bool unavailable = false;
        EjectReport report = viaUdisks(udisksctl, mount, unavailable);
        if (!unavailable)
            return report;
    }
    return viaUmount(mount);
}

} // namespace deveject
