#include "ui/widgets/ProjectLinks.h"

#include "ui/PromptService.h"
#include "ui/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quaverly::ui::links {

QString programDocument(const QString& name)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString candidates[] = {
        programDir.filePath(name),
        programDir.filePath(QStringLiteral("../share/quaverly/") + name),
        programDir.filePath(QStringLiteral("../share/doc/quaverly/") + name),
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("quaverly/") + name),
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("doc/quaverly/") + name),
    };
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return {};
}

void openProjectPage(PromptService& prompts, const QString& title, QObject* context)
{
    const QString readme = readmePath();
    if (readme.isEmpty()) {
        prompts.show(title,
                     QStringLiteral("The README that comes with Quaverly, which tells how to support its development "
                                    "and how to report a problem, was not found beside the program, in %1.")
                         .arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())),
                     PromptIcon::Warning);
        return;
    }
    openOrReport(prompts, title, readme, context);
}

} // namespace quaverly::ui::links
