#pragma once
#include <QString>
#include <QStringList>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::browser {

/// The query split at every single blank: "a  b" gives "a", "", "b"; an empty
/// query gives no words.
[[nodiscard]] QStringList SplitSearchWords(const QString& query);

/// True when the query, lower-cased, is the word that opens the screen-jump prompt.
[[nodiscard]] bool IsScreenJumpQuery(const QString& query);

/// The cells of every track (the mark and rating cells aside, which change
/// while the program runs), case-folded and joined, built once per library so
/// that a keystroke over tens of thousands of rows is a plain scan of
/// prepared text.
class SearchIndex
{
public:
    explicit SearchIndex(const database::Library& library);
    /// True when some cell of the track contains `foldedWord` (already case-folded,
    /// without line breaks).
    [[nodiscard]] bool contains(int track, QStringView foldedWord) const;

private:
    QString m_text;                   // cells separated by '\n', tracks one after the other
    std::vector<qsizetype> m_offsets; // track i spans [m_offsets[i], m_offsets[i + 1])
};

/// The rows (track indexes, order kept) in which every word occurs, ignoring
/// letter case, in at least one of the twelve cells; words may fall into
/// different cells and an empty word is found everywhere. `playingFile` gives
/// the "#" of the mark cell, `ratings` the stars of the Rating cell (see
/// ShownRating).
[[nodiscard]] std::vector<int> FilterRows(const database::Library& library, const std::vector<int>& rows,
                                          const QStringList& words, const QString& playingFile = {},
                                          const std::vector<int>& ratings = {});
/// The same, over a prepared index of the same library.
[[nodiscard]] std::vector<int> FilterRows(const database::Library& library, const SearchIndex& index,
                                          const std::vector<int>& rows, const QStringList& words,
                                          const QString& playingFile = {}, const std::vector<int>& ratings = {});

} // namespace quaverly::browser
