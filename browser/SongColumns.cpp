#include "browser/SongColumns.h"

#include "browser/TrackKeys.h"
#include "database/Library.h"
#include "settings/Preferences.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quaverly::browser {
namespace {

using database::TrackRecord;

const TrackRecord& trackOf(const database::Library& library, int index)
{
    return library.Tracks[static_cast<size_t>(index)];
}

// The cell text of a column as the text that a header click compares.
const QString* textField(const TrackRecord& track, Column column)
{
    switch (column) {
    case Column::Title:
        return &track.Title;
    case Column::Artist:
        return &track.Artist;
    case Column::Album:
        return &track.Album;
    case Column::Genre:
        return &track.Genre;
    case Column::Path:
        return &track.Path;
    case Column::Type:
        return &track.FileType;
    default:
        return nullptr;
    }
}

template <typename Key> void sortByKey(std::vector<int>& rows, const std::vector<Key>& keys, bool ascending)
{
    // Sort positions, then map back, so each key is built once per row.
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (ascending)
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    else
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[b] < keys[a]; });
    std::vector<int> sorted(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = rows[order[i]];
    rows = std::move(sorted);
}

// Sorts rows by a text column in code order, stable; descending reverses the
// order of unequal rows only. The texts are copied one after another, read in
// track order (the order of the records and, mostly, of their strings in
// memory). Each row's key then holds twelve code units as three numbers,
// taken after the start all texts share ("/iPod_Control/Music/F" in every
// path), so nearly every comparison is one of integers in a compact array;
// only texts equal that far are compared whole. Comparing the tracks'
// strings directly costs cache misses at every step with 200,000 rows.
void sortByText(const database::Library& library, std::vector<int>& rows, Column column, bool ascending)
{
    // A track may be listed twice: the positions of one track are chained.
    std::vector<int> firstPosition(static_cast<size_t>(library.TrackCount()), -1);
    std::vector<int> nextPosition(rows.size(), -1);
    for (size_t p = rows.size(); p-- > 0;) {
        int& first = firstPosition[static_cast<size_t>(rows[p])];
        nextPosition[p] = first;
        first = static_cast<int>(p);
    }
    // The texts in track order, one span per row (a track listed twice has
    // two spans of one text); every pass below reads them in this order.
    struct Span
    {
        size_t begin;
        size_t size;
        quint32 position; // of the row in `rows`
    };
    std::vector<char16_t> text;
    std::vector<Span> spans;
    spans.reserve(rows.size());
    for (size_t track = 0; track < firstPosition.size(); ++track) {
        if (firstPosition[track] < 0)
            continue;
        const QString& cell = *textField(library.Tracks[track], column);
        const auto* units = reinterpret_cast<const char16_t*>(cell.constData());
        const size_t begin = text.size();
        text.insert(text.end(), units, units + cell.size());
        for (int p = firstPosition[track]; p >= 0; p = nextPosition[static_cast<size_t>(p)])
            spans.push_back({ begin, static_cast<size_t>(cell.size()), static_cast<quint32>(p) });
    }
    const auto cellOf = [&](size_t span) {
        return std::u16string_view(text.data() + spans[span].begin, spans[span].size);
    };
    size_t shared = spans.empty() ? 0 : spans.front().size;
    for (size_t i = 1; i < spans.size() && shared > 0; ++i) {
        const std::u16string_view cell = cellOf(i).substr(0, shared);
        shared = static_cast<size_t>(std::mismatch(cell.begin(), cell.end(), cellOf(0).begin()).first - cell.begin());
    }

    struct Key
    {
        std::array<quint64, 3> prefix; // four code units each, the first highest; 0 past the end
        quint32 position;
        quint32 span;
    };
    std::vector<Key> keys(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        const std::u16string_view cell = cellOf(i).substr(shared);
        Key& key = keys[i];
        key.position = spans[i].position;
        key.span = static_cast<quint32>(i);
        for (size_t w = 0; w < key.prefix.size(); ++w) {
            quint64 word = 0;
            for (size_t u = w * 4; u < w * 4 + 4; ++u)
                word = word << 16 | (u < cell.size() ? cell[u] : 0);
            key.prefix[w] = word;
        }
    }
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        for (size_t w = 0; w < a.prefix.size(); ++w) {
            if (a.prefix[w] != b.prefix[w])
                return ascending == (a.prefix[w] < b.prefix[w]);
        }
        const int order = cellOf(a.span).compare(cellOf(b.span)); // code units, as QString compares
        if (order != 0)
            return ascending ? order < 0 : order > 0;
        return a.position < b.position;
    });
    std::vector<int> sorted(rows.size());
    for (size_t p = 0; p < keys.size(); ++p)
        sorted[p] = rows[keys[p].position];
    rows = std::move(sorted);
}

} // namespace

