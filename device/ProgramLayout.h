#pragma once
#include <QString>

namespace quaverly::device {

/// The companion programs of the eject chain, by file name.
inline constexpr const char* kCompanionNames[] = { "stayvane", "wait", "deveject" };
/// Where the program finds the companion programs of the eject.
///
/// A build tree, or a copy run from the iPod itself, keeps them beside the
/// program. An installed program (`cmake --install`) keeps them in
/// libexec/quaverly of the same prefix, found relative to the program's
/// folder, so an installed tree may be moved as a whole. Beside the program
/// wins. (The help file and README: ui::links::programDocument.)
struct ProgramLayout
{
    QString programDir;   // the folder of the running executable
    QString companionDir; // holds stayvane, wait and deveject
};

/// The layout for a program whose executable lies in `programDir`. When no
/// folder holds all three companions, companionDir is the installed one if it
/// exists, else `programDir`, so that a message can name where they belong.
[[nodiscard]] ProgramLayout findProgramLayout(const QString& programDir);

/// findProgramLayout for the running program (needs a QCoreApplication).
[[nodiscard]] ProgramLayout currentProgramLayout();

} // namespace quaverly::device
