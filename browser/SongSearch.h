#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::browser {

/// The query split at every single blank: "a  b" gives "a", "", "b"; an empty
/// query gives no words.
[[nodiscard]] QStringList splitSearchWords(const QString& query);

/// True when the query, lower-cased, is the word that opens the screen-jump prompt.
[[nodiscard]] bool isScreenJumpQuery(const QString& query);

/// The cells of every track (the mark and rating cells aside, which change
/// while the program runs), case-folded and joined as UTF-8, built once per
/// library so that a keystroke over tens of thousands of rows is a plain scan
/// of prepared bytes. UTF-8 keeps it half the size of UTF-16 (about 34 MB for
/// 200,000 songs), so more of it stays in the processor's cache; a UTF-8 word
/// only ever matches at whole characters.
class SearchIndex
{
public:
    explicit SearchIndex(const database::Library& library);
    /// True when some cell of the track contains `foldedWord` (a word already
    /// case-folded, as UTF-8, without line breaks).
    [[nodiscard]] bool contains(int track, QByteArrayView foldedWord) const;
    /// Sets marks[t] to 1 for every track t that contains `foldedWord`: one
    /// pass over the whole index in memory order, cheaper than asking track
    /// by track when most tracks are asked about. `marks` holds one entry per track.
    void markTracks(QByteArrayView foldedWord, std::vector<char>& marks) const;
    [[nodiscard]] int trackCount() const { return static_cast<int>(m_offsets.size()) - 1; }

private:
    QByteArray m_text;                // cells separated by '\n', tracks one after the other
    std::vector<qsizetype> m_offsets; // track i spans [m_offsets[i], m_offsets[i + 1])
};

/// The rows (track indexes, order kept) in which every word occurs, ignoring
/// letter case, in at least one of the twelve cells; words may fall into
/// different cells and an empty word is found everywhere. `playingFile` gives
/// the "#" of the mark cell, `ratings` the stars of the Rating cell (see
/// shownRating).
[[nodiscard]] std::vector<int> filterRows(const database::Library& library, const std::vector<int>& rows,
                                          const QStringList& words, const QString& playingFile = {},
                                          const std::vector<int>& ratings = {});
/// The same, over a prepared index of the same library.
[[nodiscard]] std::vector<int> filterRows(const database::Library& library, const SearchIndex& index,
                                          const std::vector<int>& rows, const QStringList& words,
                                          const QString& playingFile = {}, const std::vector<int>& ratings = {});

} // namespace quaverly::browser
