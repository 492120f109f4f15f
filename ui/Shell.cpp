#include "ui/Shell.h"

#include "ui/PromptService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace quaverly::ui {
namespace {

/// The meaning of xdg-open's exit statuses, for when it says nothing itself.
QString exitMeaning(const QString& opener, int status)
{
    switch (status) {
    case 2:
        return opener + QStringLiteral(" says the file does not exist.");
    case 3:
        return opener + QStringLiteral(" found no program on this desktop to open it with.");
    case 4:
        return opener + QStringLiteral(" could not open it.");
    default:
        return opener + QStringLiteral(" ended with the error status %1.").arg(status);
    }
}

/// What is wrong with a local file before any program is asked; "" when nothing is.
QString localProblem(const QFileInfo& info)
{
    if (!info.exists())
        return QStringLiteral("It does not exist.");
    if (!info.isReadable())
        return QStringLiteral("It cannot be read (permission denied).");
    return {};
}

struct Watch
{
    QPointer<QObject> context;
    OpenFailed failed;
    bool done = false;

    void fail(const QString& reason)
    {
        if (done)
            return;
        done = true;
        if (context && failed)
            failed(reason);
    }
};

// The last lines an opener wrote on its error output (at most a few hundred characters).
QString errorOutput(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 keep = 600;
    if (file.size() > keep)
        file.seek(file.size() - keep);
    return QString::fromLocal8Bit(file.readAll()).trimmed();
}

void runOpener(const QString& openerCommand, const QString& target, const std::shared_ptr<Watch>& watch)
{
    QStringList words = openerCommand.split(QLatin1Char(' '));
    const QString name = words.takeFirst();
    // Some openers run the program they open in the foreground, which then
    // inherits their outputs: a file (not a pipe) takes the error output, so
    // that program never blocks on it nor dies when this one has ended.
    QTemporaryFile errors(QDir::tempPath() + QStringLiteral("/quaverly-open-XXXXXX.log"));
    errors.setAutoRemove(false);
    const QString errorsPath = errors.open() ? errors.fileName() : QString();
    errors.close();
    // Not parented: an opener that keeps running must not be killed when a window closes.
    auto* process = new QProcess;
    process->setProgram(QStandardPaths::findExecutable(name));
    process->setArguments(words << target);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(errorsPath.isEmpty() ? QProcess::nullDevice() : errorsPath);
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, process, [watch, errorsPath] {
        watch->done = true; // still running: it has handed the target over
        QFile::remove(errorsPath);
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, watch, name, errorsPath](int exitCode, QProcess::ExitStatus status) {
                         const QString said = errorOutput(errorsPath);
                         QFile::remove(errorsPath);
                         if (status != QProcess::NormalExit)
                             watch->fail(name + QStringLiteral(" stopped unexpectedly."));
                         else if (exitCode != 0)
                             watch->fail(said.isEmpty() ? exitMeaning(name, exitCode)
                                                        : name + QStringLiteral(" reported: ") + said);
                         watch->done = true;
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, watch, name, errorsPath](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         QFile::remove(errorsPath);
                         watch->fail(name + QStringLiteral(" could not be started: ") + process->errorString());
                         process->deleteLater();
                     });
    timer->start(kOpenerWatchMs);
    process->start();
}

} // namespace

QStringList desktopOpeners()
{
    return { QStringLiteral("xdg-open"), QStringLiteral("gio open") };
}

void OpenWithShell(const QString& target, const QStringList& arguments, QObject* context, OpenFailed failed)
{
    auto watch = std::make_shared<Watch>(Watch { context, std::move(failed) });
    if (target.isEmpty()) {
        watch->fail(QStringLiteral("There is nothing to open."));
        return;
    }
    const QUrl url(target);
    const bool isAddress = !url.isRelative() && !url.isLocalFile() && url.scheme().size() > 1;
    const QString local = url.isLocalFile() ? url.toLocalFile() : target;
    if (!isAddress) {
        const QFileInfo info(local);
        if (const QString problem = localProblem(info); !problem.isEmpty()) {
            watch->fail(problem);
            return;
        }
        // A program is started directly; a document is opened with its associated program.
        if (info.isFile() && info.isExecutable()) {
            QProcess process;
            process.setProgram(info.absoluteFilePath());
            process.setArguments(arguments);
            process.setWorkingDirectory(info.absolutePath());
            if (!process.startDetached())
                watch->fail(QStringLiteral("It could not be started: ") + process.errorString());
            return;
        }
    }
    const QString opened = isAddress ? target : QFileInfo(local).absoluteFilePath();
    for (const QString& opener : desktopOpeners()) {
        if (!QStandardPaths::findExecutable(opener.section(QLatin1Char(' '), 0, 0)).isEmpty()) {
            runOpener(opener, opened, watch);
            return;
        }
    }
    watch->fail(QStringLiteral("This desktop has no program that opens files and web addresses for other programs "
                               "(xdg-open, from the package xdg-utils, is not installed)."));
}

QString openFailureText(const QString& target, const QString& reason)
{
    return QStringLiteral("Quaverly could not open\n%1\n\n%2").arg(target, reason);
}

void openOrReport(PromptService& prompts, const QString& title, const QString& target, QObject* context,
                  const QStringList& arguments)
{
    OpenWithShell(target, arguments, context, [&prompts, title, target](const QString& reason) {
        prompts.show(title, openFailureText(target, reason), PromptIcon::Warning);
    });
}

} // namespace quaverly::ui
