#include "ui/widgets/CommonDialog.h"

#include <QColorDialog>

namespace quaverly::ui {

ColorResult CommonDialog::ShowColor(QWidget* owner, bool centreOnOwner, const QColor& initial)
{
    if (!m_customColoursSet) {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, QColor(254, 254, 254));
        m_customColoursSet = true;
    }
    QColorDialog dialog(initial, centreOnOwner ? owner : nullptr);
    if (dialog.exec() != QDialog::Accepted)
        return { QColor(0, 0, 0), true };
    return { dialog.selectedColor(), false };
}

} // namespace quaverly::ui
