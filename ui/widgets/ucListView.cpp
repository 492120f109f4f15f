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
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int) { sectionResizedByUser(column); });
}

int ucListView::ColumnWidth(int column) const
{
    return std::max(0, columnWidth(column) - m_added.value(column));
}

void ucListView::setColumnWidthPx(int column, int width)
{
    m_filling = true;
    m_added.remove(column);
    setColumnWidth(column, width);
    m_filling = false;
    fillWidth();
}

void ucListView::setFillColumns(const QList<int>& columns)
{
    m_fillColumns = columns;
    fillWidth();
}

void ucListView::sectionResizedByUser(int column)
{
    if (!m_filling)
        m_added.remove(column); // the width the user gave is the column's own now
}

bool ucListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize) // the list, or its scroll bars, changed size
        QMetaObject::invokeMethod(this, &ucListView::fillWidth, Qt::QueuedConnection);
    return QTableView::viewportEvent(event);
}

void ucListView::fillWidth()
{
    if (!model() || m_fillColumns.isEmpty() || m_filling)
        return;
    QHeaderView* header = horizontalHeader();
    int own = 0;
    int fillOwn = 0;
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        own += ColumnWidth(column);
        if (m_fillColumns.contains(column))
            fillOwn += ColumnWidth(column);
    }
    const int spare = std::max(0, viewport()->width() - own);
    m_filling = true;
    int given = 0;
    QList<int> fill;
    for (int column : std::as_const(m_fillColumns)) {
        if (column < header->count() && !header->isSectionHidden(column) && ColumnWidth(column) > 0)
            fill.append(column);
    }
    for (qsizetype i = 0; i < fill.size(); ++i) {
        const int column = fill[i];
        const int base = ColumnWidth(column);
        // The last one takes what rounding left, so the columns end exactly at the edge.
        const int share = i + 1 == fill.size() ? spare - given
                                               : static_cast<int>(qint64(spare) * base / std::max(1, fillOwn));
        given += share;
        m_added.insert(column, share);
        setColumnWidth(column, base + share);
    }
    m_filling = false;
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
    m_filling = true;
    m_added.remove(column);
    resizeColumnToContents(column);
    // One very long title must not push every other column out of sight.
    const int limit = std::max(120, fontMetrics().averageCharWidth() * kAutosizeLimitChars);
    if (columnWidth(column) > limit)
        setColumnWidth(column, limit);
    m_filling = false;
    fillWidth();
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
