#pragma once
#include <QString>

namespace quaverly::ui {

enum class PromptIcon { None, Information, Warning, Critical, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

/// One modal message: a title, a text, an icon and a set of buttons. `details`
/// holds a long report (thousands of lines) that a window shows in a
/// scrollable area under the text rather than inside the text itself.
struct PromptRequest
{
    QString title;
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QString details;
};

/// The one way the program shows a modal message box. The windows use the
/// Qt implementation; tests install a recording service so nothing blocks.
class PromptService
{
public:
    virtual ~PromptService() = default;
    virtual PromptAnswer ask(const PromptRequest& request) = 0;

    PromptAnswer show(const QString& title, const QString& text, PromptIcon icon = PromptIcon::None,
                      PromptButtons buttons = PromptButtons::Ok);
};

} // namespace quaverly::ui
