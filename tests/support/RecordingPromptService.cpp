#include "tests/support/RecordingPromptService.h"

namespace quaverly::ui {

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