QString columnHeader(int column)
{
    static constexpr std::array<const char16_t*, kColumnCount> kHeaders = {
        u" ",    u"Title",  u"Artist", u"Album",  u"Genre",    u"Path",
        u"Type", u"Rating", u"UIN",    u"Length", u"Filesize", u"Track Number",
    };
    if (column < 0 || column >= kColumnCount)
        return {};
    return QString::fromUtf16(kHeaders[static_cast<size_t>(column)]);
}

QString columnWidthKey(int column)
{
    return settings::prefs::kColumnWidth.key(columnHeader(column));
}

bool isNumericSortColumn(int column)
{
    return column == static_cast<int>(Column::TrackNumber) || column == static_cast<int>(Column::Length);
}

bool isPlayingTrack(const TrackRecord& track, const QString& playingFile)
{
    return !track.Path.isEmpty() && playingFile.contains(track.Path, Qt::CaseInsensitive);
}

int shownRating(const database::Library& library, const std::vector<int>& ratings, int track)
{
    if (track >= 0 && static_cast<size_t>(track) < ratings.size())
        return ratings[static_cast<size_t>(track)];
    return track >= 0 && track < library.TrackCount() ? trackOf(library, track).Rating : 0;
}

void setShownRating(const database::Library& library, std::vector<int>& ratings, int track, int stars)
{
    if (track < 0 || track >= library.TrackCount())
        return;
    if (ratings.size() < static_cast<size_t>(library.TrackCount())) {
        const size_t known = ratings.size();
        ratings.resize(static_cast<size_t>(library.TrackCount()));
        for (size_t i = known; i < ratings.size(); ++i)
            ratings[i] = library.Tracks[i].Rating;
    }
    ratings[static_cast<size_t>(track)] = stars;
}

QString songCell(const TrackRecord& track, Column column, bool playing, int stars)
{
    if (const QString* text = textField(track, column))
        return *text;
    switch (column) {
    case Column::Mark:
        return playing ? QStringLiteral("#") : QStringLiteral(" ");
    case Column::Rating:
        return QString::number(stars < 0 ? track.Rating : stars);
    case Column::UIN:
        return QString::number(track.UIN);
    case Column::Length:
        return QString::number(track.Length);
    case Column::Filesize:
        return QString::number(track.FileSize);
    case Column::TrackNumber:
        return QString::number(track.TrackNumber);
    default:
        return {};
    }
}

void sortDefault(const database::Library& library, const TrackKeys& keys, std::vector<int>& rows)
{
    // Each row's whole key in one 16-byte record, sorted in place: looking
    // ranks and track numbers up inside the comparison would cost cache
    // misses at every step with 200,000 rows. The row's position ends the
    // key, so the sort is stable.
    using Field = TrackKeys::Field;
    struct Key
    {
        quint64 group;    // artist rank, album rank
        quint64 position; // track number (sign bit flipped), then the row's position
    };
    std::vector<Key> sorted(rows.size());
    for (size_t p = 0; p < rows.size(); ++p) {
        const int row = rows[p];
        const auto number = static_cast<quint32>(trackOf(library, row).TrackNumber) ^ 0x80000000u;
        sorted[p] = { quint64(quint32(keys.rank(Field::Artist, row))) << 32 | quint32(keys.rank(Field::Album, row)),
                      quint64(number) << 32 | p };
    }
    std::sort(sorted.begin(), sorted.end(), [](const Key& a, const Key& b) {
        return a.group != b.group ? a.group < b.group : a.position < b.position;
    });
    std::vector<int> result(rows.size());
    for (size_t p = 0; p < sorted.size(); ++p)
        result[p] = rows[static_cast<size_t>(sorted[p].position & 0xffffffffu)];
    rows = std::move(result);
}

void sortByColumn(const database::Library& library, std::vector<int>& rows, int column, bool ascending,
                  const QString& playingFile, const std::vector<int>& ratings)
{
    if (column < 0 || column >= kColumnCount)
        return;
    const auto col = static_cast<Column>(column);
    if (isNumericSortColumn(column) || col == Column::Mark || col == Column::Rating) {
        // The mark column holds " " or "#": code order puts the blank first.
        // A rating is one digit, so its code order is its numeric order.
        std::vector<qint64> keys;
        keys.reserve(rows.size());
        for (int row : rows) {
            const TrackRecord& track = trackOf(library, row);
            keys.push_back(col == Column::Length            ? track.Length
                               : col == Column::TrackNumber ? track.TrackNumber
                               : col == Column::Rating      ? shownRating(library, ratings, row)
                                                            : (isPlayingTrack(track, playingFile) ? 1 : 0));
        }
        sortByKey(rows, keys, ascending);
        return;
    }
    if (col >= Column::Title && col <= Column::Type) {
        sortByText(library, rows, col, ascending);
        return;
    }
    // UIN and Filesize compare as the texts they show.
    std::vector<QString> keys;
    keys.reserve(rows.size());
    for (int row : rows)
        keys.push_back(songCell(trackOf(library, row), col, false));
    sortByKey(rows, keys, ascending);
}

} // namespace quaverly::browser
