#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::exporting {

class M3uWriter;

/// A program and its arguments, started without a shell: paths with blanks
/// or quotes reach the player intact.
struct PlayerCommand
{
    QString program;
    QStringList arguments;
    friend bool operator==(const PlayerCommand&, const PlayerCommand&) = default;
};

/// The desktop's opener for the user's associated program.
inline constexpr QStringView kDesktopOpener = u"xdg-open";

/// How `file` reaches a player: with the associated program when
/// `chosenPlayer` (the stored default player's path) is empty, otherwise
/// with that program, the file as its only argument.
[[nodiscard]] PlayerCommand playerCommandFor(const QString& file, const QString& chosenPlayer);

/// Starts the command detached; answers false when it could not start.
[[nodiscard]] bool startPlayer(const PlayerCommand& command);
using PlayerStarter = std::function<bool(const PlayerCommand&)>;

enum class OpenError { None, NothingSelected, PlaylistNotWritten, PlayerNotStarted };

struct OpenResult
{
    OpenError error = OpenError::None;
    QString file; // what was handed over (song or playlist path)
    PlayerCommand command;
};

/// The song list's "Open In External Player": hands the song of the first
/// selected row to the player. `rowTracks` are the list's track indexes in
/// row order, `selectedRows` the selected row numbers (ascending).
[[nodiscard]] OpenResult openInPlayer(const database::Library& library, const std::vector<int>& rowTracks,
                                      const std::vector<int>& selectedRows, const QString& chosenPlayer,
                                      const PlayerStarter& start = startPlayer);

/// "Open as Playlist": when a row is selected, writes every row of the list
/// (not only the selected ones), in row order, to a temporary playlist of
/// `writer` and hands that to the player.
[[nodiscard]] OpenResult openAsPlaylist(M3uWriter& writer, const database::Library& library,
                                        const std::vector<int>& rowTracks, const std::vector<int>& selectedRows,
                                        const QString& chosenPlayer, const PlayerStarter& start = startPlayer);

} // namespace quaverly::exporting
