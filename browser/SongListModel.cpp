#include "browser/SongListModel.h"

#include "database/Library.h"

#include <QHash>

namespace quaverly::browser {

SongListModel::SongListModel(const database::Library& library, QObject* parent)
    : QAbstractTableModel(parent)
    , m_library(library)
{
}

int SongListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SongListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SongListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == kTrackIndexRole)
        return trackAt(index.row());
    return {};
}

QVariant SongListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return columnHeader(section);
}

void SongListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumnCount)
        return;
    std::vector<int> sorted = m_rows;
    sortByColumn(m_library, sorted, column, order == Qt::AscendingOrder, m_playingFile, m_ratings);
    reorderRows(sorted);
}

void SongListModel::setRows(std::vector<int> rows)
{
    const int count = m_library.TrackCount();
    std::erase_if(rows, [count](int track) { return track < 0 || track >= count; });
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void SongListModel::reorderRows(const std::vector<int>& rows)
{
    if (rows.size() != m_rows.size())
        return;
    // Rows are matched by track index; a track shown twice keeps its copies in order.
    QHash<int, std::vector<int>> newRowsOfTrack;
    for (size_t i = 0; i < rows.size(); ++i)
        newRowsOfTrack[rows[i]].push_back(static_cast<int>(i));
    std::vector<int> newRowOfOld(m_rows.size(), -1);
    QHash<int, size_t> used;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const auto it = newRowsOfTrack.constFind(m_rows[i]);
        size_t& next = used[m_rows[i]];
        if (it == newRowsOfTrack.cend() || next >= it->size())
            return; // not a reordering of the rows shown
        newRowOfOld[i] = (*it)[next++];
    }

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList oldIndexes = persistentIndexList();
    QModelIndexList newIndexes;
    newIndexes.reserve(oldIndexes.size());
    for (const QModelIndex& old : oldIndexes)
        newIndexes.append(index(newRowOfOld[static_cast<size_t>(old.row())], old.column()));
    m_rows = rows;
    changePersistentIndexList(oldIndexes, newIndexes);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int SongListModel::trackAt(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < m_rows.size() ? m_rows[static_cast<size_t>(row)] : -1;
}

QString SongListModel::cellText(int row, int column) const
{
    const int track = trackAt(row);
    if (track < 0 || track >= m_library.TrackCount())
        return {};
    const database::TrackRecord& record = m_library.Tracks[static_cast<size_t>(track)];
    const auto col = static_cast<Column>(column);
    return songCell(record, col, col == Column::Mark && isPlayingTrack(record, m_playingFile),
                    col == Column::Rating ? shownRating(m_library, m_ratings, track) : -1);
}

void SongListModel::setRatings(std::vector<int> ratings)
{
    m_ratings = std::move(ratings);
    if (!m_rows.empty()) {
        const int rating = static_cast<int>(Column::Rating);
        Q_EMIT dataChanged(index(0, rating), index(rowCount() - 1, rating), { Qt::DisplayRole });
    }
}

void SongListModel::setRating(int track, int stars)
{
    if (track < 0 || track >= m_library.TrackCount())
        return;
    setShownRating(m_library, m_ratings, track, stars);
    const int rating = static_cast<int>(Column::Rating);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row] == track)
            Q_EMIT dataChanged(index(static_cast<int>(row), rating), index(static_cast<int>(row), rating),
                               { Qt::DisplayRole });
    }
}

void SongListModel::setPlayingFile(const QString& fullPath)
{
    if (fullPath == m_playingFile)
        return;
    m_playingFile = fullPath;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), { Qt::DisplayRole });
}

} // namespace quaverly::browser
