// play: plays one song of the library (or any file) to its end, printing the
// position once a second and the end reason.
#include "cli/CliLibrary.h"
#include "cli/CliSupport.h"
#include "device/DeviceGuard.h"
#include "playback/AudioEngine.h"
#include "playback/MpvBackend.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace quaverly::cli {
namespace {

using playback::AudioEngine;
using playback::EndReason;
using playback::PlaybackError;

volatile std::sig_atomic_t g_interrupted = 0; // set by Ctrl-C, read by the poll timer

void onInterrupt(int)
{
    g_interrupted = 1;
}

QString clock(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString errorWords(PlaybackError error)
{
    switch (error) {
    case PlaybackError::None:
        return QStringLiteral("end of file");
    case PlaybackError::FileNotFound:
        return QStringLiteral("file not found");
    case PlaybackError::CannotDecode:
        return QStringLiteral("cannot decode");
    case PlaybackError::CopyProtected:
        return QStringLiteral("This song is copy-protected and cannot be played on this computer");
    case PlaybackError::NoAudioOutput:
        return QStringLiteral("no audio output");
    case PlaybackError::PlayerUnavailable:
        return QStringLiteral("no player for this kind of file");
    }
    return {};
}

struct Song
{
    QString path;
    QString kind;
};

// The song to play: --file PATH, or ROOT INDEX through the library.
std::optional<Song> songFromArguments(const QCommandLineParser& parser, int* status)
{
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("file"))) {
        if (!positional.isEmpty()) {
            *status = usage(QStringLiteral("Give either --file PATH or ROOT INDEX"));
            return std::nullopt;
        }
        return Song { parser.value(QStringLiteral("file")), parser.value(QStringLiteral("kind")) };
    }
    if (positional.size() != 2) {
        *status = usage(QStringLiteral("Expected: play ROOT INDEX"));
        return std::nullopt;
    }
    bool ok = false;
    const int index = positional.at(1).toInt(&ok);
    if (!ok) {
        *status = usage(QStringLiteral("INDEX must be a number: ") + positional.at(1));
        return std::nullopt;
    }
    const auto loaded = loadLibraryForCli(positional.at(0));
    if (!loaded) {
        *status = kExitFailure;
        return std::nullopt;
    }
    const database::Library& library = loaded->library;
    if (index < 0 || index >= library.TrackCount()) {
        *status = fail(QStringLiteral("No track %1: the library has %2 tracks").arg(index).arg(library.TrackCount()));
        return std::nullopt;
    }
    const database::TrackRecord& track = library.Tracks[static_cast<size_t>(index)];
    // A location that leaves the iPod is refused: the engine then reports the file as not found.
    const QString path = device::songPathForPlayer(library.iPodRoot, track.Path);
    printLine(QStringLiteral("%1 - %2").arg(track.Artist, track.Title));
    return Song { path, track.FileType };
}

int play(const Song& song, const QString& audioOut)
{
    // Without a window the second player plays the sound of videos too. libmpv
    // is opened here, so no other command ever loads it.
    AudioEngine engine(std::make_unique<playback::MpvBackend>(playback::MpvOptions { audioOut, false, false }),
                       std::make_unique<playback::MpvBackend>(playback::MpvOptions { audioOut, false, false }));
    if (!engine.initialise())
        return fail(engine.unavailableText());

    int status = kExitFailure;
    QObject::connect(&engine, &AudioEngine::songEnded, &engine,
                     [&](EndReason reason, PlaybackError error, const QString&) {
                         if (reason == EndReason::EndOfFile) {
                             printLine(QStringLiteral("ended: end of file"));
                             status = kExitOk;
                         } else {
                             const QString detail = engine.errorText();
                             printLine(QStringLiteral("failed: ") + errorWords(error)
                                       + (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
                         }
                         QCoreApplication::quit();
                     });
    int ticks = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &engine, [&] {
        if (g_interrupted != 0) {
            printLine(QStringLiteral("stopped"));
            status = kExitOk;
            QCoreApplication::quit();
        } else if (++ticks % 5 == 0 && engine.state() == playback::BackendState::Playing) {
            const qint64 length = engine.lengthMs();
            printLine(clock(engine.positionMs()) + QStringLiteral(" / ")
                      + (length > 0 ? clock(length) : QStringLiteral("?")));
            std::fflush(stdout); // one line a second, also into a pipe
        }
    });
    poll.start(200);
    // Ctrl-C and SIGTERM stop the song; the handler runs once, so a second
    // signal ends the program even if the player hangs.
    struct sigaction action = {};
    struct sigaction previousInt = {};
    struct sigaction previousTerm = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previousInt);
    ::sigaction(SIGTERM, &action, &previousTerm);
    engine.open(song.path, song.kind);
    QCoreApplication::exec();
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    return status;
}

int runPlay(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays one song to its end (or Ctrl-C), printing position / length once a second and the end reason.\n"
        "Exit status 0 when it played to its end (or was stopped), 1 when it could not be played."));
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("An iPod folder or the path of its iTunesDB."));
    parser.addPositionalArgument(QStringLiteral("INDEX"), QStringLiteral("The track's index in database order."));
    parser.addOption(QCommandLineOption(QStringLiteral("audio-out"),
                                        QStringLiteral("Audio output (\"null\" for none); default QUAVERLY_AUDIO_OUT."),
                                        QStringLiteral("NAME")));
    parser.addOption(QCommandLineOption(QStringLiteral("file"), QStringLiteral("Play this file instead of a track."),
                                        QStringLiteral("PATH")));
    parser.addOption(QCommandLineOption(QStringLiteral("kind"), QStringLiteral("The kind text for --file."),
                                        QStringLiteral("TEXT")));
    if (const auto status = parseArguments(parser, args))
        return *status;
    int status = kExitOk;
    const auto song = songFromArguments(parser, &status);
    if (!song)
        return status;
    const QString audioOut = parser.isSet(QStringLiteral("audio-out")) ? parser.value(QStringLiteral("audio-out"))
                                                                       : playback::audioOutFromEnvironment();
    return play(*song, audioOut);
}

} // namespace

void registerPlaybackCommands(Registry& registry)
{
    registry.push_back({ QStringLiteral("play"), QStringLiteral("Play one song to its end"), &runPlay });
}

} // namespace quaverly::cli
