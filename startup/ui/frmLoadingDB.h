#pragma once
#include "database/LibraryLoader.h"
#include "ui/widgets/SkinnedWindow.h"

#include <QDate>
#include <QFutureWatcher>
#include <QTimer>

#include <memory>

class QFrame;
class QLabel;

namespace quaverly::ui {
class PromptService;
class SkinImage;
} // namespace quaverly::ui

namespace quaverly::startup {

/// One tick of the hold timer: ticks count only once the database is loaded,
/// and the seventh counted tick stops the timer (about 1.4 s at 200 ms).
/// Answers whether the timer keeps running.
[[nodiscard]] bool wasteTimeTick(int& counter, bool loaded);

/// The loading window: shows what the load is doing while the database is
/// read on a worker thread, reports what went wrong in message boxes, and
/// keeps its donation panel readable a moment before the main window shows
/// (not in January, when the panel is not shown at all).
class frmLoadingDB : public ui::SkinnedWindow
{
    Q_OBJECT
public:
    explicit frmLoadingDB(ui::PromptService& prompts, QWidget* parent = nullptr);
    ~frmLoadingDB() override;

    /// The date that decides the donation panel; today unless tests set it.
    void setToday(const QDate& date) { m_today = date; }

    /// Shows the window and starts the load. Emits `loaded` with the result
    /// once it is in (the receiver builds the main window then), and
    /// `finished` when the main window may be shown.
    void LoadDB(const QString& dbPath, const QString& iPodRoot);
    /// Called by the receiver of `loaded` once the main window has been built.
    void mainWindowLoaded();

    [[nodiscard]] bool donationPanelShown() const { return m_panelShown; }

    QLabel* lbl;
    QFrame* Line1;
    QLabel* Label2;
    QLabel* Label1[2];
    ui::SkinImage* Image1;
    QTimer tmrWasteTime;

Q_SIGNALS:
    void loaded(std::shared_ptr<quaverly::database::LoadResult> result);
    void finished();

private:
    void loadFinished();
    void tmrWasteTime_Timer();
    void reportProblems(const database::LoadResult& result);
    void finishWhenHeld();
    /// The donation action of both labels and the image: the README, which says how to support the project.
    void OpenDonationPage();

    ui::PromptService& m_prompts;
    QFutureWatcher<database::LoadResult> m_watcher;
    QDate m_today = QDate::currentDate();
    QWidget* m_panel = nullptr;
    int m_ticks = 0;
    bool m_loaded = false; // the timer's tag
    bool m_mainLoaded = false;
    bool m_panelShown = true;
    bool m_finished = false;
};

} // namespace quaverly::startup
