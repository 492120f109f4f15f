#pragma once
#include <QString>
#include <QStringList>

namespace quaverly::ui {
class PromptService;
}

namespace quaverly::updates {

/// The installer, by file name in the program folder (updater.exe on Windows).
[[nodiscard]] QString updaterFileName();

/// The files of `programDir` whose names end in ".new" (downloaded updates
/// waiting to be installed), sorted by name.
[[nodiscard]] QStringList pendingUpdates(const QString& programDir);
[[nodiscard]] bool hasPendingUpdates(const QString& programDir);

enum class UpdateError {
    None,
    UpdaterMissing, // no installer: the pending updates were discarded
    StartFailed,    // the installer is there but could not be started
};

struct UpdateResult
{
    UpdateError error = UpdateError::None;
    QStringList removed;    // ".new" files deleted because there is no installer
    QStringList notRemoved; // ".new" files that could not be deleted
    qint64 installerPid = 0;
};

/// Where the program lives and who it is.
struct UpdateContext
{
    QString programDir; // the folder of the running executable
    qint64 processId = 0;
    /// The running program.
    [[nodiscard]] static UpdateContext currentProgram();
};

/// Hands the pending updates to the installer: starts programDir/updater with
/// the process id in decimal as its only argument, without waiting for it;
/// the caller then ends the program so the installer can replace its files.
/// Without an installer, shows "Updater Missing!" (information) through
/// `prompts` and deletes the pending ".new" files, so that the question is
/// not asked again at the next start. Never ends the program itself.
UpdateResult InstallUpdates(const UpdateContext& context, ui::PromptService& prompts);

} // namespace quaverly::updates
