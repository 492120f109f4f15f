#include "ui/widgets/CommonDialog.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace quaverly::ui {

OpenResult CommonDialog::resultFromPaths(const QStringList& paths)
{
    OpenResult result;
    if (paths.isEmpty()) {
        result.cancelled = true;
        return result;
    }
    QString folder = QFileInfo(paths.constFirst()).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    result.folder = folder;
    for (const QString& path : paths)
        result.files.append(QFileInfo(path).fileName());
    result.count = static_cast<int>(result.files.size());
    return result;
}

OpenResult CommonDialog::ShowOpen(QWidget* owner, bool centreOnOwner)
{
    QFileDialog dialog(centreOnOwner ? owner : nullptr, DialogTitle, InitDir, Filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontResolveSymlinks, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted)
        return resultFromPaths({});
    return resultFromPaths(dialog.selectedFiles());
}

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
