#pragma once
#include <QColor>
#include <QHash>
#include <QList>
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
    /// An autosized column is at most about this many characters wide (one
    /// very long title must not push every other column out of sight).
    static constexpr int kAutosizeLimitChars = 90;

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
    /// The column's own width: as the user, the stored preference or the
    /// autosize left it, without the share of spare room the fill columns get.
    [[nodiscard]] int ColumnWidth(int column) const;
    void setColumnWidthPx(int column, int width);
    /// Sizes the column to its contents (and header), sampling about a
    /// hundred rows so that it stays fast on big lists, and at most about
    /// kAutosizeLimitChars characters wide.
    void ColumnAutosize(int column);
    /// Columns that share the room the columns leave free in a wide list, in
    /// proportion to their own widths, so the list never ends in a blank
    /// strip; the share goes again as the list narrows.
    void setFillColumns(const QList<int>& columns);

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
    bool viewportEvent(QEvent* event) override;

private:
    void fillWidth();
    void sectionResizedByUser(int column);

    QList<int> m_fillColumns;
    QHash<int, int> m_added; // spare room given to a fill column, in pixels
    bool m_filling = false;
};

} // namespace quaverly::ui
