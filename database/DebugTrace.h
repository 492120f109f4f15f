#pragma once
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcDebugTrace)

namespace quaverly::database {

/// Progress and timing texts nobody needs to see; enable the category
/// "quaverly.debugtrace" (QT_LOGGING_RULES) to read them.
void DebugTrace(const QString& text);

} // namespace quaverly::database
