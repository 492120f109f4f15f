#pragma once
#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::cli {

/// Adds --source NAME, --genre G, --artist A, --album B (each repeatable: a
/// multi-selection, clicked in the order given), --search TEXT and --no-sort.
void addSelectionOptions(QCommandLineParser& parser);

/// The song rows the main window would show for that selection: track indexes
/// in row order. Names match list entries ignoring letter case; "[All]" is
/// the all entry. Without --source the master playlist is used. On an unknown
/// name answers nullopt with `error` set.
[[nodiscard]] std::optional<std::vector<int>> resolveSelection(const database::Library& library,
                                                               const QCommandLineParser& parser, QString* error);

/// As resolveSelection; an unknown name prints one line on stderr and gives no tracks.
[[nodiscard]] std::vector<int> selectedTracks(const database::Library& library, const QCommandLineParser& parser);

} // namespace quaverly::cli
