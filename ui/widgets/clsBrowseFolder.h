#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

class QFileDialog;
class QWidget;

namespace quaverly::ui {

/// The folder picker: a modal folder dialog with a title, a starting folder
/// and an optional root. `BrowseForFolder` blocks until the user chooses
/// (the folder's path) or cancels (an empty text). The choose button answers
/// the folder selected or typed in the name box, or the folder shown when
/// nothing is; it never enters the folder instead.
class clsBrowseFolder : public QObject
{
    Q_OBJECT
public:
    explicit clsBrowseFolder(QObject* parent = nullptr);

    QString Title = QStringLiteral("Choose Folder");
    QWidget* hWndOwner = nullptr;
    QString InitialDir;          // shown when the dialog opens; a path that does not exist
                                 // opens its nearest existing folder with the rest typed in
    QString RootDir;             // where the dialog starts when InitialDir is empty
    bool StatusText = false;     // the name box has no label
    bool IncludeFiles = false;   // files are listed too (greyed: only folders can be chosen)
    bool AllowNewFolder = false; // a typed name of a folder that does not exist yet is answered too

    [[nodiscard]] QString BrowseForFolder();

Q_SIGNALS:
    /// Set *accept to false to disable the OK button for this selection.
    void SelectionChanged(const QString& path, bool* accept);

private:
    void onCurrentChanged(const QString& path);

    QPointer<QFileDialog> m_dialog;
};

} // namespace quaverly::ui
