#pragma once
#include <QColor>

class QWidget;

namespace quaverly::ui {

struct ColorResult
{
    QColor colour;
    bool cancelled = false;
};

/// The colour dialog. Its custom colours start all near-white the first
/// time this object shows it; the user's changes to them are kept for the
/// rest of the program.
class CommonDialog
{
public:
    /// Blocks until the dialog closes; a cancelled dialog answers black.
    [[nodiscard]] ColorResult ShowColor(QWidget* owner, bool centreOnOwner, const QColor& initial);

private:
    bool m_customColoursSet = false;
};

} // namespace quaverly::ui
