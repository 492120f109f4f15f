// make-demo-ipod DIR [--tracks N] [--no-audio]: makes a demo iPod folder that
// Quaverly opens like a real iPod (used by scripts/run when none is attached).
#include "tools/demoipod/DemoIpod.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Makes a demo iPod folder with a library and playable songs."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("The folder to make (the iPod's root)."));
    const QCommandLineOption tracks(QStringLiteral("tracks"),
                                    QStringLiteral("Generate a large library of N tracks (at most 1000000) instead of "
                                                   "the demo songs."),
                                    QStringLiteral("N"));
    const QCommandLineOption noAudio(QStringLiteral("no-audio"), QStringLiteral("Do not write the song files."));
    parser.addOption(tracks);
    parser.addOption(noAudio);
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fputs("Usage: make-demo-ipod DIR [--tracks N] [--no-audio]\n", stderr);
        return 2;
    }
    quaverly::tools::DemoOptions options;
    options.audio = !parser.isSet(noAudio);
    if (parser.isSet(tracks)) {
        bool ok = false;
        options.tracks = parser.value(tracks).toInt(&ok);
        if (!ok || options.tracks <= 0 || options.tracks > quaverly::tools::kMaxDemoTracks) {
            std::fprintf(stderr, "--tracks needs a whole number from 1 to %d\n", quaverly::tools::kMaxDemoTracks);
            return 2;
        }
    }
    QString error;
    if (!quaverly::tools::makeDemoIpod(parser.positionalArguments().at(0), options, &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
