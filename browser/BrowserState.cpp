#include "browser/BrowserState.h"

#include "browser/SongColumns.h"
#include "browser/SongSearch.h"
#include "database/Library.h"

#include <QSet>

#include <algorithm>
#include <climits>

namespace quaverly::browser {
namespace {

size_t at(int i)
{
    return static_cast<size_t>(i);
}

TrackKeys::Field fieldOfStage(int stage)
{
    return stage == 1 ? TrackKeys::Field::Genre : stage == 2 ? TrackKeys::Field::Artist : TrackKeys::Field::Album;
}

bool contains(const std::vector<int>& values, int value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

} // namespace

BrowserState::BrowserState(const database::Library& library)
    : m_library(library)
    , m_keys(library)
{
    for (int s = 1; s <= 3; ++s)
        m_stages[s].entries = QStringList { QStringLiteral("[All]") };
    fillSourceList();
}

void BrowserState::fillSourceList()
{
    const int count = m_library.PlaylistCount();
    if (count == 0)
        return;
    std::vector<int> others;
    for (int p = 1; p < count; ++p)
        others.push_back(p);
    // Code order of the names, as the other lists; equal names keep library order.
    std::stable_sort(others.begin(), others.end(), [this](int a, int b) {
        return m_library.Playlists[at(a)].Name < m_library.Playlists[at(b)].Name;
    });
    m_sourcePlaylists.push_back(0);
    m_sourcePlaylists.insert(m_sourcePlaylists.end(), others.begin(), others.end());
    for (int p : m_sourcePlaylists)
        m_sourceEntries.append(m_library.Playlists[at(p)].Name);
}

int BrowserState::playlistOfSourceRow(int row) const
{
    return row >= 0 && at(row) < m_sourcePlaylists.size() ? m_sourcePlaylists[at(row)] : -1;
}

bool BrowserState::inSource(int track) const
{
    return track >= 0 && at(track) < m_inSource.size() && m_inSource[at(track)] != 0;
}

void BrowserState::selectSource(int row)
{
    const int playlist = playlistOfSourceRow(row);
    if (playlist < 0)
        return;
    m_sourceRow = row;
    m_sourceSelected = { row };
    m_selectedSource = playlist;
    const database::clsPlayList& source = m_library.Playlists[at(playlist)];

    QSet<qint32> members;
    members.reserve(static_cast<qsizetype>(source.UINList.size()));
    for (qint32 uin : source.UINList)
        members.insert(uin);
    m_inSource.assign(at(m_library.TrackCount()), 0);
    for (int i = 0; i < m_library.TrackCount(); ++i)
        m_inSource[at(i)] = members.contains(m_library.Tracks[at(i)].UIN) ? 1 : 0;

    std::vector<int>& tracks = m_stageTracks[0];
    tracks.clear();
    tracks.reserve(source.IndexList.size());
    for (int index : source.IndexList) {
        if (index >= 0 && index < m_library.TrackCount())
            tracks.push_back(index);
    }
    for (int s = 1; s <= 3; ++s) {
        fillStageEntries(s);
        Stage& stage = m_stages[s];
        stage.current = kAllRow;
        stage.selected = { kAllRow };
        stage.contributors = { kAllRow };
        filterStage(s);
    }
    fillRows();
}

void BrowserState::selectGenres(int current, const std::vector<int>& selectedRows)
{
    clickStage(1, current, selectedRows);
}

void BrowserState::selectArtists(int current, const std::vector<int>& selectedRows)
{
    clickStage(2, current, selectedRows);
}

void BrowserState::selectAlbums(int current, const std::vector<int>& selectedRows)
{
    clickStage(3, current, selectedRows);
}

void BrowserState::clickStage(int s, int current, const std::vector<int>& selectedRows)
{
    Stage& stage = m_stages[s];
    const int count = static_cast<int>(stage.entries.size());
    if (current < 0 || current >= count)
        return;
    std::vector<int> selected;
    for (int row : selectedRows) {
        if (row >= 0 && row < count)
            selected.push_back(row);
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());

    stage.contributors = contributorsAfterClick(stage, current, selected);
    stage.current = current;
    stage.selected = std::move(selected);
    filterStage(s);
    for (int next = s + 1; next <= 3; ++next) {
        fillStageEntries(next);
        Stage& nextStage = m_stages[next];
        nextStage.current = kAllRow;
        nextStage.selected = { kAllRow };
        nextStage.contributors = { kAllRow };
        filterStage(next);
    }
    fillRows();
}

std::vector<int> BrowserState::contributorsAfterClick(const Stage& s, int current,
                                                      const std::vector<int>& selected) const
{
    // The entries that filter: the selected ones, or the clicked one when
    // nothing is selected. One entry starts afresh; with several, entries
    // collected before keep their place and new ones follow, the clicked one last.
    if (selected.size() < 2)
        return { selected.empty() ? current : selected.front() };
    std::vector<int> result;
    for (int row : s.contributors) {
        if (contains(selected, row))
            result.push_back(row);
    }
    for (int row : selected) {
        if (row != current && !contains(result, row))
            result.push_back(row);
    }
    if (contains(selected, current) && !contains(result, current))
        result.push_back(current);
    return result;
}

void BrowserState::filterStage(int s)
{
    const Stage& stage = m_stages[s];
    const std::vector<int>& in = m_stageTracks[s - 1];
    std::vector<int>& out = m_stageTracks[s];
    const TrackKeys::Field field = fieldOfStage(s);

    // Each track goes to the first entry (in collection order) that takes it,
    // so the output lists the tracks of each entry in turn, each track once.
    std::vector<int> positionOfGroup(at(m_keys.groupCount(field)), INT_MAX);
    int allPosition = INT_MAX;
    for (size_t p = 0; p < stage.contributors.size(); ++p) {
        const int group = stage.entryGroups[at(stage.contributors[p])];
        int& slot = group < 0 ? allPosition : positionOfGroup[at(group)];
        slot = std::min(slot, static_cast<int>(p));
    }
    std::vector<std::vector<int>> buckets(stage.contributors.size());
    for (int track : in) {
        const int position = std::min(allPosition, positionOfGroup[at(m_keys.group(field, track))]);
        if (position != INT_MAX)
            buckets[at(position)].push_back(track);
    }
    out.clear();
    out.reserve(in.size());
    for (const std::vector<int>& bucket : buckets)
        out.insert(out.end(), bucket.begin(), bucket.end());
}

void BrowserState::fillStageEntries(int s)
{
    Stage& stage = m_stages[s];
    const TrackKeys::Field field = fieldOfStage(s);
    const int empty = m_keys.emptyGroup(field);
    std::vector<char> seen(at(m_keys.groupCount(field)), 0);
    std::vector<std::pair<const QString*, int>> names;
    for (int track : m_stageTracks[s - 1]) {
        const int group = m_keys.group(field, track);
        if (group == empty || seen[at(group)])
            continue;
        seen[at(group)] = 1;
        names.emplace_back(&TrackKeys::text(m_library, field, track), group);
    }
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
    stage.entries = QStringList { QStringLiteral("[All]") };
    stage.entries.reserve(static_cast<qsizetype>(names.size()) + 1);
    stage.entryGroups.assign(1, -1);
    for (const auto& [name, group] : names) {
        stage.entries.append(*name);
        stage.entryGroups.push_back(group);
    }
}

void BrowserState::fillRows()
{
    m_albumRows = m_stageTracks[3];
    if (m_sortRows)
        sortDefault(m_library, m_keys, m_albumRows);
    m_rows = m_albumRows;
    m_query.clear();
}

const QStringList& BrowserState::entries(BrowserList list) const
{
    return list == BrowserList::Source ? m_sourceEntries : m_stages[static_cast<int>(list)].entries;
}

int BrowserState::currentRow(BrowserList list) const
{
    return list == BrowserList::Source ? m_sourceRow : m_stages[static_cast<int>(list)].current;
}

const std::vector<int>& BrowserState::selectedRows(BrowserList list) const
{
    return list == BrowserList::Source ? m_sourceSelected : m_stages[static_cast<int>(list)].selected;
}

int BrowserState::findEntry(BrowserList list, const QString& text) const
{
    const QStringList& names = entries(list);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(text, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void BrowserState::sortSongRows(int column, bool ascending)
{
    sortByColumn(m_library, m_rows, column, ascending, m_playingFile, m_ratings);
}

void BrowserState::setRating(int track, int stars)
{
    setShownRating(m_library, m_ratings, track, stars);
}

BrowserState::SearchOutcome BrowserState::setSearchText(const QString& query)
{
    SearchOutcome outcome;
    if (isScreenJumpQuery(query)) {
        outcome = setSearchText(QString());
        outcome.screenJumpPrompt = true;
        return outcome;
    }
    if (query == m_query)
        return outcome;
    // Only a query that extends the last one can keep to the rows it left.
    if (!query.startsWith(m_query, Qt::CaseInsensitive)) {
        m_rows = m_albumRows;
        outcome.rebuilt = true;
    }
    m_query = query;
    const QStringList words = splitSearchWords(query);
    if (words.isEmpty())
        return outcome;
    // The index costs a moment and some memory per song: a session (or a
    // command) that never searches never makes it.
    if (!m_searchIndex)
        m_searchIndex = std::make_unique<SearchIndex>(m_library);
    m_rows = filterRows(m_library, *m_searchIndex, m_rows, words, m_playingFile, m_ratings);
    return outcome;
}

QString BrowserState::jumpToPlaying(const QString& playingUinText)
{
    setSearchText(playingUinText);
    if (m_rows.empty()) {
        selectFirstSource();
        setSearchText(playingUinText);
    }
    return m_query;
}

} // namespace quaverly::browser
