#pragma once
// Runs the built quaverly-cli as a separate process, as scripts do.
#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace quaverly::test {

struct CliRun
{
    int status = -1; // -1 when it crashed or did not end in time
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.start(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli"), arguments);
    CliRun run;
    if (!process.waitForFinished(timeoutMs))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace quaverly::test
