#include "tools/clidocs/CliDocs.h"

#include <QRegularExpression>

namespace quaverly::tools {
namespace {

const QString kProgram = QStringLiteral("quaverly-cli");

/// The lines of one "Heading:" block of a help text (without the heading),
/// up to the next blank line.
QStringList block(const QStringList& lines, const QString& heading)
{
    QStringList found;
    const qsizetype start = lines.indexOf(heading);
    if (start < 0)
        return found;
    for (qsizetype i = start + 1; i < lines.size() && !lines.at(i).trimmed().isEmpty(); ++i)
        found.append(lines.at(i));
    return found;
}

/// Splits "  NAMES   description" rows; a row indented deeper than its first
/// continues the description of the row before it.
std::vector<std::pair<QString, QString>> rows(const QStringList& lines)
{
    static const QRegularExpression row(QStringLiteral("^  (\\S.*?)(?:  +(\\S.*))?$"));
    std::vector<std::pair<QString, QString>> found;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("   ")) && !found.empty()) {
            found.back().second += QLatin1Char(' ') + line.trimmed();
            continue;
        }
        const QRegularExpressionMatch match = row.match(line);
        if (match.hasMatch())
            found.emplace_back(match.captured(1).trimmed(), match.captured(2).trimmed());
    }
    return found;
}

CliOption option(const QString& names, const QString& description)
{
    CliOption parsed;
    parsed.description = description;
    for (QString name : names.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const qsizetype value = name.indexOf(QStringLiteral(" <"));
        if (value > 0) {
            parsed.valueName = name.mid(value + 2).chopped(1);
            name.truncate(value);
        }
        parsed.names.append(name.trimmed());
    }
    return parsed;
}

bool isHelp(const CliOption& option)
{
    return option.names.contains(QStringLiteral("--help"));
}

/// The usage words after the command: "[options]" plain, placeholders in italics.
QString roffUsage(const QString& usage)
{
    QStringList words;
    for (const QString& word : usage.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("[options]"))
            words.append(QStringLiteral("[\\fIoptions\\fR]"));
        else
            words.append(QStringLiteral("\\fI") + roffEscape(word) + QStringLiteral("\\fR"));
    }
    return words.join(QLatin1Char(' '));
}

QString roffCommand(const CliCommand& command)
{
    QString text = QStringLiteral(".SS ") + roffEscape(command.name) + QLatin1Char('\n');
    text += QStringLiteral("\\fB") + roffEscape(kProgram + QLatin1Char(' ') + command.name) + QStringLiteral("\\fR");
    if (!command.usage.isEmpty())
        text += QLatin1Char(' ') + roffUsage(command.usage);
    text += QStringLiteral("\n.br\n");
    const QStringList details = command.details.isEmpty() ? QStringList { command.summary } : command.details;
    text += roffEscape(details.join(QLatin1Char(' '))) + QLatin1Char('\n');
    bool indented = false;
    const auto item = [&text, &indented](const QString& term, const QString& description) {
        if (!indented)
            text += QStringLiteral(".RS\n");
        indented = true;
        text += QStringLiteral(".TP\n") + term + QLatin1Char('\n') + roffEscape(description) + QLatin1Char('\n');
    };
    for (const CliOption& option : command.options) {
        if (isHelp(option))
            continue; // every command has it; the page says so once
        QStringList names;
        for (const QString& name : option.names)
            names.append(QStringLiteral("\\fB") + roffEscape(name) + QStringLiteral("\\fR"));
        QString term = names.join(QStringLiteral(", "));
        if (!option.valueName.isEmpty())
            term += QStringLiteral(" \\fI") + roffEscape(option.valueName) + QStringLiteral("\\fR");
        item(term, option.description);
    }
    for (const CliArgument& argument : command.arguments)
        item(QStringLiteral("\\fI") + roffEscape(argument.name) + QStringLiteral("\\fR"), argument.description);
    if (indented)
        text += QStringLiteral(".RE\n");
    return text;
}

bool isWord(const QString& text, const QRegularExpression& pattern)
{
    return pattern.match(text).hasMatch();
}

} // namespace

std::vector<CliCommand> parseCommandList(const QString& help)
{
    std::vector<CliCommand> commands;
    for (const auto& [name, summary] : rows(block(help.split(QLatin1Char('\n')), QStringLiteral("Commands:")))) {
        CliCommand command;
        command.name = name;
        command.summary = summary;
        commands.push_back(std::move(command));
    }
    return commands;
}

bool parseCommandHelp(const QString& help, CliCommand& command)
{
    const QStringList lines = help.split(QLatin1Char('\n'));
    const QString usagePrefix = QStringLiteral("Usage: ") + kProgram + QLatin1Char(' ') + command.name;
    if (lines.isEmpty() || !(lines.constFirst() == usagePrefix || lines.constFirst().startsWith(usagePrefix + u' ')))
        return false;
    command.usage = lines.constFirst().mid(usagePrefix.size()).trimmed();
    command.details.clear();
    for (qsizetype i = 1; i < lines.size() && !lines.at(i).trimmed().isEmpty(); ++i)
        command.details.append(lines.at(i).trimmed());
    command.options.clear();
    for (const auto& [names, description] : rows(block(lines, QStringLiteral("Options:"))))
        command.options.push_back(option(names, description));
    command.arguments.clear();
    for (const auto& [name, description] : rows(block(lines, QStringLiteral("Arguments:"))))
        command.arguments.push_back(CliArgument { name, description });
    return true;
}

