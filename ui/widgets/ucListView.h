#pragma once
#include <QColor>
#include <QTableView>

#include <vector>

namespace quaverly::ui {

/// The program's multi-column list (the song list): a table view over a row
/// model, in report style, one line per row, cells produced on demand by the
/// model (no per-row widgets), so 50,000 rows scroll smoothly. Rows and
/// columns are 0-based; reading a cell that does not exist gives "".
/// Sorting and row contents belong to the model; the view reports intent
/// through its signals.
class ucListView : public QTableView
{
    Q_OBJECT
public:
    static constexpr int kAutosizeLimitChars = 45;

    explicit ucListView(QWidget* parent = nullptr);

    /// Applies the report look: rows of one line, full-row selection,
    /// multiple selection, grid lines, draggable headers. Answers true.
    bool Initialize();

    [[nodiscard]] int count() const;
    [[nodiscard]] int ColumnCount() const;
    [[nodiscard]] int SelectedCount() const;
    /// Display text of a cell, never shortened.
    [[nodiscard]] QString SubItemText(int item, int column) const;
    [[nodiscard]] QString ColumnText(int column) const;
    [[nodiscard]] int ColumnWidth(int column) const { return columnWidth(column); }
    void setColumnWidthPx(int column, int width) { setColumnWidth(column, width); }
    /// Sizes the column to its contents (and header), sampling about a
    /// hundred rows so that it stays fast on big lists, and at most about
    /// kAutosizeLimitChars characters wide.
    void ColumnAutosize(int column);

    [[nodiscard]] bool ItemSelected(int item) const;
    /// true selects the row and makes it current; false deselects it and
    /// leaves the current row alone; item -1 means every row.
    void setItemSelected(int item, bool selected);
    /// Selected rows, ascending.
    [[nodiscard]] std::vector<int> GetLstSongSelected() const;

    void setMultiSelect(bool on);
    void setFullRowSelect(bool on);
    void setGridLines(bool on) { setShowGrid(on); }
    void setHeaderDragDrop(bool on);
    void setBackColor(const QColor& colour);

Q_SIGNALS:
    void DblClick();
    void ColumnClick(int column);
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void MouseUp(Qt::MouseButton button, QPoint pos);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace quaverly::ui
