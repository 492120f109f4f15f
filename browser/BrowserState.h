#pragma once
#include "browser/SongSearch.h"
#include "browser/TrackKeys.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::browser {

/// The four lists of the browser, left to right.
enum class BrowserList { Source = 0, Genre = 1, Artist = 2, Album = 3 };

/// The entry of the genre, artist and album lists that stands for every track.
inline constexpr int kAllRow = 0;

/// The main window's four-stage browser without widgets: the source list (the
/// iPod's playlists), then genres, artists and albums, and the song rows they
/// select. The windows forward list events to the select calls below and show
/// entries() and songRows() afterwards; every call runs the whole cascade to
/// its right, so after a selection every list to the right holds "[All]" selected.
///
/// Rows of the source list are 0 for the master playlist, then the other
/// playlists sorted by name. Rows of the genre, artist and album lists are 0
/// for "[All]" then the distinct non-empty names (equal ignoring letter case
/// counts as one name, spelt as first met) in code order.
///
/// Multi-selection: a click passes the entry clicked (`current`) and the rows
/// selected after the click. Entries clicked while others stay selected add
/// their tracks after those collected so far (no track twice); an entry that
/// is deselected drops its tracks; a plain click starts afresh. With nothing
/// selected the current entry filters.
///
/// Song rows are track indexes (0-based into Library::Tracks) in the default
/// order (artist, album, track number) unless sorting is off, then narrowed by
/// the search text. The library must outlive this object and stay unchanged.
/// A new object has its lists filled but nothing selected: set the options,
/// then call selectFirstSource().
class BrowserState
{
public:
    explicit BrowserState(const database::Library& library);

    /// "No Sorting [Faster]" unchecked means sorted; applies from the next fill.
    void setSortRows(bool sorted) { m_sortRows = sorted; }
    [[nodiscard]] bool sortRows() const { return m_sortRows; }

    // The four steps. Out-of-range rows are ignored.
    void selectSource(int row);
    void selectGenres(int current, const std::vector<int>& selectedRows);
    void selectArtists(int current, const std::vector<int>& selectedRows);
    void selectAlbums(int current, const std::vector<int>& selectedRows);
    /// Selects source row 0 and runs the whole cascade, as at start.
    void selectFirstSource() { selectSource(0); }

    /// The texts of a list as shown (with "[All]" first except in the source list).
    [[nodiscard]] const QStringList& entries(BrowserList list) const;
    /// The current entry and the selected rows of a list, as the last click left them.
    [[nodiscard]] int currentRow(BrowserList list) const;
    [[nodiscard]] const std::vector<int>& selectedRows(BrowserList list) const;
    /// The row of the entry equal to `text` ignoring letter case, or -1.
    [[nodiscard]] int findEntry(BrowserList list, const QString& text) const;

    /// The index into Library::Playlists of the source selected last (0 at start).
    [[nodiscard]] int selectedSource() const { return m_selectedSource; }
    /// The playlist index behind a source row, or -1.
    [[nodiscard]] int playlistOfSourceRow(int row) const;
    /// True when the track's UIN is a member of the selected source.
    [[nodiscard]] bool inSource(int track) const;

    /// The track sets of the stages, in the order they were collected.
    [[nodiscard]] const std::vector<int>& sourceTracks() const { return m_stageTracks[0]; }
    [[nodiscard]] const std::vector<int>& genreTracks() const { return m_stageTracks[1]; }
    [[nodiscard]] const std::vector<int>& artistTracks() const { return m_stageTracks[2]; }
    /// The tracks of the album selection, before sorting and search.
    [[nodiscard]] const std::vector<int>& albumTracks() const { return m_stageTracks[3]; }

    /// The song rows as shown: track indexes in row order.
    [[nodiscard]] const std::vector<int>& songRows() const { return m_rows; }

    /// Header click: sorts the shown rows by one column (see sortByColumn).
    void sortSongRows(int column, bool ascending = true);

    /// The stars of the Rating cells that the sort and the search see, by
    /// track index (see shownRating); empty: the database's ratings.
    void setRatings(std::vector<int> ratings) { m_ratings = std::move(ratings); }
    /// One track's stars changed (a rating given while the program runs).
    void setRating(int track, int stars);
    [[nodiscard]] const std::vector<int>& ratings() const { return m_ratings; }

    /// The path of the file being played, for the "#" cell the search sees.
    void setPlayingFile(const QString& fullPath) { m_playingFile = fullPath; }
    [[nodiscard]] const QString& playingFile() const { return m_playingFile; }

    /// The outcome of a change of the search text.
    struct SearchOutcome
    {
        bool screenJumpPrompt = false; // "screenjump" was typed: ask, and empty the search box
        bool rebuilt = false;          // the rows were rebuilt from the album selection first
    };
    /// The search box's text changed to `query`. A query that extends the one
    /// before (starts with it) narrows the rows shown; any other query first
    /// rebuilds the rows from the album selection. Words are split at single
    /// blanks; a row stays when every word is in some cell, ignoring case.
    SearchOutcome setSearchText(const QString& query);
    /// The query in effect (emptied by every browser click).
    [[nodiscard]] const QString& searchText() const { return m_query; }

    /// Jump to the playing song: searches for its UIN text; when no row is left,
    /// selects the master source and searches again. Answers the new query.
    QString jumpToPlaying(const QString& playingUinText);

    [[nodiscard]] const TrackKeys& keys() const { return m_keys; }

private:
    struct Stage
    {
        QStringList entries;          // "[All]" first
        std::vector<int> entryGroups; // group per entry row; -1 for "[All]"
        int current = 0;
        std::vector<int> selected;
        std::vector<int> contributors; // entry rows in the order their tracks were collected
    };
    void fillSourceList();
    void clickStage(int stage, int current, const std::vector<int>& selectedRows);
    void filterStage(int stage);
    void fillStageEntries(int stage);
    void fillRows();
    [[nodiscard]] std::vector<int> contributorsAfterClick(const Stage& s, int current,
                                                          const std::vector<int>& selectedRows) const;

    const database::Library& m_library;
    TrackKeys m_keys;
    std::unique_ptr<SearchIndex> m_searchIndex; // made for the first search, not before
    bool m_sortRows = true;

    QStringList m_sourceEntries;
    std::vector<int> m_sourcePlaylists; // playlist index per source row
    int m_sourceRow = -1;
    std::vector<int> m_sourceSelected;
    int m_selectedSource = 0;
    std::vector<char> m_inSource;

    Stage m_stages[4];                 // [0] unused; genre, artist, album
    std::vector<int> m_stageTracks[4]; // source, genre, artist, album tracks
    std::vector<int> m_albumRows;      // album tracks in the default order
    std::vector<int> m_rows;
    QString m_query;
    QString m_playingFile;
    std::vector<int> m_ratings;
};

} // namespace quaverly::browser
