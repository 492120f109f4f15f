#pragma once
#include <QString>
#include <QStringList>

namespace quaverly::devicetools {

/// The companion programs of the eject, by file name in the program folder.
inline constexpr const char* kStayvaneName = "stayvane";
inline constexpr const char* kWaitName = "wait";
inline constexpr const char* kEjectToolName = "deveject";

/// Quotes one argument so that QProcess::splitCommand (which the companions
/// use) gives it back unchanged: double quotes around it, a quote inside
/// written as three quotes. Spaces, apostrophes, ';' and '$' need nothing
/// more, because no shell ever reads the text.
[[nodiscard]] QString quoteArgument(const QString& argument);

/// The one argument Stayvane gets: the quoted path of the program to wait
/// for, ";", then the quoted path of wait and, quoted once more as one
/// argument, wait's argument text — the copied eject tool's path and
/// "-EjectDrive:" with the iPod root, each quoted. wait splits its argument
/// text again, so a blank in a path survives both splits.
[[nodiscard]] QString stayvaneArgument(const QString& waitForExecutable, const QString& waitPath,
                                       const QString& toolPath, const QString& iPodRoot);

enum class EjectError {
    None,
    AlreadyInProgress, // an eject was started before: nothing done
    ToolMissing,       // no eject tool in the program folder
    CopyFailed,        // the eject tool could not be copied to the temporary folder
    CompanionMissing,  // stayvane or wait is not in the program folder
    StartFailed,       // stayvane could not be started
};

struct EjectResult
{
    EjectError error = EjectError::None;
    QString toolCopy; // the temporary copy of the eject tool
    QString program;  // what was started (stayvane)
    QStringList arguments;
    qint64 pid = 0;
};

/// Hands the eject of the iPod to a chain of programs that outlives this one:
/// stayvane waits until this program has ended, then starts wait, which pauses
/// and runs a temporary copy of the eject tool (the program folder is often
/// on the iPod itself, so the tool must not run from there).
///
/// Holds the eject-in-progress flag of the main window, so an eject starts at
/// most once per run. The window's eject runs the close handling, whose own
/// "eject on close" check must then see the flag set:
///
///     if (!chain.begin()) return;   // flag set before the close handling
///     flush preferences; close handling; result = chain.start(root); ...
///
/// The caller flushes the preferences before, and closes the program after.
class EjectChain
{
public:
    struct Paths
    {
        QString programDir;        // holds stayvane, wait and deveject
        QString waitForExecutable; // the process stayvane waits for
        QString tempDir;           // where the eject tool is copied
    };
    /// The running program: the folder of its companions (see device::ProgramLayout),
    /// its own executable, the system's temporary folder.
    [[nodiscard]] static Paths currentProgram();

    explicit EjectChain(Paths paths);

    /// True from begin (or a successful start) on.
    [[nodiscard]] bool inProgress() const { return m_state != State::Idle; }
    /// Sets the flag; false when it was set already (an eject is under way).
    [[nodiscard]] bool begin();
    /// Starts the chain for the iPod mounted at `iPodRoot` (beginning the eject
    /// when begin was not called). A chain already started answers
    /// AlreadyInProgress and nothing happens. When the start fails the flag is
    /// cleared again, so the user may try once more.
    [[nodiscard]] EjectResult start(const QString& iPodRoot);

private:
    [[nodiscard]] QString copyTool(EjectResult& result) const;

    enum class State { Idle, Begun, Started };
    Paths m_paths;
    State m_state = State::Idle;
};

} // namespace quaverly::devicetools
