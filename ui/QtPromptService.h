#pragma once
#include "ui/PromptService.h"

class QWidget;

namespace quaverly::ui {

/// Shows prompts as QMessageBox dialogs. A request with details shows them in
/// a read-only scrollable text area under the text.
class QtPromptService final : public PromptService
{
public:
    explicit QtPromptService(QWidget* parent = nullptr);
    PromptAnswer ask(const PromptRequest& request) override;
    void setParent(QWidget* parent) { m_parent = parent; }

private:
    QWidget* m_parent;
};

} // namespace quaverly::ui
