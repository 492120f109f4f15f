#include "playback/BandLevels.h"

namespace quaverly::playback {

namespace {
constexpr int kFirstBandChannel = 3; // channels 1 and 2 are the stereo pair
}

QByteArray bandFilterGraph()
{
    static constexpr int kCentresHz[kBandCount] = { 63, 125, 250, 500, 1000, 2000, 4000, 8000 };
    // The sample format is fixed around the merge: without it lavfi cannot
    // choose one for amerge.
    QByteArray graph = "aformat=channel_layouts=stereo,asplit=2[main][x];"
                       "[x]aformat=sample_fmts=fltp,pan=mono|c0=0.5*c0+0.5*c1,asplit=8";
    for (int i = 0; i < kBandCount; ++i)
        graph += "[i" + QByteArray::number(i) + ']';
    for (int i = 0; i < kBandCount; ++i) {
        graph += ";[i" + QByteArray::number(i) + "]bandpass=f=" + QByteArray::number(kCentresHz[i])
            + ":width_type=o:w=1[b" + QByteArray::number(i) + ']';
    }
    graph += ";[main]";
    for (int i = 0; i < kBandCount; ++i)
        graph += "[b" + QByteArray::number(i) + ']';
    graph += "amerge=inputs=9,aformat=sample_fmts=fltp,"
             "astats=metadata=1:reset=1:measure_perchannel=RMS_level:measure_overall=none,"
             "pan=stereo|c0=c0|c1=c1";
    return graph;
}

QList<double> bandLevelsFromStats(const BandStats& stats)
{
    static const QByteArray kPrefix = "lavfi.astats.";
    static const QByteArray kSuffix = ".RMS_level";
    QList<double> levels(kBandCount, kSilenceDb);
    for (const auto& [key, value] : stats) {
        if (!key.startsWith(kPrefix) || !key.endsWith(kSuffix))
            continue;
        bool ok = false;
        const int channel = key.mid(kPrefix.size(), key.size() - kPrefix.size() - kSuffix.size()).toInt(&ok);
        const int band = channel - kFirstBandChannel;
        if (!ok || band < 0 || band >= kBandCount)
            continue;
        const double db = value.toDouble(&ok); // silence is "-inf"
        levels[band] = ok && db > kSilenceDb ? db : kSilenceDb;
    }
    return levels;
}

} // namespace quaverly::playback
