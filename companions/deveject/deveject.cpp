// deveject -EjectDrive:ROOT
// The last link of the eject chain. Leaves every folder of the device at
// once (its working directory becomes /), flushes the file system caches,
// finds the block device mounted at ROOT and unmounts and powers it off
// (udisks2, else umount and eject). It runs after Quaverly has ended, so a
// failure must reach the user by itself: it is written on stderr, shown as a
// desktop notification (notify-send), and, when no notification could be
// shown but a display is there, in a message box.
// Exit status: 0 ejected, 1 failed, 2 usage error, 3 unmounted but not powered off.
//
// QUAVERLY_MOUNTINFO names another mount table than /proc/self/mountinfo
// (for tests, which must never touch a real device).
#include "Ejector.h"
#include "MountTable.h"
#include "companions/common/CompanionMessage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>

namespace deveject {
namespace {

const QLatin1String kOption("-EjectDrive:");
constexpr int kNotifyTimeoutMs = 5000;

/// The exit status and the failure to tell the user (empty: none).
struct Result
{
    int status = 0;
    QString message;
};

Result failure(const QString& text, int status)
{
    std::fprintf(stderr, "deveject: %s\n", qUtf8Printable(text));
    return { status, text };
}

// True when a desktop notification was shown: notify-send is there and
// succeeded (it fails without a notification service on the session bus).
bool notify(const QString& text)
{
    const QString notifySend = QStandardPaths::findExecutable(QStringLiteral("notify-send"));
    if (notifySend.isEmpty())
        return false;
    QProcess process;
    process.start(notifySend, { QStringLiteral("--app-name=Quaverly"), QStringLiteral("iPod not ejected"), text });
    if (!process.waitForStarted())
        return false;
    if (!process.waitForFinished(kNotifyTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString rootArgument(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        // Blanks before the option are allowed; the root after it is taken as it stands.
        qsizetype at = 0;
        while (at < argument.size() && argument.at(at).isSpace())
            ++at;
        if (QStringView(argument).mid(at).startsWith(kOption, Qt::CaseInsensitive))
            return argument.mid(at + kOption.size());
    }
    return {};
}

QByteArray mountTable()
{
    const QString override = qEnvironmentVariable("QUAVERLY_MOUNTINFO");
    QFile file(override.isEmpty() ? QStringLiteral("/proc/self/mountinfo") : override);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A copy made in the temporary folder for one eject removes itself.
void removeTemporaryCopy()
{
    const QString self = QCoreApplication::applicationFilePath();
    if (QFileInfo(self).fileName().startsWith(QLatin1String("iTunesDBTemp")))
        QFile::remove(self);
}

Result ejectRoot(const QString& root)
{
    ::sync();
    const QString mountPoint = QFileInfo(root).canonicalFilePath();
    if (mountPoint.isEmpty())
        return failure(root + QStringLiteral(": no such folder"), 1);
    const auto mount = findMount(mountTable(), mountPoint);
    if (!mount)
        return failure(mountPoint + QStringLiteral(" is not a mount point"), 1);
    if (mountPoint == QLatin1String("/") || !mount->source.startsWith(QLatin1String("/dev/")))
        return failure(mountPoint + QStringLiteral(" is not a removable device"), 1);

    const EjectReport report = Ejector().eject(*mount);
    switch (report.outcome) {
    case Outcome::Ejected:
        return {};
    case Outcome::NotPoweredOff:
        return failure(mountPoint + QStringLiteral(" was unmounted but not powered off: ") + report.message, 3);
    case Outcome::Failed:
        break;
    }
    return failure(QStringLiteral("could not eject ") + mountPoint + QStringLiteral(": ") + report.message, 1);
}

} // namespace
} // namespace deveject

int main(int argc, char* argv[])
{
    using namespace deveject;
    if (::chdir("/") != 0)
        std::perror("deveject: chdir /");
    Result outcome { 2, {} };
    bool showBox = false;
    {
        QCoreApplication app(argc, argv);
        const QString root = rootArgument(QCoreApplication::arguments().mid(1));
        if (root.isEmpty())
            std::fputs("Usage: deveject -EjectDrive:MOUNT-POINT\n", stderr);
        else
            outcome = ejectRoot(root);
        // Without a notification and without a display, stderr is all there is.
        showBox = !outcome.message.isEmpty() && !notify(outcome.message) && companion::hasDisplay();
        removeTemporaryCopy();
    }
    // No notification could be shown: a message box, which needs the
    // graphical application object in place of the core one.
    if (showBox)
        companion::showMessageBox(argc, argv, QStringLiteral("iPod not ejected"),
                                  QStringLiteral("The iPod was not ejected:\n") + outcome.message,
                                  QMessageBox::Warning);
    return outcome.status;
}
