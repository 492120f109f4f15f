#pragma once
#include <QByteArray>
#include <QString>

namespace quaverly::fuzz {

/// A folder for the file-based readers, made once per process and removed at
/// its end; writeScratchFile replaces one file in it with `bytes` and answers
/// its path (empty when it cannot be written).
[[nodiscard]] QString scratchFolder();
[[nodiscard]] QString writeScratchFile(const QString& name, const QByteArray& bytes);

} // namespace quaverly::fuzz
