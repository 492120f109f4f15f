#pragma once
#include "database/LibraryLoader.h"
#include "device/IpodDiscovery.h"

#include <QDate>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

namespace quaverly::startup {

class frmInit;
class frmLoadingDB;

/// The start of the program: frmInit finds the iPod, frmLoadingDB loads its
/// database, the main window is built (by the factory) while the loading
/// window is still up, and shown when the loading window is done. Owns the
/// load result (the library and the Play Counts file) and the preferences
/// for the rest of the run.
class StartupFlow : public QObject
{
    Q_OBJECT
public:
    using MainWindowFactory = std::function<QWidget*(const database::LoadResult& load, settings::mdlOptions& options,
                                                     ui::PromptService& prompts)>;

    StartupFlow(ui::PromptService& prompts, MainWindowFactory factory, QObject* parent = nullptr);
    ~StartupFlow() override;

    void setUpdateInstaller(std::function<void()> installer) { m_installUpdates = std::move(installer); }
    /// The date that decides the loading window's donation panel (tests).
    void setToday(const QDate& date) { m_today = date; }

    void start(const QString& commandLine, std::vector<QString> roots, const QString& programDir);
    /// Replaces the open iPod by the one at `root` (an iPod mounted later):
    /// from the event loop, the main window is deleted without the close
    /// handling (no eject, no saving: the caller saves what it wants to keep)
    /// and the loading window loads the new database as at start-up. False
    /// (and nothing done) when `root` holds no iPod or a load is under way.
    bool openIpod(const QString& root);

    [[nodiscard]] QWidget* mainWindow() const { return m_main; }
    [[nodiscard]] database::LoadResult* loadResult() const { return m_load.get(); }
    [[nodiscard]] settings::mdlOptions* options() const { return m_options.get(); }
    /// Milliseconds from start() until the main window was shown, without the
    /// time the loading window was held for its donation panel.
    [[nodiscard]] qint64 startupMs() const { return m_startupMs; }
    [[nodiscard]] qint64 heldMs() const { return m_heldMs; }

Q_SIGNALS:
    void mainWindowShown(QWidget* window);
    /// The program ends without a main window (no iPod, or an update was chosen).
    void ended();
    /// The main window was closed (also while hidden to the tray, when no
    /// last-window rule ends the program): the program ends.
    void mainWindowClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onFound(const device::FindResult& found);
    void onLoaded(std::shared_ptr<database::LoadResult> result);
    void onLoadingFinished();
    void replaceIpod(const device::FindResult& found);

    ui::PromptService& m_prompts;
    MainWindowFactory m_factory;
    std::function<void()> m_installUpdates;
    QDate m_today = QDate::currentDate();
    QPointer<frmInit> m_init;
    QPointer<frmLoadingDB> m_loading;
    std::shared_ptr<database::LoadResult> m_load;
    std::unique_ptr<settings::mdlOptions> m_options;
    QPointer<QWidget> m_main;
    QString m_iPodRoot;
    QElapsedTimer m_clock;
    qint64 m_mainLoadedAt = 0;
    qint64 m_startupMs = 0;
    qint64 m_heldMs = 0;
    bool m_busy = false; // from the iPod found until its main window shows
};

} // namespace quaverly::startup
