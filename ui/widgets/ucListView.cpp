#include "ui/widgets/ucListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace quaverly::ui {

ucListView::ucListView(QWidget* parent)
    : QTableView(parent)
{
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ucListView::ColumnClick);
}

bool ucListView::Initialize()
{
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(8); // the playing-mark column is narrow
    horizontalHeader()->setResizeContentsPrecision(100);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setGridLines(true);
    setFullRowSelect(true);
    setHeaderDragDrop(true);
    setMultiSelect(true);
    return true;
}

int ucListView::count() const
{
    return model() ? model()->rowCount() : 0;
}

int ucListView::ColumnCount() const
{
    return model() ? model()->columnCount() : 0;
}

int ucListView::SelectedCount() const
{
    return selectionModel() ? static_cast<int>(selectionModel()->selectedRows().size()) : 0;
}

QString ucListView::SubItemText(int item, int column) const
{
    if (!model() || item < 0 || column < 0 || item >= model()->rowCount() || column >= model()->columnCount())
        return {};
    return model()->index(item, column).data(Qt::DisplayRole).toString();
}

QString ucListView::ColumnText(int column) const
{
    if (!model() || column < 0 || column >= model()->columnCount())
        return {};
    return model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void ucListView::ColumnAutosize(int column)
{
    resizeColumnToContents(column);
    // One very long title must not push every other column out of sight.
    const int limit = std::max(120, fontMetrics().averageCharWidth() * kAutosizeLimitChars);
    if (columnWidth(column) > limit)
        setColumnWidth(column, limit);
}

bool ucListView::ItemSelected(int item) const
{
    if (!selectionModel() || !model() || item < 0 || item >= model()->rowCount())
        return false;
    return selectionModel()->isRowSelected(item, QModelIndex());
}

void ucListView::setItemSelected(int item, bool selected)
{
    if (!selectionModel() || !model())
        return;
    if (item == -1) {
        if (selected)
            selectAll();
        else
            selectionModel()->clearSelection();
        return;
    }
    if (item < 0 || item >= model()->rowCount())
        return;
    const QModelIndex index = model()->index(item, 0);
    const auto rows = QItemSelectionModel::Rows;
    if (selected)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | rows);
    else
        selectionModel()->select(index, QItemSelectionModel::Deselect | rows);
}

std::vector<int> ucListView::GetLstSongSelected() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(static_cast<size_t>(selected.size()));
    for (const QModelIndex& index : selected)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ucListView::setMultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void ucListView::setFullRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void ucListView::setHeaderDragDrop(bool on)
{
    horizontalHeader()->setSectionsMovable(on);
}

void ucListView::setBackColor(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::AlternateBase, colour.lighter(104));
    setPalette(p);
}

void ucListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        Q_EMIT DblClick();
}

void ucListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    Q_EMIT MouseUp(event->button(), event->position().toPoint());
}

void ucListView::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT KeyDown(event->key(), event->modifiers());
    QTableView::keyPressEvent(event);
}

} // namespace quaverly::ui
