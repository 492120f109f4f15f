// The manual page and bash completion made from quaverly-cli's help texts.
#include "tools/clidocs/CliDocs.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::tools;
using namespace Qt::StringLiterals;

namespace {

const QString kOverview = u"Usage: quaverly-cli COMMAND [options] [arguments]\n\n"
                          "Commands:\n"
                          "  find          Find the attached iPod and print its folder.\n"
                          "  extract       Copy songs off the iPod into named folders.\n"
                          "  count-play    Count a play in Play Counts.\n\n"
                          "Run quaverly-cli COMMAND --help for the options of a command.\n"_s;

const QString kExtract = u"Usage: quaverly-cli extract [options] ROOT\n"
                         "Copies the selected songs (default: all) off the iPod.\n"
                         "Existing files are never replaced.\n\n"
                         "Options:\n"
                         "  --to <DIR>       The folder to extract to.\n"
                         "  --template <T>   The file name template (default: the one stored on the\n"
                         "                   iPod).\n"
                         "  --dry-run        Print the plan, copy nothing.\n"
                         "  -h, --help       Show this help.\n\n"
                         "Arguments:\n"
                         "  ROOT             The iPod folder or its iTunesDB.\n"_s;

CliCommand extractCommand()
{
    CliCommand command;
    command.name = u"extract"_s;
    command.summary = u"Copy songs off the iPod into named folders."_s;
    return command;
}

/// Runs bash on `script` and then `commands`; the output of the commands.
QString runBash(const QString& script, const QString& commands, const QString& folder)
{
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start(u"bash"_s, { u"--norc"_s, u"--noprofile"_s, u"-c"_s, script + u'\n' + commands });
    if (!bash.waitForFinished(30000) || bash.exitCode() != 0)
        return u"<bash failed: "_s + QString::fromUtf8(bash.readAllStandardError()) + u'>';
    return QString::fromUtf8(bash.readAllStandardOutput());
}

} // namespace

