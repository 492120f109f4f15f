#pragma once
#include <QColor>
#include <QString>
#include <QStringList>

class QWidget;

namespace quaverly::ui {

/// What the file-open dialog answers: the chosen files' names (without
/// folder) and their folder (ending in '/'), or `cancelled`.
struct OpenResult
{
    int count = 0;
    QStringList files;
    QString folder;
    bool cancelled = false;
};

struct ColorResult
{
    QColor colour;
    bool cancelled = false;
};

/// The file-open and colour dialogs. The caller sets `Filter` (Qt name
/// filter, such as "Programs (*)"), `InitDir` and `DialogTitle` before
/// `ShowOpen`. The colour dialog's custom colours start all near-white and
/// are kept for the life of this object's program.
class CommonDialog
{
public:
    QString Filter;
    QString InitDir;
    QString DialogTitle;

    /// Multiple selection; blocks until the dialog closes.
    [[nodiscard]] OpenResult ShowOpen(QWidget* owner, bool centreOnOwner);
    [[nodiscard]] ColorResult ShowColor(QWidget* owner, bool centreOnOwner, const QColor& initial);

    /// Splits full paths (all in one folder, as the dialog returns them).
    [[nodiscard]] static OpenResult resultFromPaths(const QStringList& paths);

private:
    bool m_customColoursSet = false;
};

} // namespace quaverly::ui
