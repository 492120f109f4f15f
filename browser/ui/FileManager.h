#pragma once
#include <QString>

namespace quaverly::browser {

/// Opens the file manager on the folder that holds `fullPath`, with the file
/// selected where the file manager supports it (the desktop's FileManager1
/// service); otherwise the folder alone is opened. Returns at once.
void ShowFileInFileManager(const QString& fullPath);

} // namespace quaverly::browser