class tst_CliDocs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandListIsReadFromTheOverview()
    {
        const std::vector<CliCommand> commands = parseCommandList(kOverview);
        QCOMPARE(commands.size(), size_t(3));
        QCOMPARE(commands.at(0).name, u"find"_s);
        QCOMPARE(commands.at(2).name, u"count-play"_s);
        QCOMPARE(commands.at(2).summary, u"Count a play in Play Counts."_s);
        QVERIFY(parseCommandList(u"Usage: something else\n"_s).empty());
    }

    void commandHelpIsRead()
    {
        CliCommand command = extractCommand();
        QVERIFY(parseCommandHelp(kExtract, command));
        QCOMPARE(command.usage, u"[options] ROOT"_s);
        QCOMPARE(command.details,
                 QStringList({ u"Copies the selected songs (default: all) off the iPod."_s,
                               u"Existing files are never replaced."_s }));
        QCOMPARE(command.options.size(), size_t(4));
        QCOMPARE(command.options.at(0).names, QStringList { u"--to"_s });
        QCOMPARE(command.options.at(0).valueName, u"DIR"_s);
        QCOMPARE(command.options.at(1).description,
                 u"The file name template (default: the one stored on the iPod)."_s); // wrapped line joined
        QVERIFY(command.options.at(2).valueName.isEmpty());
        QCOMPARE(command.options.at(3).names, QStringList({ u"-h"_s, u"--help"_s }));
        QCOMPARE(command.arguments.size(), size_t(1));
        QCOMPARE(command.arguments.at(0).name, u"ROOT"_s);
    }

    void helpOfAnotherCommandIsRefused_data()
    {
        QTest::addColumn<QString>("help");
        QTest::newRow("another command") << u"Usage: quaverly-cli extractor [options] ROOT\n"_s;
        QTest::newRow("the program's path") << u"Usage: /usr/bin/quaverly-cli [options] ROOT\n"_s;
        QTest::newRow("empty") << QString();
    }
    void helpOfAnotherCommandIsRefused()
    {
        QFETCH(QString, help);
        CliCommand command = extractCommand();
        QVERIFY(!parseCommandHelp(help, command));
    }

    void roffEscapeCases_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hyphens") << u"--dry-run"_s << u"\\-\\-dry\\-run"_s;
        QTest::newRow("backslash") << u"[genre]\\[artist]"_s << u"[genre]\\e[artist]"_s;
        QTest::newRow("leading dot") << u".scrobbler.log"_s << u"\\&.scrobbler.log"_s;
        QTest::newRow("leading apostrophe") << u"'quoted'"_s << u"\\&'quoted'"_s;
        QTest::newRow("plain") << u"The iPod folder."_s << u"The iPod folder."_s;
    }
    void roffEscapeCases()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(roffEscape(text), expected);
    }

    void manPageDescribesEveryCommand()
    {
        CliCommand command = extractCommand();
        QVERIFY(parseCommandHelp(kExtract, command));
        CliCommand find;
        find.name = u"find"_s;
        find.summary = u"Find the attached iPod."_s;
        const QString page = manPage({ command, find },
                                     u".TH X 1 \"\" \"Quaverly @VERSION@\"\n.SH COMMANDS\n"
                                     "@COMMANDS@\n.SH SEE ALSO\n"_s,
                                     u"1.2.3"_s);
        QVERIFY(page.startsWith(u".TH X 1 \"\" \"Quaverly 1.2.3\"\n.SH COMMANDS\n.SS extract\n"_s));
        QVERIFY(page.contains(u"\\fBquaverly\\-cli extract\\fR [\\fIoptions\\fR] \\fIROOT\\fR\n"_s));
        QVERIFY(page.contains(u".TP\n\\fB\\-\\-to\\fR \\fIDIR\\fR\nThe folder to extract to.\n"_s));
        QVERIFY(page.contains(u".TP\n\\fIROOT\\fR\nThe iPod folder or its iTunesDB.\n"_s));
        QVERIFY(!page.contains(u"Show this help."_s)); // said once for all commands
        // A command without details gets its summary.
        QVERIFY(page.contains(u".SS find\n\\fBquaverly\\-cli find\\fR\n.br\nFind the attached iPod.\n.SH SEE ALSO"_s));
        QVERIFY(!page.contains(u'@'));
    }

    void completionCompletesCommandsOptionsAndFolders()
    {
        if (QStandardPaths::findExecutable(u"bash"_s).isEmpty())
            QSKIP("bash is not installed");
        CliCommand command = extractCommand();
        QVERIFY(parseCommandHelp(kExtract, command));
        std::vector<CliCommand> commands = parseCommandList(kOverview);
        commands.at(1) = command;
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(QDir(folder.path()).mkpath(u"Music/Rock"_s));
        QVERIFY(QDir(folder.path()).mkpath(u"Movies"_s));
        const QString complete = u"c() { COMP_WORDS=(\"$@\"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                 "COMPREPLY=(); _quaverly_cli; echo \"${COMPREPLY[*]}\"; }\n"
                                 "c quaverly-cli ''\n"
                                 "c quaverly-cli co\n"
                                 "c quaverly-cli extract --\n"
                                 "c quaverly-cli extract --to M\n"
                                 "c quaverly-cli extract --template ''\n"
                                 "c quaverly-cli extract --to Music Mo\n"
                                 "c quaverly-cli extract --to Music --dry-run /media/IPOD ''\n"
                                 "c quaverly-cli nosuch ''\n"_s;
        const QStringList lines = runBash(bashCompletion(commands), complete, folder.path()).split(u'\n');
        QCOMPARE(lines.value(0), u"find extract count-play --help --version"_s);
        QCOMPARE(lines.value(1), u"count-play"_s);
        QCOMPARE(lines.value(2), u"--to --template --dry-run --help"_s); // "-h" does not start with "--"
        QStringList folders = lines.value(3).split(u' ');
        folders.sort();
        QCOMPARE(folders, QStringList({ u"Movies"_s, u"Music"_s })); // folders only
        QCOMPARE(lines.value(4), QString());                         // a template: nothing to offer
        QCOMPARE(lines.value(5), u"Movies"_s);                       // ROOT, after --to and its value
        QCOMPARE(lines.value(6), QString());                         // no second argument
        QCOMPARE(lines.value(7), QString());
    }

    void completionKeepsOnlyPlainWords()
    {
        CliCommand hostile;
        hostile.name = u"x;touch pwned"_s;
        CliCommand command = extractCommand();
        QVERIFY(parseCommandHelp(kExtract, command));
        command.options.push_back(CliOption { { u"--$(touch pwned)"_s }, u"`x`"_s, {} });
        command.options.push_back(CliOption { { u"--out"_s }, u"F$ILE"_s, {} });
        const QString script = bashCompletion({ hostile, command });
        QVERIFY(!script.contains(u"pwned"_s));
        QVERIFY(!script.contains(u"F$ILE"_s));
        QVERIFY(script.contains(u"--out"_s)); // the option stays, without its odd value name
        QVERIFY(script.contains(u"    extract)\n"_s));
    }
};

QTEST_GUILESS_MAIN(tst_CliDocs)
#include "tst_CliDocs.moc"
