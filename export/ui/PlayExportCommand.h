#pragma once
#include <QString>

class QWidget;

namespace quaverly::database {
class Library;
}
namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

namespace quaverly::exporting {

/// "Export plays...": writes the plays the iPod recorded since its last sync
/// for a scrobbler. When there is nothing to write it says so; otherwise a
/// save dialog asks for the file (its type chooses ".scrobbler.log" or a
/// ListenBrainz import), the file is written, the export recorded on the
/// iPod, and a short report shown. Times are converted to UTC with this
/// computer's time zone, which is the iPod's when it was set from this
/// computer. The folder and type chosen last are kept in the preferences.
class PlayExportCommand
{
public:
    PlayExportCommand(QWidget* window, const database::Library& library, QString databaseFile,
                      settings::mdlOptions& options, ui::PromptService& prompts);

    /// Runs the whole command; blocks while the save dialog is open.
    void run();

private:
    [[nodiscard]] QString chooseFile(bool* listenBrainz);

    QWidget* m_window;
    const database::Library& m_library;
    QString m_databaseFile;
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
};

} // namespace quaverly::exporting
