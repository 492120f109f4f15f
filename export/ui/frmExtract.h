#pragma once
#include "database/mdlPlayCountEditor.h"
#include "export/PendingSongs.h"
#include "export/SongExtractor.h"
#include "ui/widgets/SkinnedWindow.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

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

struct ExtractRunState;

/// "Quaverly Extract": copies the pending songs into a folder tree named by
/// the template. The copy runs on a worker thread (the window stays
/// responsive); the progress panel shows songs, bytes, the current song and
/// the time left, and its Cancel stops the run after the current chunk.
/// The window closes itself after a run that was not cancelled (it deletes
/// itself on close); the template and the folder are kept in the preferences.
class frmExtract : public ui::SkinnedWindow
{
    Q_OBJECT
public:
    frmExtract(const database::Library& library, settings::mdlOptions& options, ui::PromptService& prompts,
               QWidget* parent = nullptr);
    ~frmExtract() override;

    /// A new pending list from these track indexes (0-based), without repeats.
    void AddSongs(const std::vector<int>& trackIndexes);
    [[nodiscard]] const PendingSongs& pending() const { return m_pending; }
    [[nodiscard]] bool isExtracting() const;
    /// The iPod's Play Counts file: the ratings written into tagged copies
    /// are the iPod's own where it has one (read when a run starts).
    void setPlayCounts(const database::mdlPlayCountEditor& playCounts);

    QLabel* Label2;
    QLineEdit* txtDir;
    QPushButton* cmdBrowse;
    QLabel* Label1;
    QLineEdit* txtFormat;
    QLabel* lblPreview;   // where the first songs will go
    QCheckBox* chkTags;   // write the database's details into the copies
    QCheckBox* chkCovers; // save each album's cover in its folder
    QLabel* lblFormatInfo;
    QPushButton* cmdHelp;
    QLabel* lblSongs;
    QListWidget* lstSongs;
    QPushButton* cmdRemovePlayer;
    QPushButton* cmdExtract;
    QPushButton* cmdClose;
    QGroupBox* fraExtract;
    QLabel* Label3;
    QProgressBar* shpProgress;
    QLabel* lblCurrent;   // the song being copied
    QLabel* lblProgress;  // songs, bytes and time left
    QPushButton* cmdStop; // cancels the run

Q_SIGNALS:
    /// A run ended (before its message is shown).
    void extractFinished(const quaverly::exporting::ExtractReport& report);

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void cmdBrowse_Click();
    void cmdExtract_Click();
    void cmdHelp_Click();
    void cmdRemovePlayer_Click();
    void cmdStop_Click();
    void txtDir_Change(const QString& text);

private:
    void buildControls();
    void Form_Load();
    void updatePreview();
    void StartExtract(const QString& targetDir, const QString& nameTemplate);
    void showProgress();
    void runFinished();
    void showReport(const ExtractReport& report); // the only place this window's end-of-run texts live
    void setRunning(bool running);

    static constexpr int kProgressSteps = 1000; // resolution of the progress bar

    const database::Library& m_library;
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    PendingSongs m_pending;
    std::optional<database::mdlPlayCountEditor> m_playCounts;
    std::shared_ptr<ExtractRunState> m_run;
    QFutureWatcher<ExtractReport> m_watcher;
    QTimer m_progressTimer;
    QElapsedTimer m_clock;
    bool m_closeAfterRun = false;
};

/// "12 of 340 songs, 45.2 MB of 1.2 GB, about 3 min left": the progress line.
/// The time left is estimated from the bytes copied in `elapsedMs`; it is left
/// out until there is enough to go on.
[[nodiscard]] QString progressText(const ExtractProgress& progress, qint64 elapsedMs);

} // namespace quaverly::exporting
