// wait PROGRAM [ARGUMENTS...]
// Lets a moment pass (about a second), changes to the folder of its own
// executable, then starts PROGRAM with ARGUMENTS and ends without waiting for
// it. A bare program name is looked up in that folder first, then on PATH.
// When the command cannot be started, the reason, the command and the folder
// are shown in a message box when a display is there, else on stderr; the
// exit status is then 1.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
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

// The command as one line, an argument with blanks in double quotes.
QString commandText(const QStringList& command)
{
    QStringList shown;
    for (const QString& part : command) {
        const bool plain = !part.isEmpty() && !part.contains(QLatin1Char(' ')) && !part.contains(QLatin1Char('"'));
        shown.append(plain ? part : QLatin1Char('"') + part + QLatin1Char('"'));
    }
    return shown.join(QLatin1Char(' '));
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int report(int& argc, char** argv, const QString& text)
{
    if (hasDisplay()) {
        QApplication app(argc, argv);
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("wait"), text, QMessageBox::Ok);
        box.exec();
    } else {
        std::fprintf(stderr, "wait: %s\n", qUtf8Printable(text));
    }
    return 1;
}

} // namespace
} // namespace waitcmd

int main(int argc, char* argv[])
{
    using namespace waitcmd;
    QStringList command;
    for (int i = 1; i < argc; ++i)
        command.append(QString::fromLocal8Bit(argv[i]));

    QThread::msleep(kPauseMs);
    const QString folder = ownFolder();
    QDir::setCurrent(folder);

    QString error;
    if (command.isEmpty()) {
        error = QStringLiteral("No command was given.");
    } else {
        QProcess process;
        process.setProgram(findProgram(command.first(), folder));
        process.setArguments(command.mid(1));
        if (!process.startDetached())
            error = process.errorString();
    }
    if (error.isEmpty())
        return 0;
    return report(argc, argv, error + QLatin1Char('\n') + commandText(command) + QLatin1Char('\n') + folder);
}
