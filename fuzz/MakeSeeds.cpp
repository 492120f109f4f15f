// Writes the seed inputs of the database fuzz targets with the test writer:
//   make-fuzz-seeds <fuzz/corpus folder>
// Run by hand when the writer learns new layouts; the output is committed.
#include "tools/testwriter/ITunesDBWriter.h"

#include <QCoreApplication>
#include <QDir>

using namespace quaverly::tools;

namespace {

WriterDatabase sampleDatabase()
{
    WriterDatabase db;
    const QString titles[] = { QStringLiteral("Song"), QStringLiteral("Caf\u00e9 \u2013 Live"),
                               QStringLiteral("\u97f3\u4e50"), QString() };
    for (int i = 0; i < 4; ++i) {
        WriterTrack track;
        track.uin = 50 + i;
        if (!titles[i].isEmpty())
            track.title = titles[i];
        track.location = QStringLiteral(":iPod_Control:Music:F0%1:ABC%1.mp3").arg(i);
        track.artist = i == 1 ? QString() : QStringLiteral("Band");
        track.album = QStringLiteral("LP");
        track.genre = QStringLiteral("Rock");
        track.fileType = QStringLiteral("MPEG audio file");
        track.ratingRaw = static_cast<quint8>(20 * i + 10);
        track.lengthMs = 180000;
        track.trackNumber = i + 1;
        track.fileSize = 4000000;
        db.tracks.push_back(track);
    }
    db.playlists.push_back({ QStringLiteral("My iPod"), 1, false, { { 50, {} }, { 51, {} }, { 52, {} }, { 53, {} } } });
    db.playlists.push_back({ QStringLiteral("Podcasts"), 2, true, { { 0, QStringLiteral("Show") }, { 52, {} } } });
    db.playlists.push_back({ std::nullopt, 3, false, { { 53, {} }, { 99, {} } } });
    return db;
}

bool write(const QString& folder, const QString& name, const QByteArray& bytes)
{
    return writeFileBytes(folder + QLatin1Char('/') + name, bytes);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    const QString corpus = app.arguments().at(1);
    const WriterDatabase db = sampleDatabase();
    WriterOptions old;
    old.layout = WriterLayout::Old;
    old.version = 0x0a;
    old.mhbdHeader = 0x68;
    old.mhitHeader = 0x9c;
    old.mhipLengthIsHeader = true;
    WriterOptions newer;
    newer.layout = WriterLayout::ITunesNew;
    newer.version = 0x73;
    newer.utf8 = true;
    const QByteArray libgpod = writeITunesDB(db);
    bool ok = write(corpus + QStringLiteral("/ITunesDB"), QStringLiteral("writer-libgpod"), libgpod)
        && write(corpus + QStringLiteral("/ITunesDB"), QStringLiteral("writer-old"), writeITunesDB(db, old))
        && write(corpus + QStringLiteral("/ITunesDB"), QStringLiteral("writer-itunes-utf8"), writeITunesDB(db, newer))
        && write(corpus + QStringLiteral("/ITunesCDB"), QStringLiteral("writer-libgpod"), compressITunesDB(libgpod))
        && write(corpus + QStringLiteral("/ITunesCDB"), QStringLiteral("writer-itunes-utf8"),
                 compressITunesDB(writeITunesDB(db, newer)))
        && write(corpus + QStringLiteral("/OnTheGo"), QStringLiteral("three"), writeOTGPlaylistInfo({ 0, 4, 2 }))
        && write(corpus + QStringLiteral("/OnTheGo"), QStringLiteral("empty"), writeOTGPlaylistInfo({}))
        && write(corpus + QStringLiteral("/OnTheGo"), QStringLiteral("out-of-range"), writeOTGPlaylistInfo({ 1, 5 }));
    const std::vector<PlayCountEntry> entries = {
        { 3, 3700000000u, 60 }, { 0, 0, 0 }, { 1, 3600000000u, 100 }, { 7, 0, 40 }, { 2, 3500000000u, 20 }
    };
    for (const int entrySize : { 12, 16, 20, 28, 40 }) {
        ok = ok
            && write(corpus + QStringLiteral("/PlayCounts"), QStringLiteral("entries-%1").arg(entrySize),
                     writePlayCounts(entrySize, entries));
    }
    ok = ok
        && write(corpus + QStringLiteral("/PlayCounts"), QStringLiteral("count-beyond-file"),
                 writePlayCounts(16, entries, 1000));
    return ok ? 0 : 1;
}
