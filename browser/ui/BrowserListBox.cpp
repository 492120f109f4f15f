#include "browser/ui/BrowserListBox.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QStringListModel>

#include <algorithm>

namespace quaverly::browser {

BrowserListBox::BrowserListBox(bool multiSelect, QWidget* parent)
    : QListView(parent)
    , m_model(new QStringListModel(this))
{
    setModel(m_model);
    setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_silent)
            scheduleClick();
    });
}

void BrowserListBox::setEntries(const QStringList& entries, int current, const std::vector<int>& selectedRows)
{
    m_silent = true;
    if (m_model->stringList() != entries)
        m_model->setStringList(entries);
    QItemSelection selection;
    for (int row : selectedRows) {
        if (row >= 0 && row < entries.size())
            selection.select(m_model->index(row), m_model->index(row));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (current >= 0 && current < entries.size())
        selectionModel()->setCurrentIndex(m_model->index(current), QItemSelectionModel::NoUpdate);
    m_silent = false;
}

QStringList BrowserListBox::entries() const
{
    return m_model->stringList();
}

int BrowserListBox::count() const
{
    return m_model->rowCount();
}

int BrowserListBox::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

std::vector<int> BrowserListBox::selectedRowList() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void BrowserListBox::scheduleClick()
{
    if (m_clickPending)
        return;
    m_clickPending = true;
    QMetaObject::invokeMethod(this, &BrowserListBox::emitClick, Qt::QueuedConnection);
}

void BrowserListBox::emitClick()
{
    m_clickPending = false;
    if (currentRow() < 0)
        return;
    Q_EMIT Click(currentRow(), selectedRowList());
}

void BrowserListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    // A click on the entry that is already the only one selected changes no
    // selection but still rebuilds the lists to the right.
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        scheduleClick();
}

void BrowserListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        Q_EMIT DblClick();
}

} // namespace quaverly::browser
