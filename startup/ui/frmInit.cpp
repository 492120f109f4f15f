#include "startup/ui/frmInit.h"

#include "ui/PromptService.h"
#include "ui/widgets/WindowChrome.h"
#include "updates/UpdateHandOver.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace quaverly::startup {

bool hasPendingUpdates(const QString& programDir)
{
    return updates::hasPendingUpdates(programDir); // the same files the installer is handed
}

QString noIpodText()
{
    return QStringLiteral("No iPod was found on your computer. This program cannot be run as your iPod has not been "
                          "recognised. Make sure that your iPod is mounted (it shows up as a drive in your file "
                          "manager) before running this application!\r\n"
                          "If you do have an iPod connected and mounted, then you can run Quaverly with the iPod's "
                          "folder as its argument, such as quaverly /media/user/IPOD");
}

frmInit::frmInit(ui::PromptService& prompts, QWidget* parent)
    : ui::SkinnedWindow(QStringLiteral("Find Your iPod"), QStringLiteral("Locating iPod..."), parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmInit"));
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setSpacing(10);
    fraScanning = new QGroupBox(QStringLiteral("Currently Scanning"), body());
    fraScanning->setObjectName(QStringLiteral("fraScanning"));
    auto* inner = new QVBoxLayout(fraScanning);
    lblScanDrive = new QLabel(QStringLiteral("Scanning Drives..."), fraScanning);
    lblScanDrive->setObjectName(QStringLiteral("lblScanDrive"));
    inner->addWidget(lblScanDrive);
    lblWait = new QLabel(QStringLiteral("Please wait... Finding iPod Drive..."), body());
    lblWait->setObjectName(QStringLiteral("lblWait"));
    layout->addWidget(fraScanning);
    layout->addWidget(lblWait);
    setFixedSize(360, 170);
    connect(&m_watcher, &QFutureWatcher<std::optional<device::FindResult>>::finished, this, &frmInit::searchFinished);
}

frmInit::~frmInit()
{
    if (m_watcher.isRunning())
        m_watcher.waitForFinished();
}

void frmInit::Form_Load(const QString& commandLine, std::vector<QString> roots, const QString& programDir,
                        const std::function<void()>& installUpdates)
{
    show();
    if (hasPendingUpdates(programDir)) {
        const ui::PromptAnswer answer = m_prompts.show(
            QStringLiteral("Update to latest?"),
            QStringLiteral(
                "An update for Quaverly has been downloaded. Would you like to update to the latest version?"),
            ui::PromptIcon::Question, ui::PromptButtons::YesNo);
        if (answer == ui::PromptAnswer::Yes) {
            if (installUpdates)
                installUpdates();
            close();
            Q_EMIT updateChosen();
            return;
        }
    }
    StartFindiPod(commandLine, std::move(roots));
}

void frmInit::StartFindiPod(const QString& commandLine, std::vector<QString> roots)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_watcher.setFuture(QtConcurrent::run(
        [commandLine, roots = std::move(roots)] { return device::StartFindiPod(commandLine, roots); }));
}

void frmInit::searchFinished()
{
    QApplication::restoreOverrideCursor();
    const std::optional<device::FindResult> result = m_watcher.result();
    if (result) {
        lblScanDrive->setText(QStringLiteral("Scanning Drive : ") + result->iPodRoot);
        Q_EMIT found(*result); // the loading window shows before this one closes
        close();
        return;
    }
    lblScanDrive->setText(QStringLiteral("Scanning Drive : None!"));
    m_prompts.show(QStringLiteral("No iPod Found!"), noIpodText(), ui::PromptIcon::Information);
    close();
    Q_EMIT notFound();
}

} // namespace quaverly::startup
