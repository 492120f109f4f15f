#pragma once
#include <QString>
#include <QStringList>

#include <functional>

class QObject;

namespace quaverly::ui {

class PromptService;

/// Called with the reason, for the user, when an open did not work.
using OpenFailed = std::function<void(const QString& reason)>;

/// The desktop's openers, tried in this order: the first one installed is used.
[[nodiscard]] QStringList desktopOpeners();

/// Opens a document, folder or web address with the desktop's opener
/// (xdg-open, else gio open), or starts a program with `arguments` (each
/// passed as it is, never through a shell). Returns at once. When nothing
/// could be opened, `failed` gets the reason: a file that is not there or
/// cannot be read, no opener installed, a program that cannot start, or an
/// opener that ended with an error within kOpenerWatchMs (an opener still
/// running by then has handed the target over). `failed` runs on this
/// thread, at once or from the event loop, and never once `context` is gone.
void OpenWithShell(const QString& target, const QStringList& arguments, QObject* context, OpenFailed failed);

/// How long a running opener is watched for an error.
inline constexpr int kOpenerWatchMs = 15000;

/// OpenWithShell that shows a failure as a warning titled `title`, naming
/// `target` and the reason. `prompts` must outlive `context`.
void openOrReport(PromptService& prompts, const QString& title, const QString& target, QObject* context,
                  const QStringList& arguments = {});

/// The text of that warning.
[[nodiscard]] QString openFailureText(const QString& target, const QString& reason);

} // namespace quaverly::ui
