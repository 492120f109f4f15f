// make-cli-docs CLI TEMPLATE VERSION MAN_OUT COMPLETION_OUT: runs the built
// quaverly-cli for its --help and each command's --help, and writes the
// manual page (TEMPLATE with the commands filled in) and the bash completion
// from them, so both always say what the program says. Fails (exit 1) when a
// help text cannot be read, which stops the build.
#include "tools/clidocs/CliDocs.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSaveFile>

#include <cstdio>

using namespace quaverly::tools;

namespace {

bool helpOf(const QString& program, const QStringList& arguments, QString& text)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments + QStringList { QStringLiteral("--help") });
    process.start();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "make-cli-docs: %s %s --help failed\n", qPrintable(program),
                     qPrintable(arguments.join(u' ')));
        return false;
    }
    text = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

bool save(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit())
        return true;
    std::fprintf(stderr, "make-cli-docs: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6) {
        std::fputs("Usage: make-cli-docs CLI TEMPLATE VERSION MAN_OUT COMPLETION_OUT\n", stderr);
        return 2;
    }
    const QString& cli = args.at(1);
    QString overview;
    if (!helpOf(cli, {}, overview))
        return 1;
    std::vector<CliCommand> commands = parseCommandList(overview);
    if (commands.empty()) {
        std::fputs("make-cli-docs: no commands in quaverly-cli --help\n", stderr);
        return 1;
    }
    for (CliCommand& command : commands) {
        QString help;
        if (!helpOf(cli, { command.name }, help))
            return 1;
        if (!parseCommandHelp(help, command)) {
            std::fprintf(stderr, "make-cli-docs: the help of %s has no usage line\n", qPrintable(command.name));
            return 1;
        }
    }
    QFile manTemplate(args.at(2));
    if (!manTemplate.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make-cli-docs: cannot read %s\n", qPrintable(args.at(2)));
        return 1;
    }
    const QString page = manPage(commands, QString::fromUtf8(manTemplate.readAll()), args.at(3));
    return save(args.at(4), page) && save(args.at(5), bashCompletion(commands)) ? 0 : 1;
}
