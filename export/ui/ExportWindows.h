#pragma once
#include "database/mdlPlayCountEditor.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

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

class frmExtract;

/// Puts the copying windows in front of the user: the extraction window for
/// the main window's Extract and "Export plays..." for a scrobbler. The
/// start-up wiring connects the main window's intents to it. A child of the
/// main window.
class ExportWindows : public QObject
{
    Q_OBJECT
public:
    ExportWindows(QWidget& window, const database::Library& library, settings::mdlOptions& options,
                  ui::PromptService& prompts);

    /// The files the library was loaded from: the database (its fingerprint
    /// marks what an export of plays covered) and Play Counts (the iPod's
    /// ratings for tagged copies).
    void setDeviceFiles(const QString& databaseFile, const database::mdlPlayCountEditor& playCounts);

    /// The extraction window with these tracks (0-based), over the middle of
    /// the main window; one run at a time.
    frmExtract* showExtract(const std::vector<int>& trackIndexes);
    /// "Export plays...": the iPod's plays for a scrobbler (PlayExportCommand).
    void exportPlays();
    /// Closes the extraction window (a run under way stops and reports what it copied).
    void closeWindows();

    [[nodiscard]] frmExtract* extractWindow() const;

private:
    QWidget& m_window;
    const database::Library& m_library;
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    QString m_databaseFile;
    std::optional<database::mdlPlayCountEditor> m_playCounts;
    QPointer<frmExtract> m_extract;
};

} // namespace quaverly::exporting
