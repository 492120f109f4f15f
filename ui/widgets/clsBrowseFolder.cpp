#include "ui/widgets/clsBrowseFolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>

namespace quaverly::ui {

clsBrowseFolder::clsBrowseFolder(QObject* parent)
    : QObject(parent)
{
}

namespace {

/// The folder dialog: in directory mode, the choose button answers the
/// folder selected or typed (never entering it); a typed name of a folder
/// that does not exist yet is answered too, when new folders are allowed.
class FolderDialog : public QFileDialog
{
public:
    FolderDialog(QWidget* owner, const QString& title, bool allowNew)
        : QFileDialog(owner, title)
        , m_allowNew(allowNew)
    {
    }
    [[nodiscard]] const QString& newFolder() const { return m_newFolder; }

    /// Call once the dialog's mode and options are set (its controls exist then).
    void keepChooseEnabledForNewFolders()
    {
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        m_choose = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!m_allowNew || !m_choose || !name)
            return;
        // The dialog disables its button for a name that does not exist,
        // each time it looks at the name again: enable it after each look.
        m_choose->installEventFilter(this);
        connect(name, &QLineEdit::textChanged, this, [this] { enableForNewFolder(); });
    }

    void accept() override
    {
        if (const QString folder = typedNewFolder(); !folder.isEmpty()) {
            m_newFolder = folder;
            QDialog::accept(); // the folder dialog itself refuses names that do not exist
            return;
        }
        QFileDialog::accept();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_choose && event->type() == QEvent::EnabledChange && !m_choose->isEnabled())
            QMetaObject::invokeMethod(
                this, [this] { enableForNewFolder(); }, Qt::QueuedConnection);
        return QFileDialog::eventFilter(watched, event);
    }

private:
    /// The folder typed in the name box when it does not exist yet (below an
    /// existing folder, not below a file); "" otherwise.
    [[nodiscard]] QString typedNewFolder() const
    {
        const QStringList chosen = selectedFiles();
        if (!m_allowNew || chosen.size() != 1 || QFileInfo::exists(chosen.constFirst()))
            return {};
        QString folder = QDir::cleanPath(chosen.constFirst());
        QString parent = QFileInfo(folder).absolutePath();
        while (!QFileInfo::exists(parent) && parent != QFileInfo(parent).absolutePath())
            parent = QFileInfo(parent).absolutePath();
        return QFileInfo(parent).isDir() ? folder : QString();
    }

    void enableForNewFolder()
    {
        if (m_choose && !m_choose->isEnabled() && !typedNewFolder().isEmpty())
            m_choose->setEnabled(true);
    }

    bool m_allowNew;
    QPointer<QPushButton> m_choose;
    QString m_newFolder;
};

/// Lists files greyed: shown, so the user recognises the folder, but not
/// selectable, as only a folder can be the answer.
class FoldersOnlyEnabled : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags result = QSortFilterProxyModel::flags(index);
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && index.isValid() && !files->isDir(mapToSource(index)))
            result &= ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        return result;
    }
};

/// Where the dialog opens for a starting text: the folder itself when it
/// exists, else its nearest existing ancestor with the rest of the path
/// typed into the name box.
struct StartPoint
{
    QString folder;
    QString typed;
};

StartPoint startPoint(const QString& start)
{
    QString folder = QDir::cleanPath(QFileInfo(start).absoluteFilePath());
    QString typed;
    while (!QFileInfo(folder).isDir()) {
        const QFileInfo info(folder);
        const QString parent = info.absolutePath();
        if (parent == folder)
            return { QDir::homePath(), {} };
        typed = typed.isEmpty() ? info.fileName() : info.fileName() + QLatin1Char('/') + typed;
        folder = parent;
    }
    return { folder, typed };
}

} // namespace

QString clsBrowseFolder::BrowseForFolder()
{
    FolderDialog dialog(hWndOwner, Title, AllowNewFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    // Files are listed too (greyed, as they cannot be chosen) when asked for.
    dialog.setOption(QFileDialog::ShowDirsOnly, !IncludeFiles);
    if (IncludeFiles)
        dialog.setProxyModel(new FoldersOnlyEnabled(&dialog));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString start = !InitialDir.isEmpty() ? InitialDir : RootDir;
    if (!start.isEmpty()) {
        const StartPoint at = startPoint(start);
        dialog.setDirectory(at.folder);
        if (!at.typed.isEmpty())
            dialog.selectFile(at.typed);
    }
    if (StatusText)
        dialog.setLabelText(QFileDialog::FileName, QString());
    dialog.keepChooseEnabledForNewFolders();
    m_dialog = &dialog;
    connect(&dialog, &QFileDialog::currentChanged, this, &clsBrowseFolder::onCurrentChanged);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_dialog = nullptr;
    QString chosen = dialog.newFolder();
    if (chosen.isEmpty() && accepted && !dialog.selectedFiles().isEmpty())
        chosen = QDir::cleanPath(dialog.selectedFiles().constFirst());
    return accepted ? chosen : QString();
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
