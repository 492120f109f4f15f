#pragma once
#include "ui/PromptService.h"

#include <cstdio>

namespace quaverly::startup {

/// Prompts for unattended runs (the screenshot mode): each message goes to
/// the error stream, questions are answered No, everything else Ok.
class ConsolePromptService final : public ui::PromptService
{
public:
    ui::PromptAnswer ask(const ui::PromptRequest& request) override
    {
        std::fprintf(stderr, "quaverly: %s: %s\n", qPrintable(request.title), qPrintable(request.text));
        switch (request.buttons) {
        case ui::PromptButtons::YesNo:
        case ui::PromptButtons::YesNoCancel:
            return ui::PromptAnswer::No;
        case ui::PromptButtons::OkCancel:
        case ui::PromptButtons::RetryCancel:
            return ui::PromptAnswer::Cancel;
        case ui::PromptButtons::Ok:
            break;
        }
        return ui::PromptAnswer::Ok;
    }
};

} // namespace quaverly::startup
