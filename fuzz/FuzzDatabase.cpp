#include "database/ByteWindow.h"
#include "database/CompressedDB.h"
#include "database/ITunesDBParser.h"
#include "database/Library.h"
#include "fuzz/FuzzScratch.h"
#include "fuzz/FuzzTargets.h"

#include <QFile>

namespace quaverly::fuzz {
namespace {

QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// What every later stage relies on: playlist indexes name existing tracks and
// agree with the UINs, and the UIN lookup answers tracks that carry that UIN.
void checkLibrary(const database::Library& library)
{
    for (const database::clsPlayList& list : library.Playlists) {
        FUZZ_CHECK(list.IndexList.size() <= list.UINList.size());
        for (const int index : list.IndexList) {
            FUZZ_CHECK(index >= 0 && index < library.TrackCount());
            FUZZ_CHECK(library.indexOfUIN(library.Tracks[static_cast<size_t>(index)].UIN) == index);
        }
    }
    for (auto it = library.TrackIndexByUIN.cbegin(); it != library.TrackIndexByUIN.cend(); ++it) {
        FUZZ_CHECK(it.value() >= 0 && it.value() < library.TrackCount());
        FUZZ_CHECK(library.Tracks[static_cast<size_t>(it.value())].UIN == it.key());
    }
    for (const database::TrackRecord& track : library.Tracks)
        FUZZ_CHECK(track.Rating >= 0 && track.Rating <= 5);
}

database::Library parse(database::ByteWindow& window, database::ParseReport* report)
{
    database::Library library;
    *report = database::parseITunesDB(window, library);
    checkLibrary(library);
    return library;
}

} // namespace

// iTunesDB: in memory, and again from a file through the smallest read
// window, which must give the same library (the window moves over a file of
// tens of megabytes on a real iPod).
int fuzzITunesDB(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    database::ByteWindow memory(bytes);
    database::ParseReport inMemory;
    const database::Library a = parse(memory, &inMemory);

    const QString path = writeScratchFile(QStringLiteral("iTunesDB"), bytes);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return 0;
    database::ByteWindow windowed(file, 4096);
    database::ParseReport fromFile;
    const database::Library b = parse(windowed, &fromFile);
    FUZZ_CHECK(!fromFile.readFailed);
    FUZZ_CHECK(a.TrackCount() == b.TrackCount() && a.PlaylistCount() == b.PlaylistCount());
    FUZZ_CHECK(inMemory.damaged == fromFile.damaged && inMemory.unknownChunks == fromFile.unknownChunks);
    for (int i = 0; i < a.TrackCount(); ++i) {
        const auto& x = a.Tracks[static_cast<size_t>(i)];
        const auto& y = b.Tracks[static_cast<size_t>(i)];
        FUZZ_CHECK(x.UIN == y.UIN && x.Title == y.Title && x.Path == y.Path && x.Artist == y.Artist);
    }
    return 0;
}

// iTunesCDB: the header, then one zlib stream. Inflating must not take more
// memory than a database could need, and the result must parse like any other.
int fuzzITunesCDB(const std::uint8_t* data, std::size_t size)
{
    const auto whole = database::inflateITunesCDB(bytesOf(data, size));
    if (!whole)
        return 0;
    FUZZ_CHECK(whole->startsWith("mhbd"));
    database::ByteWindow window(*whole);
    database::ParseReport report;
    (void)parse(window, &report);
    return 0;
}

} // namespace quaverly::fuzz
