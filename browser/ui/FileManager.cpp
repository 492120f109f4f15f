#include "browser/ui/FileManager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace quaverly::browser {

void showFileInFileManager(const QString& fullPath, QObject* context, ui::OpenFailed failed)
{
    const QFileInfo info(fullPath);
    QString folder = info.absolutePath();
    while (!folder.isEmpty() && !QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();
    const QString dbusSend = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    if (!info.exists() || dbusSend.isEmpty()) {
        ui::OpenWithShell(folder, {}, context, std::move(failed));
        return;
    }
    // Asks the desktop's file manager to show the item; when no file manager
    // answers (no session bus, no such service), open the folder instead.
    auto* process = new QProcess(QCoreApplication::instance());
    const QPointer<QObject> guard(context);
    const auto openFolder = [folder, guard, failed] {
        if (guard)
            ui::OpenWithShell(folder, {}, guard, failed);
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, openFolder](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             openFolder();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, openFolder](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            openFolder();
            process->deleteLater();
        }
    });
    process->start(dbusSend,
                   { QStringLiteral("--session"), QStringLiteral("--print-reply"),
                     QStringLiteral("--dest=org.freedesktop.FileManager1"), QStringLiteral("--type=method_call"),
                     QStringLiteral("/org/freedesktop/FileManager1"),
                     QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
                     QStringLiteral("array:string:") + QUrl::fromLocalFile(info.absoluteFilePath()).toString(),
                     QStringLiteral("string:") });
}

} // namespace quaverly::browser
