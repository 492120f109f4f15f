#pragma once
#include <QString>

namespace quaverly::startup {

/// The companion programs of the eject chain, by file name.
inline constexpr const char* kCompanionNames[] = { "stayvane", "wait", "deveject" };
/// The help file the Help menu opens.
inline constexpr const char* kHelpFileName = "QuaverlyHelp.txt";

/// Where the program finds its companions and its help file.
///
/// A build tree, or a copy run from the iPod itself, keeps everything beside
/// the program. An installed program (`cmake --install`) keeps the companions
/// in libexec/quaverly and the help file in share/doc/quaverly of the same
/// prefix; these are found relative to the program's
/// folder, so an installed tree may be moved as a whole. Beside the program
/// wins over the installed places.
struct ProgramLayout
{
    QString programDir;   // the folder of the running executable
    QString companionDir; // holds stayvane, wait and deveject
    QString helpFile;     // QuaverlyHelp.txt; "" when there is none
    QString docDir;       // the installed documentation folder (it may not exist)
};

/// The layout for a program whose executable lies in `programDir`. When no
/// folder holds all three companions, companionDir is the installed one if it
/// exists, else `programDir`, so that a message can name where they belong.
[[nodiscard]] ProgramLayout FindProgramLayout(const QString& programDir);

/// FindProgramLayout for the running program (needs a QCoreApplication).
[[nodiscard]] ProgramLayout CurrentProgramLayout();

} // namespace quaverly::startup
