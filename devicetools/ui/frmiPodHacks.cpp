#include "devicetools/ui/frmiPodHacks.h"

#include "ui/PromptService.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace quaverly::devicetools {

frmiPodHacks::frmiPodHacks(QString iPodRoot, ui::PromptService& prompts, QWidget* parent)
    : ui::SkinnedWindow(QStringLiteral("iPodHacks"), QStringLiteral("iPod Hacks"), parent)
    , m_root(std::move(iPodRoot))
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmiPodHacks"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QGridLayout(body());
    layout->setContentsMargins(14, 12, 14, 14);
    for (std::size_t i = 0; i < kFlagCount; ++i) {
        checkBoxes[i] = new QCheckBox(body());
        checkBoxes[i]->setObjectName(QLatin1String(kFlagFiles[i].checkBox));
        labels[i] = new QLabel(QLatin1String(kFlagFiles[i].caption), body());
        labels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        labels[i]->setWordWrap(true);
        labels[i]->installEventFilter(this);
        layout->addWidget(checkBoxes[i], static_cast<int>(i), 0, Qt::AlignTop);
        layout->addWidget(labels[i], static_cast<int>(i), 1, Qt::AlignTop);
    }
    cmdOK = new QPushButton(QStringLiteral("OK"), body());
    cmdApply = new QPushButton(QStringLiteral("Apply"), body());
    cmdReset = new QPushButton(QStringLiteral("Reset"), body());
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), body());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : { cmdOK, cmdApply, cmdReset, cmdCancel })
        buttons->addWidget(button);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addLayout(buttons, static_cast<int>(kFlagCount), 0, 1, 2);
    layout->setColumnStretch(1, 1);
    resize(460, 300);
    connect(cmdOK, &QPushButton::clicked, this, &frmiPodHacks::cmdOK_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmiPodHacks::cmdApply_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmiPodHacks::cmdReset_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    Form_Load();
}

void frmiPodHacks::Form_Load()
{
    const std::array<bool, kFlagCount> on = loadFlags(m_root);
    for (std::size_t i = 0; i < kFlagCount; ++i)
        checkBoxes[i]->setChecked(on[i]);
}

bool frmiPodHacks::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (std::size_t i = 0; i < kFlagCount; ++i) {
            if (watched == labels[i]) {
                checkBoxes[i]->setChecked(!checkBoxes[i]->isChecked()); // Label_Click
                return true;
            }
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void frmiPodHacks::cmdApply_Click()
{
    FlagStates states {};
    for (std::size_t i = 0; i < kFlagCount; ++i) {
        const Qt::CheckState state = checkBoxes[i]->checkState();
        states[i] = state == Qt::Checked ? FlagState::On : state == Qt::Unchecked ? FlagState::Off : FlagState::Leave;
    }
    if (!reportFailures(applyFlags(m_root, states)))
        Form_Load(); // show what the iPod really has now
}

void frmiPodHacks::cmdOK_Click()
{
    cmdApply_Click();
    close();
}

void frmiPodHacks::cmdReset_Click()
{
    const FlagReport report = resetFlags(m_root);
    for (QCheckBox* box : checkBoxes)
        box->setChecked(false);
    if (!reportFailures(report))
        Form_Load();
}

bool frmiPodHacks::reportFailures(const FlagReport& report)
{
    if (report.ok())
        return true;
    ui::PromptRequest request;
    request.title = QStringLiteral("iPod Hacks");
    request.icon = ui::PromptIcon::Warning;
    if (report.firstError == FlagError::NoDeviceFolder)
        request.text = QStringLiteral("The iPod's Device folder (iPod_Control/Device) was not found, so nothing was "
                                      "changed.");
    else if (report.firstError == FlagError::OutsideIpod)
        request.text = QStringLiteral("These files lead outside your iPod (through a link), so Quaverly left them "
                                      "alone:");
    else
        request.text = QStringLiteral("Some settings could not be changed on your iPod (it may be read-only). These "
                                      "files could not be changed:");
    request.details = report.failedFiles.join(QLatin1Char('\n'));
    (void)m_prompts.ask(request);
    return false;
}

} // namespace quaverly::devicetools
