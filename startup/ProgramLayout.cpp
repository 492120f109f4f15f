#include "startup/ProgramLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Paths of the installed tree relative to the installed program's folder;
// the build passes the ones of its install layout.
#ifndef QUAVERLY_RELATIVE_LIBEXEC_DIR
#define QUAVERLY_RELATIVE_LIBEXEC_DIR "../libexec/quaverly"
#endif
#ifndef QUAVERLY_RELATIVE_DOC_DIR
#define QUAVERLY_RELATIVE_DOC_DIR "../share/doc/quaverly"
#endif

namespace quaverly::startup {
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

ProgramLayout FindProgramLayout(const QString& programDir)
{
    ProgramLayout layout;
    layout.programDir = QDir::cleanPath(programDir);
    layout.docDir = below(layout.programDir, QUAVERLY_RELATIVE_DOC_DIR);

    const QString installedCompanions = below(layout.programDir, QUAVERLY_RELATIVE_LIBEXEC_DIR);
    if (holdsCompanions(layout.programDir))
        layout.companionDir = layout.programDir;
    else if (QFileInfo(installedCompanions).isDir())
        layout.companionDir = installedCompanions;
    else
        layout.companionDir = layout.programDir;

    for (const QString& dir : { layout.programDir, layout.docDir }) {
        const QString help = QDir(dir).filePath(QLatin1String(kHelpFileName));
        if (QFileInfo(help).isFile()) {
            layout.helpFile = help;
            break;
        }
    }
    return layout;
}

ProgramLayout CurrentProgramLayout()
{
    return FindProgramLayout(QCoreApplication::applicationDirPath());
}

} // namespace quaverly::startup
