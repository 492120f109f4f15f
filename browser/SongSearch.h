#pragma once
#include <QString>
#include <QStringList>

#include <vector>

namespace quaverly::database { class Library; }

namespace quaverly::browser {

/// The query split at every single blank: "a  b" gives "a", "", "b"; an empty
/// query gives no words.
[[nodiscard]] QStringList SplitSearchWords(const QString& query);

/// True when the query, lower-cased, is the word that opens the screen-jump prompt.
[[nodiscard]] bool IsScreenJumpQuery(const QString& query);

/// The rows (track indexes, order kept) in which every word occurs, ignoring
/// letter case, in at least one of the twelve cells; words may fall into
/// different cells and an empty word is found everywhere. `playingFile` gives
/// the "#" of the mark cell.
[[nodiscard]] std::vector<int> FilterRows(const database::Library& library, const std::vector<int>& rows,
                                          const QStringList& words, const QString& playingFile = {});

} // namespace quaverly::browser
