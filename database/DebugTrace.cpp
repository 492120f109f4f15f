#include "database/DebugTrace.h"

Q_LOGGING_CATEGORY(lcDebugTrace, "quaverly.debugtrace", QtWarningMsg)

namespace quaverly::database {

void DebugTrace(const QString& text)
{
    qCDebug(lcDebugTrace).noquote() << text;
}

} // namespace quaverly::database
