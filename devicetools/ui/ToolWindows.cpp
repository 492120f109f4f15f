#include "devicetools/ui/ToolWindows.h"

#include "browser/LibraryChecks.h"
#include "database/Library.h"
#include "devicetools/ui/frmiPodHacks.h"
#include "devicetools/ui/iPodInfo.h"
#include "ui/PromptService.h"

#include <QApplication>

#include <functional>

namespace quaverly::devicetools {

namespace {

class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

/// A check's report as lines for the scrollable area: without the CR LF that
/// starts every line of the report text.
QString reportDetails(const QString& reportText)
{
    QString text = reportText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (text.startsWith(QLatin1Char('\n')))
        text.remove(0, 1);
    return text;
}

/// Places a tool window over the middle of the main window.
void centreOn(QWidget* tool, const QWidget* main)
{
    tool->move(main->geometry().center() - QPoint(tool->width() / 2, tool->height() / 2));
}

/// Shows a tool window modally, owned by the main window: a dialog that stays
/// in front of it and keeps the main window from taking clicks while it is up.
template <typename Window>
Window* raiseOrCreate(QPointer<Window>& slot, const std::function<Window*()>& create, const QWidget* main)
{
    if (!slot) {
        slot = create();
        slot->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        slot->setWindowModality(Qt::WindowModal);
        centreOn(slot, main);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

} // namespace

QString ejectErrorText(EjectError error)
{
    switch (error) {
    case EjectError::None:
    case EjectError::AlreadyInProgress:
        return {};
    case EjectError::ToolMissing:
        return QStringLiteral("The eject tool (deveject) was not found beside Quaverly, so the iPod was not ejected.");
    case EjectError::CopyFailed:
        return QStringLiteral("The eject tool could not be copied to the temporary folder, so the iPod was not "
                              "ejected.");
    case EjectError::CompanionMissing:
        return QStringLiteral("The eject helpers (stayvane and wait) were not found beside Quaverly, so the iPod was "
                              "not ejected.");
    case EjectError::StartFailed:
        return QStringLiteral("The eject could not be started, so the iPod was not ejected.");
    }
    return {};
}

ToolWindows::ToolWindows(ToolWindowsPlace window, settings::mdlOptions& options, ui::PromptService& prompts,
                         EjectChain::Paths ejectPaths)
    : QObject(window.window)
    , m_place(std::move(window))
    , m_window(*m_place.window)
    , m_library(*m_place.library)
    , m_options(options)
    , m_prompts(prompts)
    , m_eject(std::move(ejectPaths))
{
}

ToolWindows* ToolWindows::attach(ToolWindowsPlace window, settings::mdlOptions& options, ui::PromptService& prompts)
{
    return new ToolWindows(std::move(window), options, prompts, EjectChain::currentProgram());
}

QString ToolWindows::root() const
{
    return m_library.iPodRoot;
}

frmiPodHacks* ToolWindows::showHacks()
{
    return raiseOrCreate<frmiPodHacks>(
        m_hacks, [this] { return new frmiPodHacks(root(), m_prompts, &m_window); }, &m_window);
}

iPodInfo* ToolWindows::showInfo()
{
    return raiseOrCreate<iPodInfo>(
        m_info, [this] { return new iPodInfo(root(), &m_window); }, &m_window);
}

void ToolWindows::ScanForDuplicates()
{
    const database::Library& library = m_library;
    QString reportText;
    {
        WaitCursor wait;
        const browser::DuplicateReport report = browser::ScanForDuplicates(library);
        if (report.foundCount > 0)
            reportText = browser::reportText(library, report);
    }
    if (reportText.isEmpty()) {
        m_prompts.show(QStringLiteral("Duplicate!"), QStringLiteral("There are no duplicates in your library!"),
                       ui::PromptIcon::Information);
        return;
    }
    const browser::WriteResult written = browser::writeDuplicatesFile(root(), reportText);
    ui::PromptRequest request;
    request.title = QStringLiteral("Duplicates Found!");
    request.icon = ui::PromptIcon::Information;
    request.text = written.error == browser::WriteError::None
        ? QStringLiteral("Duplicates were found in your library. The list haas been saved on your iPod on a text file "
                         "and is shown below:")
        : QStringLiteral("Duplicates were found in your library. The list could not be saved on your iPod (%1) and "
                         "is shown below:")
              .arg(written.errorText);
    request.details = reportDetails(reportText);
    (void)m_prompts.ask(request);
}

void ToolWindows::ScanForMissing()
{
    const database::Library& library = m_library;
    browser::MissingReport report;
    {
        WaitCursor wait;
        report = browser::ScanForMissing(library, root());
    }
    if (report.missing.empty()) {
        m_prompts.show(QStringLiteral("No errors!"), QStringLiteral("All files were found on your iPod"),
                       ui::PromptIcon::Information);
        return;
    }
    ui::PromptRequest request;
    request.title = QStringLiteral("Missing Files!");
    request.text = QStringLiteral("The following files were missing on your iPod: ");
    request.icon = ui::PromptIcon::Information;
    request.details = reportDetails(browser::reportText(library, report.missing));
    (void)m_prompts.ask(request);
}

void ToolWindows::ProcessEject()
{
    if (m_ejectTried || !m_eject.begin())
        return;
    if (m_place.saveOptions)
        m_place.saveOptions(); // every preference is on the iPod before the chain starts
    m_window.hide();
    startEject();
    m_window.close(); // the close handling sees the eject under way and starts no second one
}

void ToolWindows::closeWindows()
{
    for (QWidget* tool : { static_cast<QWidget*>(m_hacks.data()), static_cast<QWidget*>(m_info.data()) }) {
        if (tool)
            tool->close();
    }
}

void ToolWindows::mainClosing()
{
    closeWindows();
    if (m_ejectTried || !(m_place.ejectOnClose && m_place.ejectOnClose()) || !m_eject.begin())
        return;
    startEject(); // the options were saved by the close handling just before
}

void ToolWindows::startEject()
{
    m_ejectTried = true;
    const EjectResult result = m_eject.start(root());
    const QString problem = ejectErrorText(result.error);
    if (!problem.isEmpty())
        m_prompts.show(QStringLiteral("Eject Failed!"), problem, ui::PromptIcon::Critical);
}

} // namespace quaverly::devicetools
