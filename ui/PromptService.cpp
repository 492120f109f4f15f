#include "ui/PromptService.h"

namespace quaverly::ui {

PromptAnswer PromptService::show(const QString& title, const QString& text, PromptIcon icon, PromptButtons buttons)
{
    return ask(PromptRequest { title, text, icon, buttons, {} });
}

PromptAnswer RecordingPromptService::ask(const PromptRequest& request)
{
    requests.push_back(request);
    if (answers.empty())
        return defaultAnswer;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace quaverly::ui
