#pragma once
#include "ui/Shell.h"

#include <QString>

class QObject;

namespace quaverly::browser {

/// Opens the file manager on the folder that holds `fullPath`, with the file
/// selected where the file manager supports it (the desktop's FileManager1
/// service); otherwise the folder alone is opened with the desktop's opener.
/// Returns at once; `failed` gets the reason when neither worked (never once
/// `context` is gone).
void showFileInFileManager(const QString& fullPath, QObject* context, ui::OpenFailed failed);

} // namespace quaverly::browser
