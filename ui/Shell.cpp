#include "ui/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quaverly::ui {

bool OpenWithShell(const QString& target, const QStringList& arguments)
{
    if (target.isEmpty())
        return false;
    const QFileInfo info(target);
    // A program is started directly; a document is opened with its associated program.
    if (info.isFile() && info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), arguments, info.absolutePath());
    const QUrl url = info.exists() ? QUrl::fromLocalFile(info.absoluteFilePath()) : QUrl(target);
    return QDesktopServices::openUrl(url);
}

} // namespace quaverly::ui
