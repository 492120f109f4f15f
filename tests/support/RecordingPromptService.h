#pragma once
#include "ui/PromptService.h"

#include <deque>
#include <vector>

namespace quaverly::ui {

/// Records every request and answers from a queue (or the default answer when
/// the queue is empty). Never blocks.
class RecordingPromptService final : public PromptService
{
public:
    PromptAnswer ask(const PromptRequest& request) override;

    std::vector<PromptRequest> requests;
    std::deque<PromptAnswer> answers;
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
};

} // namespace quaverly::ui
