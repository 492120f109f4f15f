#pragma once
// Where the project's own pages are: the README and the help file that ship
// with the program. The Help menu, the loading window and the database error
// message point to them; the project has no web address of its own to give.
#include <QString>

class QObject;

namespace quaverly::ui {
class PromptService;
}

namespace quaverly::ui::links {

inline constexpr const char* kReadmeName = "README.md";
inline constexpr const char* kHelpFileName = "QuaverlyHelp.txt";

/// A document that ships with the program: beside the program (a build, or a
/// copy run from the iPod), else in the shared data or documentation folder of
/// an installed copy (quaverly/NAME or doc/quaverly/NAME under the data
/// folders, or share/... beside the program's bin folder). "" when none is there.
[[nodiscard]] QString programDocument(const QString& name);

/// The README: what Quaverly is, how to use it, how to report a problem and
/// how to support its development (the website and donation links open it).
[[nodiscard]] inline QString readmePath()
{
    return programDocument(QLatin1String(kReadmeName));
}

/// "&Donate", "&Website - Oxtarra" and the loading window's links: opens the
/// README (how to support and reach the project) with the desktop's opener;
/// says what failed, in a warning titled `title`, when it cannot.
void openProjectPage(PromptService& prompts, const QString& title, QObject* context);

} // namespace quaverly::ui::links
