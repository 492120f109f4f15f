#pragma once
// The library size of a benchmark run: 50,000 tracks unless the environment
// asks for another (QUAVERLY_BENCH_TRACKS=200000), so one benchmark measures
// how a figure grows with the library (scripts/bench-scale runs both).
#include <QByteArray>
#include <QtGlobal>

namespace quaverly::benchmarks {

inline int benchTracks()
{
    bool ok = false;
    const int tracks = qEnvironmentVariableIntValue("QUAVERLY_BENCH_TRACKS", &ok);
    return ok && tracks > 0 ? tracks : 50000;
}

} // namespace quaverly::benchmarks
