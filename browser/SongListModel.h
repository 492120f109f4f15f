#pragma once
#include "browser/SongColumns.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::browser {

/// The song list: one row per track index, twelve columns (Column) whose cells
/// are made on demand from the library. Qt::DisplayRole gives the cell texts;
/// kTrackIndexRole gives the row's track index (0-based into Library::Tracks).
///
/// The browser (BrowserState) decides the rows; the window hands them over
/// with setRows() (a reset) or, when only their order changed, reorderRows()
/// (a layout change that keeps selections on their songs). sort() sorts the
/// rows itself the way a header click does.
class SongListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kTrackIndexRole = Qt::UserRole + 1;

    explicit SongListModel(const database::Library& library, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;
    /// Header click: numeric for "Track Number" and "Length", code order otherwise; stable.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    /// Shows these track indexes as rows; indexes outside the library are dropped.
    void setRows(std::vector<int> rows);
    /// The same rows in a new order (selections follow their songs); a vector
    /// that is not a reordering of the rows shown is ignored.
    void reorderRows(const std::vector<int>& rows);
    [[nodiscard]] const std::vector<int>& rows() const { return m_rows; }

    /// The track index of a row, or -1 when there is no such row.
    [[nodiscard]] int trackAt(int row) const;
    /// The text of a cell; empty for a row or column that does not exist.
    [[nodiscard]] QString cellText(int row, int column) const;

    /// The full path of the file being played: rows whose path it contains
    /// show "#" in the mark column. Empty for none.
    void setPlayingFile(const QString& fullPath);
    [[nodiscard]] const QString& playingFile() const { return m_playingFile; }

    /// The stars the Rating column shows, by track index (see shownRating);
    /// empty: the database's ratings.
    void setRatings(std::vector<int> ratings);
    /// One track's stars changed: its rows show them at once.
    void setRating(int track, int stars);

private:
    const database::Library& m_library;
    std::vector<int> m_rows;
    QString m_playingFile;
    std::vector<int> m_ratings;
};

} // namespace quaverly::browser
