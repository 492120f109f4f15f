#include "devicetools/ui/ToolWindows.h"

#include "browser/LibraryChecks.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMenus.h"
#include "database/Library.h"
#include "database/LibraryLoader.h"
#include "devicetools/ui/frmiPodHacks.h"
#include "devicetools/ui/iPodInfo.h"
#include "export/ui/PlayExportCommand.h"
#include "export/ui/frmExtract.h"
#include "ui/PromptService.h"

#include <QAction>
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

QString EjectErrorText(EjectError error)
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

ToolWindows::ToolWindows(browser::frmMain& window, settings::mdlOptions& options, ui::PromptService& prompts,
                         EjectChain::Paths ejectPaths)
    : QObject(&window)
    , m_window(window)
    , m_options(options)
    , m_prompts(prompts)
    , m_eject(std::move(ejectPaths))
{
    connectMenus();
}

ToolWindows* ToolWindows::attach(browser::frmMain& window, const database::LoadResult& load,
                                 settings::mdlOptions& options, ui::PromptService& prompts)
{
    auto* tools = new ToolWindows(window, options, prompts, EjectChain::currentProgram());
    tools->setDeviceFiles(load.databaseFile, load.playCounts);
    return tools;
}

void ToolWindows::connectMenus()
{
    browser::frmMenus& m = m_window.menus();
    connect(&m_window, &browser::frmMain::extractRequested, this, &ToolWindows::ShowExtract);
    connect(m.mnuHacks, &QAction::triggered, this, &ToolWindows::ShowHacks);
    connect(m.mnuiPodInfo, &QAction::triggered, this, &ToolWindows::ShowInfo);
    connect(m.mnuCheckForDuplicates, &QAction::triggered, this, &ToolWindows::ScanForDuplicates);
    connect(m.mnuCheckForMissing, &QAction::triggered, this, &ToolWindows::ScanForMissing);
    connect(m.mnuEjectAndClose, &QAction::triggered, this, &ToolWindows::ProcessEject);
    connect(m.mnuExportPlays, &QAction::triggered, this, &ToolWindows::ExportPlays);
    connect(&m_window, &browser::frmMain::closing, this, &ToolWindows::mainClosing);
}

exporting::frmExtract* ToolWindows::extractWindow() const
{
    return m_extract;
}

QString ToolWindows::root() const
{
    return m_window.library().iPodRoot;
}

exporting::frmExtract* ToolWindows::ShowExtract(const std::vector<int>& trackIndexes)
{
    if (m_extract && m_extract->isExtracting()) {
        m_extract->raise(); // one run at a time
        return m_extract;
    }
    if (m_extract)
        m_extract->close();
    m_extract = new exporting::frmExtract(m_window.library(), m_options, m_prompts, &m_window);
    m_extract->AddSongs(trackIndexes);
    if (m_playCounts)
        m_extract->setPlayCounts(*m_playCounts);
    centreOn(m_extract, &m_window);
    m_extract->show();
    return m_extract;
}

frmiPodHacks* ToolWindows::ShowHacks()
{
    return raiseOrCreate<frmiPodHacks>(
        m_hacks, [this] { return new frmiPodHacks(root(), m_prompts, &m_window); }, &m_window);
}

iPodInfo* ToolWindows::ShowInfo()
{
    return raiseOrCreate<iPodInfo>(
        m_info, [this] { return new iPodInfo(root(), &m_window); }, &m_window);
}

void ToolWindows::ScanForDuplicates()
{
    const database::Library& library = m_window.library();
    QString reportText;
    {
        WaitCursor wait;
        const browser::DuplicateReport report = browser::ScanForDuplicates(library);
        if (report.foundCount > 0)
            reportText = browser::ReportText(library, report);
    }
    if (reportText.isEmpty()) {
        m_prompts.show(QStringLiteral("Duplicate!"), QStringLiteral("There are no duplicates in your library!"),
                       ui::PromptIcon::Information);
        return;
    }
    const browser::WriteResult written = browser::WriteDuplicatesFile(root(), reportText);
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
    const database::Library& library = m_window.library();
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
    request.details = reportDetails(browser::ReportText(library, report.missing));
    (void)m_prompts.ask(request);
}

void ToolWindows::ExportPlays()
{
    exporting::PlayExportCommand command(&m_window, m_window.library(), m_databaseFile, m_options, m_prompts);
    command.run();
}

void ToolWindows::ProcessEject()
{
    if (m_ejectTried || !m_eject.begin())
        return;
    m_window.SaveOptions(); // every preference is on the iPod before the chain starts
    m_window.hide();
    startEject();
    m_window.close(); // the close handling sees the eject under way and starts no second one
}

void ToolWindows::mainClosing()
{
    for (QWidget* tool : { static_cast<QWidget*>(m_extract.data()), static_cast<QWidget*>(m_hacks.data()),
                           static_cast<QWidget*>(m_info.data()) }) {
        if (tool)
            tool->close();
    }
    if (m_ejectTried || !m_window.menus().mnuEject->isChecked() || !m_eject.begin())
        return;
    startEject(); // the options were saved by the close handling just before
}

void ToolWindows::startEject()
{
    m_ejectTried = true;
    const EjectResult result = m_eject.start(root());
    const QString problem = EjectErrorText(result.error);
    if (!problem.isEmpty())
        m_prompts.show(QStringLiteral("Eject Failed!"), problem, ui::PromptIcon::Critical);
}

} // namespace quaverly::devicetools