QString roffEscape(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\e");
        else if (c == QLatin1Char('-'))
            escaped += QStringLiteral("\\-");
        else
            escaped += c;
    }
    if (escaped.startsWith(QLatin1Char('.')) || escaped.startsWith(QLatin1Char('\'')))
        escaped.prepend(QStringLiteral("\\&"));
    return escaped;
}

QString manPage(const std::vector<CliCommand>& commands, const QString& manTemplate, const QString& version)
{
    QString section;
    for (const CliCommand& command : commands)
        section += roffCommand(command);
    QString page = manTemplate;
    page.replace(QStringLiteral("@VERSION@"), roffEscape(version));
    page.replace(QStringLiteral("@COMMANDS@\n"), section);
    return page;
}

QString bashCompletion(const std::vector<CliCommand>& commands)
{
    // Only plain words reach the script, so no help text can inject shell code.
    static const QRegularExpression commandWord(QStringLiteral("^[a-z][a-z0-9-]*$"));
    static const QRegularExpression optionWord(QStringLiteral("^--?[A-Za-z0-9][A-Za-z0-9-]*$"));
    static const QRegularExpression valueWord(QStringLiteral("^[A-Za-z_]+$"));
    QStringList names;
    QString cases;
    for (const CliCommand& command : commands) {
        if (!isWord(command.name, commandWord))
            continue;
        names.append(command.name);
        QStringList options;
        QStringList values;
        for (const CliOption& option : command.options) {
            for (const QString& name : option.names) {
                if (!isWord(name, optionWord))
                    continue;
                options.append(name);
                if (!option.valueName.isEmpty() && isWord(option.valueName, valueWord))
                    values.append(name + QLatin1Char(':') + option.valueName);
            }
        }
        QStringList arguments;
        for (const CliArgument& argument : command.arguments) {
            if (isWord(argument.name, valueWord))
                arguments.append(argument.name);
        }
        cases += QStringLiteral("    %1)\n        options=\"%2\"\n        values=\"%3\"\n        arguments=\"%4\"\n"
                                "        ;;\n")
                     .arg(command.name, options.join(u' '), values.join(u' '), arguments.join(u' '));
    }
    return QStringLiteral("# bash completion for quaverly-cli. Generated from the program's own --help texts\n"
                          "# when it is built; do not edit.\n"
                          "\n"
                          "_quaverly_cli_value()\n"
                          "{\n"
                          "    case $1 in\n"
                          "    ROOT | FILE | PATH)\n"
                          "        compopt -o filenames 2>/dev/null\n"
                          "        COMPREPLY=($(compgen -f -- \"$2\"))\n"
                          "        ;;\n"
                          "    DIR)\n"
                          "        compopt -o filenames 2>/dev/null\n"
                          "        COMPREPLY=($(compgen -d -- \"$2\"))\n"
                          "        ;;\n"
                          "    *) COMPREPLY=() ;;\n"
                          "    esac\n"
                          "}\n"
                          "\n"
                          "_quaverly_cli()\n"
                          "{\n"
                          "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
                          "    if ((COMP_CWORD == 1)); then\n"
                          "        COMPREPLY=($(compgen -W \"%1 --help --version\" -- \"$cur\"))\n"
                          "        return 0\n"
                          "    fi\n"
                          "    local options values arguments pair word i n=0 skip=0\n"
                          "    case ${COMP_WORDS[1]} in\n"
                          "%2"
                          "    *) return 0 ;;\n"
                          "    esac\n"
                          "    for pair in $values; do\n"
                          "        if [[ $prev == \"${pair%%:*}\" ]]; then\n"
                          "            _quaverly_cli_value \"${pair#*:}\" \"$cur\"\n"
                          "            return 0\n"
                          "        fi\n"
                          "    done\n"
                          "    if [[ $cur == -* ]]; then\n"
                          "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
                          "        return 0\n"
                          "    fi\n"
                          "    for ((i = 2; i < COMP_CWORD; i++)); do\n"
                          "        word=${COMP_WORDS[i]}\n"
                          "        if ((skip)); then\n"
                          "            skip=0\n"
                          "        elif [[ $word == -* ]]; then\n"
                          "            for pair in $values; do\n"
                          "                [[ $word == \"${pair%%:*}\" ]] && skip=1\n"
                          "            done\n"
                          "        else\n"
                          "            ((n++))\n"
                          "        fi\n"
                          "    done\n"
                          "    local names=($arguments)\n"
                          "    _quaverly_cli_value \"${names[n]}\" \"$cur\"\n"
                          "    return 0\n"
                          "}\n"
                          "complete -F _quaverly_cli quaverly-cli\n")
        .arg(names.join(u' '), cases);
}

} // namespace quaverly::tools
