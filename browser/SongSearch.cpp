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
    for (const QString* cell :
         { &track.Title, &track.Artist, &track.Album, &track.Genre, &track.Path, &track.FileType }) {
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

SearchIndex::SearchIndex(const database::Library& library)
{
    const int count = library.TrackCount();
    m_offsets.reserve(static_cast<size_t>(count) + 1);
    // Sized once from the cells' lengths, so the text is never copied while it grows.
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
    const QChar separator = QLatin1Char('\n');
    // Cells are folded as they are appended: ASCII (nearly every path and
    // number, most names) in place, anything else by Qt's case folding.
    const auto appendFolded = [this, separator](const QString& cell) {
        const qsizetype start = m_text.size();
        m_text.append(cell);
        QChar* data = m_text.data() + start;
        for (qsizetype i = 0; i < cell.size(); ++i) {
            const char16_t c = data[i].unicode();
            if (c >= 0x80) {
                m_text.truncate(start);
                m_text.append(cell.toCaseFolded());
                break;
            }
            if (c >= u'A' && c <= u'Z')
                data[i] = QChar(char16_t(c + 32));
        }
        m_text.append(separator);
    };
    const auto appendNumber = [this, separator](qint64 value) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_text.append(QLatin1StringView(buffer, result.ptr - buffer));
        m_text.append(separator);
    };
    for (int i = 0; i < count; ++i) {
        m_offsets.push_back(m_text.size());
        const TrackRecord& track = library.Tracks[static_cast<size_t>(i)];
        for (const QString* cell :
             { &track.Title, &track.Artist, &track.Album, &track.Genre, &track.Path, &track.FileType })
            appendFolded(*cell);
        for (qint64 number : { qint64(track.Rating), qint64(track.UIN), qint64(track.Length), track.FileSize,
                               qint64(track.TrackNumber) })
            appendNumber(number);
    }
    m_offsets.push_back(m_text.size());
}

bool SearchIndex::contains(int track, QStringView foldedWord) const
{
    const auto begin = m_offsets[static_cast<size_t>(track)];
    const auto end = m_offsets[static_cast<size_t>(track) + 1];
    return QStringView(m_text).sliced(begin, end - begin).contains(foldedWord);
}

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

std::vector<int> FilterRows(const database::Library& library, const SearchIndex& index, const std::vector<int>& rows,
                            const QStringList& words, const QString& playingFile)
{
    QStringList folded;
    for (const QString& word : words) {
        if (word.contains(QLatin1Char('\n')))
            return FilterRows(library, rows, words, playingFile); // the index cannot tell cells apart
        if (!word.isEmpty())
            folded.append(word.toCaseFolded());
    }
    if (folded.isEmpty())
        return rows;
    std::vector<int> kept;
    kept.reserve(rows.size());
    for (int row : rows) {
        bool all = true;
        for (const QString& word : folded) {
            if (!index.contains(row, word)
                && !(word == u"#" && IsPlayingTrack(library.Tracks[static_cast<size_t>(row)], playingFile))) {
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
