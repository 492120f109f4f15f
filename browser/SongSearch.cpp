#include "browser/SongSearch.h"

#include "browser/SongColumns.h"
#include "database/Library.h"

#include <QLatin1StringView>

#include <charconv>
#include <string_view>

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

// The rating cell holds one digit, so a word is in it only when it is that digit.
bool inRating(int stars, QStringView word)
{
    return stars >= 0 && stars <= 9 && word.size() == 1 && word.at(0) == QLatin1Char(static_cast<char>('0' + stars));
}

bool wordInRow(const TrackRecord& track, int stars, const Word& word, const QString& playingFile)
{
    const QString& w = word.text;
    if (w.isEmpty())
        return true;
    for (const QString* cell :
         { &track.Title, &track.Artist, &track.Album, &track.Genre, &track.Path, &track.FileType }) {
        if (cell->contains(w, Qt::CaseInsensitive))
            return true;
    }
    if (word.canMatchNumber) {
        if (inRating(stars, w) || inNumber(track.UIN, w) || inNumber(track.Length, w) || inNumber(track.FileSize, w)
            || inNumber(track.TrackNumber, w))
            return true;
    }
    // The mark cell holds " " or "#"; a word never holds a blank.
    return w == u"#" && isPlayingTrack(track, playingFile);
}

} // namespace

SearchIndex::SearchIndex(const database::Library& library)
{
    const int count = library.TrackCount();
    m_offsets.reserve(static_cast<size_t>(count) + 1);
    // Sized once from the cells' lengths (ASCII for nearly every path and
    // number, most names), so the text is rarely copied while it grows.
    const auto digits = [](qint64 value) {
        char buffer[24];
        return std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer;
    };
    qsizetype total = 0;
    for (const TrackRecord& track : library.Tracks) {
        total += track.Title.size() + track.Artist.size() + track.Album.size() + track.Genre.size() + track.Path.size()
            + track.FileType.size() + 11 + digits(track.Rating) + digits(track.UIN) + digits(track.Length)
            + digits(track.FileSize) + digits(track.TrackNumber);
    }
    m_text.reserve(total);
    // Cells are folded as they are appended: ASCII byte by byte, anything
    // else by Qt's case folding.
    const auto appendFolded = [this](const QString& cell) {
        const qsizetype start = m_text.size();
        m_text.resize(start + cell.size());
        char* out = m_text.data() + start;
        const char16_t* units = reinterpret_cast<const char16_t*>(cell.constData());
        for (qsizetype i = 0; i < cell.size(); ++i) {
            const char16_t c = units[i];
            if (c >= 0x80) {
                m_text.truncate(start);
                m_text.append(cell.toCaseFolded().toUtf8());
                break;
            }
            out[i] = static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c);
        }
        m_text.append('\n');
    };
    const auto appendNumber = [this](qint64 value) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_text.append(buffer, result.ptr - buffer);
        m_text.append('\n');
    };
    for (int i = 0; i < count; ++i) {
        m_offsets.push_back(m_text.size());
        const TrackRecord& track = library.Tracks[static_cast<size_t>(i)];
        for (const QString* cell :
             { &track.Title, &track.Artist, &track.Album, &track.Genre, &track.Path, &track.FileType })
            appendFolded(*cell);
        for (qint64 number : { qint64(track.UIN), qint64(track.Length), track.FileSize, qint64(track.TrackNumber) })
            appendNumber(number);
    }
    m_offsets.push_back(m_text.size());
}

bool SearchIndex::contains(int track, QByteArrayView foldedWord) const
{
    const auto begin = m_offsets[static_cast<size_t>(track)];
    const auto end = m_offsets[static_cast<size_t>(track) + 1];
    return QByteArrayView(m_text).sliced(begin, end - begin).contains(foldedWord);
}

void SearchIndex::markTracks(QByteArrayView foldedWord, std::vector<char>& marks) const
{
    // string_view::find looks for the first byte with memchr, the fastest
    // scan there is, and compares the rest where it lands.
    const std::string_view text(m_text.constData(), static_cast<size_t>(m_text.size()));
    const std::string_view word(foldedWord.data(), static_cast<size_t>(foldedWord.size()));
    size_t track = 0;
    for (size_t from = 0; from < text.size();) {
        const size_t hit = text.find(word, from);
        if (hit == std::string_view::npos)
            break;
        while (static_cast<size_t>(m_offsets[track + 1]) <= hit)
            ++track;
        marks[track] = 1;
        from = static_cast<size_t>(m_offsets[track + 1]); // the next track
    }
}

QStringList splitSearchWords(const QString& query)
{
    if (query.isEmpty())
        return {};
    return query.split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

bool isScreenJumpQuery(const QString& query)
{
    return query.toLower() == u"screenjump";
}

std::vector<int> filterRows(const database::Library& library, const std::vector<int>& rows, const QStringList& words,
                            const QString& playingFile, const std::vector<int>& ratings)
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
        const int stars = shownRating(library, ratings, row);
        for (const Word& word : prepared) {
            if (!wordInRow(track, stars, word, playingFile)) {
                all = false;
                break;
            }
        }
        if (all)
            kept.push_back(row);
    }
    return kept;
}

std::vector<int> filterRows(const database::Library& library, const SearchIndex& index, const std::vector<int>& rows,
                            const QStringList& words, const QString& playingFile, const std::vector<int>& ratings)
{
    std::vector<QByteArray> folded;
    for (const QString& word : words) {
        if (word.contains(QLatin1Char('\n')))
            return filterRows(library, rows, words, playingFile, ratings); // the index cannot tell cells apart
        if (!word.isEmpty())
            folded.push_back(word.toCaseFolded().toUtf8());
    }
    if (folded.empty())
        return rows;
    // The cells that change while the program runs: the rating and the playing mark. Only a single digit or
    // "#" can be in them, so other words never look at the track (rows in list order would jump about memory).
    const auto outsideIndex = [&](const QByteArray& word, int row) {
        if (word.size() != 1 || !((word.front() >= '0' && word.front() <= '9') || word.front() == '#'))
            return false;
        const int stars = shownRating(library, ratings, row);
        return (word.size() == 1 && stars >= 0 && stars <= 9 && word.front() == char('0' + stars))
            || (word == "#" && isPlayingTrack(library.Tracks[static_cast<size_t>(row)], playingFile));
    };
    std::vector<int> kept;
    kept.reserve(rows.size());
    // Most of the library: one pass over the index per word, in memory order
    // (the rows are in the song list's order, which would jump about it).
    if (rows.size() * 4 >= static_cast<size_t>(index.trackCount())) {
        std::vector<std::vector<char>> marks;
        for (const QByteArray& word : folded) {
            marks.emplace_back(static_cast<size_t>(index.trackCount()), 0);
            index.markTracks(word, marks.back());
        }
        for (int row : rows) {
            bool all = true;
            for (size_t w = 0; w < folded.size() && all; ++w)
                all = marks[w][static_cast<size_t>(row)] != 0 || outsideIndex(folded[w], row);
            if (all)
                kept.push_back(row);
        }
        return kept;
    }
    for (int row : rows) {
        bool all = true;
        for (const QByteArray& word : folded) {
            if (!index.contains(row, word) && !outsideIndex(word, row)) {
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
