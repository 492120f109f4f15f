#include "ui/widgets/clsBrowseFolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

namespace quaverly::ui {

clsBrowseFolder::clsBrowseFolder(QObject* parent)
    : QObject(parent)
{
}

QString clsBrowseFolder::BrowseForFolder()
{
    QFileDialog dialog(hWndOwner, Title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(IncludeFiles ? QFileDialog::AnyFile : QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, !IncludeFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString start = !InitialDir.isEmpty() ? InitialDir : RootDir;
    if (!start.isEmpty())
        dialog.setDirectory(QFileInfo(start).absoluteFilePath());
    if (StatusText)
        dialog.setLabelText(QFileDialog::FileName, QString());
    m_dialog = &dialog;
    connect(&dialog, &QFileDialog::currentChanged, this, &clsBrowseFolder::onCurrentChanged);
    Q_EMIT Initialized();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_dialog = nullptr;
    if (!accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString chosen = QDir::cleanPath(dialog.selectedFiles().constFirst());
    m_displayName = QFileInfo(chosen).fileName();
    return chosen;
}

BrowseFolderError clsBrowseFolder::SetFolder(const QString& path)
{
    if (m_dialog.isNull())
        return BrowseFolderError::DialogNotShown;
    m_dialog->setDirectory(path);
    m_dialog->setFocus();
    return BrowseFolderError::None;
}

BrowseFolderError clsBrowseFolder::SetStatus(const QString& text)
{
    if (m_dialog.isNull())
        return BrowseFolderError::DialogNotShown;
    m_dialog->setLabelText(QFileDialog::FileName, text);
    return BrowseFolderError::None;
}

QString clsBrowseFolder::SpecialFolderLocation(QStandardPaths::StandardLocation location)
{
    const QStringList paths = QStandardPaths::standardLocations(location);
    return paths.isEmpty() ? QString() : paths.constFirst();
}

void clsBrowseFolder::onCurrentChanged(const QString& path)
{
    bool accept = true;
    Q_EMIT SelectionChanged(path, &accept);
    if (m_dialog.isNull())
        return;
    if (auto* buttons = m_dialog->findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Open))
            ok->setEnabled(accept);
    }
}

} // namespace quaverly::ui
