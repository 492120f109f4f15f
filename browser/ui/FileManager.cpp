#include "browser/ui/FileManager.h"

#include "ui/Shell.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace quaverly::browser {

void ShowFileInFileManager(const QString& fullPath)
{
    const QFileInfo info(fullPath);
    QString folder = info.absolutePath();
    while (!folder.isEmpty() && !QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();
    const QString dbusSend = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    if (!info.exists() || dbusSend.isEmpty()) {
        ui::OpenWithShell(folder);
        return;
    }
    // Asks the desktop's file manager to show the item; when no file manager
    // answers (no session bus, no such service), open the folder instead.
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process,
                     [process, folder](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             ui::OpenWithShell(folder);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, folder](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            ui::OpenWithShell(folder);
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
