// stayvane "NAME;COMMAND"
// Waits until no running process has NAME (letter case ignored) anywhere in
// the path of its executable, then starts COMMAND and ends. The eject chain
// uses it to outlive the player: NAME is the player's executable and COMMAND
// starts the deferred launcher.
//
// All arguments are joined by blanks into one text, which is split at the
// first ';' outside double quotes; further ';' pieces are ignored. A quoted
// NAME is unquoted; COMMAND is split like QProcess::splitCommand (double
// quotes group, three quotes stand for one). A bare program name is looked up
// in Stayvane's own folder first, then on PATH. An empty NAME, or a text
// without ';', ends at once without starting anything.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace stayvane {
namespace {

constexpr unsigned long kPollMs = 100;

// Splits at ';' outside quotes. A run of n quotes toggles quoting when
// n % 3 == 1, as QProcess::splitCommand reads them.
QStringList splitPieces(const QString& text)
{
    QStringList pieces;
    QString piece;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('"')) {
            qsizetype run = 0;
            while (i < text.size() && text.at(i) == QLatin1Char('"')) {
                piece += text.at(i++);
                ++run;
            }
            --i;
            if (run % 3 == 1)
                quoted = !quoted;
        } else if (text.at(i) == QLatin1Char(';') && !quoted) {
            pieces.append(piece);
            piece.clear();
        } else {
            piece += text.at(i);
        }
    }
    pieces.append(piece);
    return pieces;
}

QString unquoteName(const QString& piece)
{
    if (!piece.startsWith(QLatin1Char('"')))
        return piece; // taken as it stands, blanks included
    return QProcess::splitCommand(piece).join(QLatin1Char(' '));
}

// True when another process's executable path contains `name`. Processes whose
// executable cannot be read (other users', kernel threads, zombies) do not match.
bool IsProcessRunning(const QString& name)
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        if (pid == self || pid.isEmpty() || !pid.at(0).isDigit())
            continue;
        char target[4096];
        const QByteArray link = QByteArrayLiteral("/proc/") + pid.toLatin1() + QByteArrayLiteral("/exe");
        const ssize_t length = ::readlink(link.constData(), target, sizeof target);
        if (length <= 0)
            continue;
        if (QFile::decodeName(QByteArray(target, length)).contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString findProgram(const QString& program)
{
    if (program.contains(QLatin1Char('/')))
        return program;
    QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(program);
    const QFileInfo info(beside);
    if (info.isFile() && info.isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(program);
    return onPath.isEmpty() ? program : onPath;
}

} // namespace
} // namespace stayvane

int main(int argc, char* argv[])
{
    using namespace stayvane;
    QCoreApplication app(argc, argv);
    const QString text = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    const QStringList pieces = splitPieces(text);
    if (pieces.size() < 2)
        return 0;
    const QString name = unquoteName(pieces.at(0));
    if (name.isEmpty())
        return 0;
    while (IsProcessRunning(name))
        QThread::msleep(kPollMs);

    QStringList command = QProcess::splitCommand(pieces.at(1));
    if (command.isEmpty())
        return 0;
    QProcess process;
    process.setProgram(findProgram(command.takeFirst()));
    process.setArguments(command);
    if (!process.startDetached()) {
        std::fprintf(stderr, "stayvane: %s: %s\n", qUtf8Printable(process.program()),
                     qUtf8Printable(process.errorString()));
        return 1;
    }
    return 0;
}
