#pragma once
// A large demo iPod for benchmarks, made once in the temporary folder and
// reused by later runs (a ".complete" marker tells a finished one from one
// an interrupted run left behind).
#include "tools/demoipod/DemoIpod.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace quaverly::benchmarks {

/// The folder of the demo iPod `name` with `tracks` songs; ends the program
/// when it cannot be made, as no benchmark can run without it.
inline QString DemoFixture(const QString& name, int tracks)
{
    QString dir = QDir::temp().filePath(QStringLiteral("quaverly-bench-%1-v2").arg(name));
    const QString done = dir + QStringLiteral("/.complete");
    if (QFileInfo::exists(done))
        return dir;
    QDir(dir).removeRecursively();
    tools::DemoOptions options;
    options.tracks = tracks;
    QString error;
    QFile marker(done);
    if (!tools::makeDemoIpod(dir, options, &error) || !marker.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot make the benchmark's demo iPod %s: %s\n", qPrintable(dir), qPrintable(error));
        std::_Exit(1);
    }
    return dir;
}

} // namespace quaverly::benchmarks
