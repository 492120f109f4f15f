#include "device/ProgramLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// The companions' folder in the installed tree, relative to the installed
// program's folder; the build passes the one of its install layout.
#ifndef QUAVERLY_RELATIVE_LIBEXEC_DIR
#define QUAVERLY_RELATIVE_LIBEXEC_DIR "../libexec/quaverly"
#endif

namespace quaverly::device {
namespace {

QString below(const QString& dir, const char* relative)
{
    return QDir::cleanPath(QDir(dir).filePath(QLatin1String(relative)));
}

bool holdsCompanions(const QString& dir)
{
    for (const char* name : kCompanionNames) {
        const QFileInfo program(QDir(dir).filePath(QLatin1String(name)));
        if (!program.isFile() || !program.isExecutable())
            return false;
    }
    return true;
}

} // namespace

ProgramLayout findProgramLayout(const QString& programDir)
{
    ProgramLayout layout;
    layout.programDir = QDir::cleanPath(programDir);

    const QString installedCompanions = below(layout.programDir, QUAVERLY_RELATIVE_LIBEXEC_DIR);
    if (holdsCompanions(layout.programDir))
        layout.companionDir = layout.programDir;
    else if (QFileInfo(installedCompanions).isDir())
        layout.companionDir = installedCompanions;
    else
        layout.companionDir = layout.programDir;

    return layout;
}

ProgramLayout currentProgramLayout()
{
    return findProgramLayout(QCoreApplication::applicationDirPath());
}

} // namespace quaverly::device
