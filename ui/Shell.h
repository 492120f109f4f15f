#pragma once
#include <QString>
#include <QStringList>

namespace quaverly::ui {

/// Opens a document, folder or web address with the desktop's associated
/// program, or starts a program with arguments (each argument passed as it is,
/// never through a shell). Answers false when nothing could be started.
bool OpenWithShell(const QString& target, const QStringList& arguments = {});

} // namespace quaverly::ui
