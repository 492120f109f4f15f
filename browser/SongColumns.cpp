#include "browser/SongColumns.h"

#include "browser/TrackKeys.h"
#include "database/Library.h"

#include <algorithm>
#include <array>

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

} // namespace

QString ColumnHeader(int column)
{
    static constexpr std::array<const char16_t*, kColumnCount> kHeaders = {
        u" ",    u"Title",  u"Artist", u"Album",  u"Genre",    u"Path",
        u"Type", u"Rating", u"UIN",    u"Length", u"Filesize", u"Track Number",
    };
    if (column < 0 || column >= kColumnCount)
        return {};
    return QString::fromUtf16(kHeaders[static_cast<size_t>(column)]);
}

QString ColumnWidthKey(int column)
{
    return u"Column:" + ColumnHeader(column) + u" size";
}

bool IsNumericSortColumn(int column)
{
    return column == static_cast<int>(Column::TrackNumber) || column == static_cast<int>(Column::Length);
}

bool IsPlayingTrack(const TrackRecord& track, const QString& playingFile)
{
    return !track.Path.isEmpty() && playingFile.contains(track.Path, Qt::CaseInsensitive);
}

int ShownRating(const database::Library& library, const std::vector<int>& ratings, int track)
{
    if (track >= 0 && static_cast<size_t>(track) < ratings.size())
        return ratings[static_cast<size_t>(track)];
    return track >= 0 && track < library.TrackCount() ? trackOf(library, track).Rating : 0;
}

QString SongCell(const TrackRecord& track, Column column, bool playing, int stars)
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

void SortDefault(const database::Library& library, const TrackKeys& keys, std::vector<int>& rows)
{
    using Field = TrackKeys::Field;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const int artistA = keys.rank(Field::Artist, a);
        const int artistB = keys.rank(Field::Artist, b);
        if (artistA != artistB)
            return artistA < artistB;
        const int albumA = keys.rank(Field::Album, a);
        const int albumB = keys.rank(Field::Album, b);
        if (albumA != albumB)
            return albumA < albumB;
        return trackOf(library, a).TrackNumber < trackOf(library, b).TrackNumber;
    });
}

void SortByColumn(const database::Library& library, std::vector<int>& rows, int column, bool ascending,
                  const QString& playingFile, const std::vector<int>& ratings)
{
    if (column < 0 || column >= kColumnCount)
        return;
    const auto col = static_cast<Column>(column);
    if (IsNumericSortColumn(column) || col == Column::Mark || col == Column::Rating) {
        // The mark column holds " " or "#": code order puts the blank first.
        // A rating is one digit, so its code order is its numeric order.
        std::vector<qint64> keys;
        keys.reserve(rows.size());
        for (int row : rows) {
            const TrackRecord& track = trackOf(library, row);
            keys.push_back(col == Column::Length            ? track.Length
                               : col == Column::TrackNumber ? track.TrackNumber
                               : col == Column::Rating      ? ShownRating(library, ratings, row)
                                                            : (IsPlayingTrack(track, playingFile) ? 1 : 0));
        }
        sortByKey(rows, keys, ascending);
        return;
    }
    if (col >= Column::Title && col <= Column::Type) {
        const auto less = [&](int a, int b) {
            return QString::compare(*textField(trackOf(library, a), col), *textField(trackOf(library, b), col),
                                    Qt::CaseSensitive)
                < 0;
        };
        if (ascending)
            std::stable_sort(rows.begin(), rows.end(), less);
        else
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return less(b, a); });
        return;
    }
    // UIN and Filesize compare as the texts they show.
    std::vector<QString> keys;
    keys.reserve(rows.size());
    for (int row : rows)
        keys.push_back(SongCell(trackOf(library, row), col, false));
    sortByKey(rows, keys, ascending);
}

} // namespace quaverly::browser
