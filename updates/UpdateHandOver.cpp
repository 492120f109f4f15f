#include "updates/UpdateHandOver.h"

#include "ui/PromptService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

namespace quaverly::updates {
namespace {

Q_LOGGING_CATEGORY(lcUpdates, "quaverly.updates")

} // namespace

QString updaterFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("updater.exe");
#else
    return QStringLiteral("updater");
#endif
}

QStringList pendingUpdates(const QString& programDir)
{
    if (programDir.isEmpty())
        return {};
    const QDir dir(programDir);
    QStringList files;
    const QFileInfoList entries = dir.entryInfoList({ QStringLiteral("*.new") }, QDir::Files | QDir::Hidden,
                                                    QDir::Name);
    for (const QFileInfo& entry : entries)
        files.append(entry.absoluteFilePath());
    return files;
}

bool hasPendingUpdates(const QString& programDir)
{
    return !pendingUpdates(programDir).isEmpty();
}

UpdateContext UpdateContext::currentProgram()
{
    return { QCoreApplication::applicationDirPath(), QCoreApplication::applicationPid() };
}

UpdateResult InstallUpdates(const UpdateContext& context, ui::PromptService& prompts)
{
    UpdateResult result;
    const QString updater = QDir(context.programDir).filePath(updaterFileName());
    if (!QFileInfo(updater).isFile()) {
        prompts.show(QStringLiteral("Updater Missing!"),
                     QStringLiteral("The Quaverly Updater feature has been deleted! Please go to the website and "
                                    "download the latest version of Quaverly..."),
                     ui::PromptIcon::Information);
        for (const QString& file : pendingUpdates(context.programDir))
            (QFile::remove(file) ? result.removed : result.notRemoved).append(file);
        result.error = UpdateError::UpdaterMissing;
        return result;
    }
    QProcess process;
    process.setProgram(updater);
    process.setArguments({ QString::number(context.processId) });
    process.setWorkingDirectory(context.programDir);
    if (!process.startDetached(&result.installerPid)) {
        qCWarning(lcUpdates) << "Could not start the installer" << updater << process.errorString();
        result.error = UpdateError::StartFailed;
    }
    return result;
}

} // namespace quaverly::updates
