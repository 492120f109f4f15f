// deveject -EjectDrive:ROOT
// The last link of the eject chain. Leaves every folder of the device at
// once (its working directory becomes /), flushes the file system caches,
// finds the block device mounted at ROOT and unmounts and powers it off
// (udisks2, else umount and eject). A failure is written on stderr and shown
// as a desktop notification when notify-send is there.
// Exit status: 0 ejected, 1 failed, 2 usage error, 3 unmounted but not powered off.
//
// QUAVERLY_MOUNTINFO names another mount table than /proc/self/mountinfo
// (for tests, which must never touch a real device).
#include "Ejector.h"
#include "MountTable.h"

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

void notify(const QString& text)
{
    const QString notifySend = QStandardPaths::findExecutable(QStringLiteral("notify-send"));
    if (notifySend.isEmpty())
        return;
    QProcess process;
    process.start(notifySend, { QStringLiteral("--app-name=Quaverly"), QStringLiteral("iPod not ejected"), text });
    if (process.waitForStarted())
        process.waitForFinished(5000);
}

int failure(const QString& text, int status)
{
    std::fprintf(stderr, "deveject: %s\n", qUtf8Printable(text));
    notify(text);
    return status;
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

int ejectRoot(const QString& root)
{
    ::sync();
    const QString mountPoint = QFileInfo(root).canonicalFilePath();
    if (mountPoint.isEmpty())
        return failure(root + QStringLiteral(": no such folder"), 1);
    const auto mount = FindMount(mountTable(), mountPoint);
    if (!mount)
        return failure(mountPoint + QStringLiteral(" is not a mount point"), 1);
    if (mountPoint == QLatin1String("/") || !mount->source.startsWith(QLatin1String("/dev/")))
        return failure(mountPoint + QStringLiteral(" is not a removable device"), 1);

    const EjectReport report = Ejector().eject(*mount);
    switch (report.outcome) {
    case Outcome::Ejected:
        return 0;
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
    QCoreApplication app(argc, argv);
    const QString root = rootArgument(QCoreApplication::arguments().mid(1));
    int status = 2;
    if (root.isEmpty())
        std::fputs("Usage: deveject -EjectDrive:MOUNT-POINT\n", stderr);
    else
        status = ejectRoot(root);
    removeTemporaryCopy();
    return status;
}
