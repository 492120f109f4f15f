#include "export/PlayerLauncher.h"

#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "export/M3uWriter.h"

#include <QProcess>

namespace quaverly::exporting {
namespace {

OpenResult handOver(const QString& file, const QString& chosenPlayer, const PlayerStarter& start)
{
    OpenResult result;
    result.file = file;
    result.command = playerCommandFor(file, chosenPlayer);
    if (!start(result.command))
        result.error = OpenError::PlayerNotStarted;
    return result;
}

} // namespace

PlayerCommand playerCommandFor(const QString& file, const QString& chosenPlayer)
{
    if (chosenPlayer.isEmpty())
        return { kDesktopOpener.toString(), { file } };
    return { chosenPlayer, { file } };
}

bool startPlayer(const PlayerCommand& command)
{
    return QProcess::startDetached(command.program, command.arguments);
}

OpenResult openInPlayer(const database::Library& library, const std::vector<int>& rowTracks,
                        const std::vector<int>& selectedRows, const QString& chosenPlayer, const PlayerStarter& start)
{
    if (selectedRows.empty())
        return { OpenError::NothingSelected, {}, {} };
    const int row = selectedRows.front();
    if (row < 0 || row >= static_cast<int>(rowTracks.size()))
        return { OpenError::NothingSelected, {}, {} };
    const int index = rowTracks[static_cast<size_t>(row)];
    if (index < 0 || index >= library.TrackCount())
        return { OpenError::NothingSelected, {}, {} };
    const QString& path = library.Tracks[static_cast<size_t>(index)].Path;
    const QString file = device::songPathForPlayer(library.iPodRoot, path);
    if (file.isEmpty())
        return { OpenError::NothingSelected, {}, {} };
    return handOver(file, chosenPlayer, start);
}

OpenResult openAsPlaylist(M3uWriter& writer, const database::Library& library, const std::vector<int>& rowTracks,
                          const std::vector<int>& selectedRows, const QString& chosenPlayer, const PlayerStarter& start)
{
    if (selectedRows.empty())
        return { OpenError::NothingSelected, {}, {} };
    const QString playlist = writer.writeTemporary(m3uContent(library, rowTracks));
    if (playlist.isEmpty())
        return { OpenError::PlaylistNotWritten, {}, {} };
    return handOver(playlist, chosenPlayer, start);
}

} // namespace quaverly::exporting
