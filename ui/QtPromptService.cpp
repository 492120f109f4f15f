#include "ui/QtPromptService.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quaverly::ui {
namespace {

QMessageBox::Icon toQtIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok:
        return QMessageBox::Ok;
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

PromptAnswer fromQt(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    case QMessageBox::Retry:
        return PromptAnswer::Retry;
    default:
        return PromptAnswer::Ok;
    }
}

// A message with a long report: the text on top, the report scrollable below.
PromptAnswer askWithReport(QWidget* parent, const PromptRequest& request)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(request.title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(request.text, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* report = new QPlainTextEdit(request.details, &dialog);
    report->setReadOnly(true);
    report->setMinimumSize(480, 320);
    layout->addWidget(report);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
    return PromptAnswer::Ok;
}

} // namespace

QtPromptService::QtPromptService(QWidget* parent)
    : m_parent(parent)
{
}

PromptAnswer QtPromptService::ask(const PromptRequest& request)
{
    if (!request.details.isEmpty())
        return askWithReport(m_parent, request);
    QMessageBox box(toQtIcon(request.icon), request.title, request.text, toQtButtons(request.buttons), m_parent);
    return fromQt(box.exec());
}

} // namespace quaverly::ui
