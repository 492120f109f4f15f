#include "browser/SongSearch.h"

#include "browser/SongColumns.h"
#include "database/Library.h"

#include <QLatin1StringView>

#include <charconv>

namespace quaverly::browser {
namespace {

using database::TrackRecord;

struct Word
{
    QString text;
    bool canMatchNumber = false; // only digits and '-': the only characters number cells hold
};

bool inNumber(qint64 value, const QString& word)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QLatin1StringView(buffer, result.ptr - buffer).contains(word);
}

bool wordInRow(const TrackRecord& track, const Word& word, const QString& playingFile)
{
    const QString& w = word.text;
    if (w.isEmpty())
        return true;
    for (const QString* cell : { &track.Title, &track.Artist, &track.Album, &track.Genre, &track.Path,
                                 &track.FileType }) {
        if (cell->contains(w, Qt::CaseInsensitive))
            return true;
    }
    if (word.canMatchNumber) {
        if (inNumber(track.Rating, w) || inNumber(track.UIN, w) || inNumber(track.Length, w)
            || inNumber(track.FileSize, w) || inNumber(track.TrackNumber, w))
            return true;
    }
    // The mark cell holds " " or "#"; a word never holds a blank.
    return w == u"#" && IsPlayingTrack(track, playingFile);
}

} // namespace

QStringList SplitSearchWords(const QString& query)
{
    if (query.isEmpty())
        return {};
    return query.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

bool IsScreenJumpQuery(const QString& query)
{
    return query.toLower() == u"screenjump";
}

std::vector<int> FilterRows(const database::Library& library, const std::vector<int>& rows, const QStringList& words,
                            const QString& playingFile)
{
    std::vector<Word> prepared;
    for (const QString& text : words) {
        if (text.isEmpty())
            continue; // found in any cell
        bool numeric = true;
        for (QChar c : text)
            numeric = numeric && (c.isDigit() || c == u'-');
        prepared.push_back({ text, numeric && !text.isEmpty() });
    }
    if (prepared.empty())
        return rows;
    std::vector<int> kept;
    kept.reserve(rows.size());
    for (int row : rows) {
        const TrackRecord& track = library.Tracks[static_cast<size_t>(row)];
        bool all = true;
        for (const Word& word : prepared) {
            if (!wordInRow(track, word, playingFile)) {
                all = false;
                break;
            }
        }
        if (all)
            kept.push_back(row);
    }
    return kept;
}

} // namespace quaverly::browser
