#pragma once
#include "device/IpodDiscovery.h"
#include "ui/widgets/SkinnedWindow.h"

#include <QFutureWatcher>

#include <functional>
#include <optional>
#include <vector>

class QGroupBox;
class QLabel;

namespace quaverly::ui {
class PromptService;
}

namespace quaverly::startup {

/// The first window ("Find Your iPod"): offers a downloaded update, then
/// finds the iPod from the command line or among the mounted volumes (off
/// the window's thread, so a slow volume never freezes it). Emits exactly
/// one of found, updateChosen or notFound, then closes.
class frmInit : public ui::SkinnedWindow
{
    Q_OBJECT
public:
    explicit frmInit(ui::PromptService& prompts, QWidget* parent = nullptr);
    ~frmInit() override;

    /// Starts: the update question when `programDir` holds "*.new" files,
    /// then the search. `installUpdates` runs when the user agrees.
    void Form_Load(const QString& commandLine, std::vector<QString> roots, const QString& programDir,
                   const std::function<void()>& installUpdates);

    QGroupBox* fraScanning;
    QLabel* lblScanDrive;
    QLabel* lblWait;

Q_SIGNALS:
    void found(const quaverly::device::FindResult& result);
    void updateChosen();
    void notFound();

private:
    void StartFindiPod(const QString& commandLine, std::vector<QString> roots);
    void searchFinished();

    ui::PromptService& m_prompts;
    QFutureWatcher<std::optional<device::FindResult>> m_watcher;
};

/// True when `programDir` holds at least one file named "*.new".
[[nodiscard]] bool hasPendingUpdates(const QString& programDir);
/// The "No iPod Found!" text.
[[nodiscard]] QString noIpodText();

} // namespace quaverly::startup
