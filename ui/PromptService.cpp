#include "ui/PromptService.h"

namespace quaverly::ui {

PromptAnswer PromptService::show(const QString& title, const QString& text, PromptIcon icon, PromptButtons buttons)
{
    return ask(PromptRequest { title, text, icon, buttons, {} });
}

} // namespace quaverly::ui
