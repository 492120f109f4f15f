// wait COMMAND-LINE
// Lets a moment pass (about a second), changes to the folder of its own
// executable, then starts its whole argument text as a command line and ends
// without waiting for it.
//
// The argument text is every argument joined by blanks, so `wait "touch a"`
// and `wait touch a` start the same command. The text is split the way
// Stayvane splits its command (QProcess::splitCommand: double quotes group
// words, three quotes stand for one), so an argument holding blanks must be
// quoted inside the text: wait '"/media/u/My iPod/x" -y'. A bare program name
// is looked up in wait's own folder first, then on PATH.
//
// When the command cannot be started, the reason, the argument text and the
// folder are shown in a message box when a display is there, else on stderr;
// the exit status is then 1.
#include "companions/common/CompanionMessage.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>

namespace waitcmd {
namespace {

constexpr unsigned long kPauseMs = 1000;

QString ownFolder()
{
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return QFileInfo(exe).absolutePath();
}

QString findProgram(const QString& program, const QString& folder)
{
    if (program.isEmpty() || program.contains(QLatin1Char('/')))
        return program;
    const QFileInfo beside(QDir(folder).filePath(program));
    if (beside.isFile() && beside.isExecutable())
        return beside.filePath();
    const QString onPath = QStandardPaths::findExecutable(program);
    return onPath.isEmpty() ? program : onPath;
}

int report(int& argc, char** argv, const QString& text)
{
    if (companion::hasDisplay())
        companion::showMessageBox(argc, argv, QStringLiteral("wait"), text);
    else
        std::fprintf(stderr, "wait: %s\n", qUtf8Printable(text));
    return 1;
}

} // namespace
} // namespace waitcmd

int main(int argc, char* argv[])
{
    using namespace waitcmd;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString text = arguments.join(QLatin1Char(' '));

    QThread::msleep(kPauseMs);
    const QString folder = ownFolder();
    QDir::setCurrent(folder);

    QString error;
    QStringList command = QProcess::splitCommand(text);
    if (command.isEmpty()) {
        error = QStringLiteral("No command was given.");
    } else {
        QProcess process;
        process.setProgram(findProgram(command.takeFirst(), folder));
        process.setArguments(command);
        if (!process.startDetached())
            error = process.errorString();
    }
    if (error.isEmpty())
        return 0;
    return report(argc, argv, error + QLatin1Char('\n') + text + QLatin1Char('\n') + folder);
}
