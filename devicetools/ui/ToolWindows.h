#pragma once
#include "devicetools/EjectChain.h"

#include <QObject>
#include <QPointer>

#include <functional>
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

namespace quaverly::devicetools {

class frmiPodHacks;
class iPodInfo;

/// The main window as the tool windows see it, nothing owned: the window
/// (parent and owner of the tool windows), its library, how its preferences
/// are saved and whether "E&ject on Quaverly Close" is ticked.
struct ToolWindowsPlace
{
    QWidget* window = nullptr;
    const database::Library* library = nullptr;
    std::function<void()> saveOptions;
    std::function<bool()> ejectOnClose;
};

/// Puts the tool windows and the library checks in front of the user: the "&Extras" items
/// (iPod Hacks, iPod Information, the duplicate and missing checks, "Eject
/// iPod and close Quaverly") and the eject on close. The start-up wiring
/// connects the window's and the menus' intents to it. Lives as long as the
/// main window (its child).
class ToolWindows : public QObject
{
    Q_OBJECT
public:
    ToolWindows(ToolWindowsPlace window, settings::mdlOptions& options, ui::PromptService& prompts,
                EjectChain::Paths ejectPaths);
    /// Wires the running program's main window.
    static ToolWindows* attach(ToolWindowsPlace window, settings::mdlOptions& options, ui::PromptService& prompts);

    /// "&iPod Hacks" and "iPod Information": shown modally, owned by the main window.
    frmiPodHacks* showHacks();
    iPodInfo* showInfo();
    /// "Check For &Duplicates": the report, also written to duplicates.txt.
    void ScanForDuplicates();
    /// "Check for &Missing Files".
    void ScanForMissing();
    /// "Eject iPod and close Quaverly": saves the preferences, hides the
    /// window, starts the eject chain once, reports a failed start, closes.
    void ProcessEject();

    /// Closes iPod Hacks and iPod Information where they are open.
    void closeWindows();
    /// The main window is closing: the tool windows close, and the iPod is
    /// ejected when "E&ject on Quaverly Close" is ticked.
    void mainClosing();

    [[nodiscard]] const EjectChain& ejectChain() const { return m_eject; }

private:
    void startEject();
    [[nodiscard]] QString root() const;

    ToolWindowsPlace m_place;
    QWidget& m_window;
    const database::Library& m_library;
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    EjectChain m_eject;
    bool m_ejectTried = false; // one chain per run, even when its start failed
    QPointer<frmiPodHacks> m_hacks;
    QPointer<iPodInfo> m_info;
};

/// The message for an eject that could not be started; empty for None.
[[nodiscard]] QString ejectErrorText(EjectError error);

} // namespace quaverly::devicetools
