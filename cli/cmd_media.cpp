// art: a song's embedded cover, written out as stored.
#include "cli/CliLibrary.h"
#include "cli/CliSupport.h"
#include "device/DevicePath.h"
#include "export/PlayExporter.h"
#include "media/EmbeddedArt.h"
#include "media/taglib/TagLibModule.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>

namespace quaverly::cli {
namespace {

QString noArtReason(media::ArtError error)
{
    switch (error) {
    case media::ArtError::None:
        return {};
    case media::ArtError::NoArt:
        return QStringLiteral("has no embedded cover");
    case media::ArtError::Unreadable:
        return QStringLiteral("could not be read");
    case media::ArtError::Unsupported:
        return QStringLiteral("is a kind of file covers are not read from");
    case media::ArtError::Unavailable:
        return QStringLiteral("could not be read: ") + media::tagLibModuleError();
    }
    return {};
}

int writeCover(const media::CoverImage& cover, const QString& path, const QString& iPodRoot)
{
    if (path == QLatin1String("-")) {
        const bool ok = std::fwrite(cover.data.constData(), 1, size_t(cover.data.size()), stdout)
                == size_t(cover.data.size())
            && std::fflush(stdout) == 0;
        return ok ? kExitOk : fail(QStringLiteral("The cover could not be written to stdout."));
    }
    if (exporting::insideIpodControl(path, iPodRoot))
        return fail(QStringLiteral("%1 is inside the iPod's iPod_Control folder; choose another place.")
                        .arg(QDir::toNativeSeparators(path)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(cover.data) != cover.data.size() || !file.commit())
        return fail(
            QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    printLine(QStringLiteral("Wrote %1 (%2, %3 bytes).")
                  .arg(QDir::toNativeSeparators(path), cover.mimeType)
                  .arg(cover.data.size()));
    return kExitOk;
}

int runArt(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the cover embedded in a song's file (JPEG or PNG, as stored) to FILE (\"-\": "
                       "stdout). Fails when the song has none."));
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("The iPod folder or its iTunesDB."));
    parser.addPositionalArgument(QStringLiteral("INDEX"), QStringLiteral("The song's 0-based index (tracks --json)."));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The file to write."), QStringLiteral("FILE"));
    parser.addOption(out);
    if (const auto status = parseArguments(parser, args))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usage(QStringLiteral("Expected: art ROOT INDEX --out FILE"));
    if (parser.value(out).isEmpty())
        return usage(QStringLiteral("Give the file to write with --out FILE."));
    bool ok = false;
    const int index = positional.at(1).toInt(&ok);
    if (!ok)
        return usage(QStringLiteral("INDEX must be a number: ") + positional.at(1));
    const auto loaded = loadLibraryForCli(positional.at(0));
    if (!loaded)
        return kExitFailure;
    const database::Library& library = loaded->library;
    if (index < 0 || index >= library.TrackCount())
        return fail(QStringLiteral("There is no song %1 (the library has %2).").arg(index).arg(library.TrackCount()));
    const database::TrackRecord& track = library.Tracks[static_cast<size_t>(index)];
    const QString song = QStringLiteral("Song %1 (%2 - %3)").arg(index).arg(track.Artist, track.Title);
    const QString file = device::DevicePath(library.iPodRoot).existing(track.Path);
    if (file.isEmpty())
        return fail(song + QStringLiteral(": its file is not on the iPod."));
    const media::ArtResult art = media::readEmbeddedArt(file);
    if (art.error != media::ArtError::None)
        return fail(song + u' ' + noArtReason(art.error) + u'.');
    return writeCover(art.cover, parser.value(out), library.iPodRoot);
}

} // namespace

void registerMediaCommands(Registry& registry)
{
    registry.push_back({ QStringLiteral("art"), QStringLiteral("Write a song's embedded cover to a file."), runArt });
}

} // namespace quaverly::cli
