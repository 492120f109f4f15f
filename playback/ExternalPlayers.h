#pragma once
#include <QString>
#include <QStringList>

namespace quaverly::settings {
class mdlOptions;
}

namespace quaverly::playback {

/// The external players the user registered, as stored: "PlayerCount", then
/// "PlayerPlayer1" ... "PlayerPlayerN" (full paths; a missing key reads as an
/// empty line). A missing or non-numeric count, or one over
/// settings::prefs::kMaxPlayers, reads as no players.
[[nodiscard]] QStringList loadPlayerList(const settings::mdlOptions& options);
/// Writes the count and one key per entry, the first kMaxPlayers at most.
/// Keys of a former, larger count stay in the store, unread. False when the
/// store could not be written.
bool savePlayerList(settings::mdlOptions& options, const QStringList& players);

/// The stored default player's path ("PlayerDefaultPlayer"); empty means the
/// associated program ("[Default Player]").
[[nodiscard]] QString defaultPlayer(const settings::mdlOptions& options);
bool setDefaultPlayerPath(settings::mdlOptions& options, const QString& path);

/// The display name of a player program: the Name of the desktop entry that
/// starts it (or of the entry itself, for a .desktop file), else its file
/// name; "" for an empty path. `applicationDirs` are searched for entries.
[[nodiscard]] QString GetProductName(const QString& path, const QStringList& applicationDirs);

/// True for what the players window accepts: an executable file or a desktop entry.
[[nodiscard]] bool isPlayerProgram(const QString& path);

/// The program and arguments that hand `file` to `player`: for a desktop
/// entry its Exec line with the file for %f/%F/%u/%U (appended when there
/// is none), other field codes dropped; for a program file the file alone.
/// Never through a shell. An empty program when the entry has no Exec.
struct PlayerLaunch
{
    QString program;
    QStringList arguments;
};
[[nodiscard]] PlayerLaunch launchFor(const QString& player, const QString& file);

} // namespace quaverly::playback
