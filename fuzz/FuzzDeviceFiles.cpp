#include "database/Library.h"
#include "database/OnTheGo.h"
#include "database/mdlPlayCountEditor.h"
#include "fuzz/FuzzScratch.h"
#include "fuzz/FuzzTargets.h"

#include <QFile>

namespace quaverly::fuzz {
namespace {

QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A small library: the files below index into its tracks.
database::Library fiveTracks()
{
    database::Library library;
    for (int i = 0; i < 5; ++i) {
        database::TrackRecord& track = library.Tracks.emplace_back();
        track.UIN = 100 + i;
        track.Rating = static_cast<qint16>(i);
    }
    library.Playlists.emplace_back().Name = QStringLiteral(":: iPod ::");
    library.buildTrackIndex();
    return library;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// OTGPlaylistInfo: a count, then track indexes. Every entry kept must name a
// track; a bad one stops the file with an error, never a crash.
int fuzzOnTheGo(const std::uint8_t* data, std::size_t size)
{
    const QString path = writeScratchFile(QStringLiteral("OTGPlaylistInfo"), bytesOf(data, size));
    if (path.isEmpty())
        return 0;
    database::Library library = fiveTracks();
    const database::OnTheGoReport report = database::LoadOnTheGo(library, scratchFolder());
    FUZZ_CHECK(report.playlistsAdded == 1 && library.PlaylistCount() == 2);
    FUZZ_CHECK(report.errors.size() <= 1);
    const database::clsPlayList& list = library.Playlists.back();
    FUZZ_CHECK(list.Name == QLatin1String("On-The-Go"));
    FUZZ_CHECK(list.UINList.size() == list.IndexList.size());
    for (size_t i = 0; i < list.IndexList.size(); ++i) {
        FUZZ_CHECK(list.IndexList[i] >= 0 && list.IndexList[i] < library.TrackCount());
        FUZZ_CHECK(library.Tracks[static_cast<size_t>(list.IndexList[i])].UIN == list.UINList[i]);
    }
    return 0;
}

// Play Counts: read, then the updates a listening session makes. The file is
// written in place only: its size and its header never change, and a refused
// update changes nothing at all.
int fuzzPlayCounts(const std::uint8_t* data, std::size_t size)
{
    const QByteArray before = bytesOf(data, size);
    const QString path = writeScratchFile(QStringLiteral("Play Counts"), before);
    if (path.isEmpty())
        return 0;
    const database::Library library = fiveTracks();
    database::mdlPlayCountEditor editor;
    editor.OpenPlayCounts(scratchFolder());
    FUZZ_CHECK(editor.EntrySize() == -1 || editor.EntrySize() >= 12);
    const std::vector<int> ratings = editor.getAllRatings(library);
    FUZZ_CHECK(ratings.size() == library.Tracks.size());
    for (int i = 0; i < library.TrackCount(); ++i) {
        FUZZ_CHECK(ratings[static_cast<size_t>(i)] >= 0 && ratings[static_cast<size_t>(i)] <= 5);
        FUZZ_CHECK(editor.GetRating(i, library) == ratings[static_cast<size_t>(i)]);
    }

    using database::PlayCountError;
    bool changed = editor.SetRating(0, 3) == PlayCountError::None;
    changed = (editor.IncrementPlayCount(1) == PlayCountError::None) || changed;
    changed = (editor.StampLastPlayed(2, QDateTime(QDate(2024, 5, 1), QTime(12, 0))) == PlayCountError::None)
        || changed;
    FUZZ_CHECK(editor.SetRating(-1, 3) != PlayCountError::None);
    FUZZ_CHECK(editor.SetRating(0, 6) != PlayCountError::None);
    FUZZ_CHECK(editor.IncrementPlayCount(1 << 30) != PlayCountError::None);

    const QByteArray after = fileBytes(path);
    FUZZ_CHECK(after.size() == before.size());
    if (!changed) {
        FUZZ_CHECK(after == before);
        return 0;
    }
    FUZZ_CHECK(after.left(int(database::mdlPlayCountEditor::kHeaderBytes))
               == before.left(int(database::mdlPlayCountEditor::kHeaderBytes)));
    // Only the three entries touched may differ.
    const qint64 firstUntouched = database::mdlPlayCountEditor::kHeaderBytes + qint64(editor.EntrySize()) * 3;
    FUZZ_CHECK(after.mid(firstUntouched) == before.mid(firstUntouched));
    return 0;
}

} // namespace quaverly::fuzz
