#include "cli/CliSupport.h"
#include "devicetools/DeviceFlags.h"
#include "devicetools/DeviceInfo.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace quaverly::cli {
namespace {

using namespace devicetools;

const QString kRootHelp = QStringLiteral("The iPod's folder (its mount point).");

int runDevice(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the iPod's SysInfo lines, its SysInfoExtended facts and its disk space."));
    parser.addPositionalArgument(QStringLiteral("ROOT"), kRootHelp);
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    if (const auto status = parseArguments(parser, args))
        return *status;
    if (parser.positionalArguments().size() != 1)
        return usage(QStringLiteral("device needs exactly one ROOT."));
    const QString root = parser.positionalArguments().first();
    if (!QFileInfo(root).isDir())
        return fail(QStringLiteral("No such folder: ") + root);

    QStringList sysinfo = readSysinfo(root);
    const QStringList extended = readSysInfoExtended(root);
    const auto space = diskSpaceOf(root);
    if (parser.isSet(json)) {
        QJsonObject object { { QStringLiteral("root"), root },
                             { QStringLiteral("sysinfo"), QJsonArray::fromStringList(sysinfo) },
                             { QStringLiteral("sysinfoExtended"), QJsonArray::fromStringList(extended) },
                             { QStringLiteral("space"), spaceText(space) } };
        if (space) {
            object.insert(QStringLiteral("freeBytes"), space->freeBytes);
            object.insert(QStringLiteral("totalBytes"), space->totalBytes);
        }
        printJson(QJsonDocument(object));
        return kExitOk;
    }
    while (!sysinfo.isEmpty() && sysinfo.last().trimmed().isEmpty())
        sysinfo.removeLast(); // the device pads the file with empty lines
    printLine(sysinfo.isEmpty() ? QStringLiteral("(no SysInfo file)") : sysinfo.join(QLatin1Char('\n')));
    for (const QString& line : extended)
        printLine(line);
    printLine(spaceText(space));
    return kExitOk;
}

// Turns the --set / --clear / --reset options into flag states; nullopt on a usage error.
std::optional<FlagStates> requestedStates(const QCommandLineParser& parser, const QCommandLineOption& set,
                                          const QCommandLineOption& clear, const QCommandLineOption& reset)
{
    FlagStates states;
    states.fill(parser.isSet(reset) ? FlagState::Off : FlagState::Leave);
    std::array<bool, kFlagCount> named {};
    for (const auto& [option, state] : { std::pair { &set, FlagState::On }, std::pair { &clear, FlagState::Off } }) {
        for (const QString& name : parser.values(*option)) {
            const int index = flagIndex(name);
            if (index < 0) {
                printError(QStringLiteral("Unknown flag: ") + name);
                return std::nullopt;
            }
            const auto at = static_cast<std::size_t>(index);
            if (named[at] && states[at] != state) {
                printError(QStringLiteral("Flag both set and cleared: ") + name);
                return std::nullopt;
            }
            named[at] = true;
            states[at] = state;
        }
    }
    return states;
}

int runFlags(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows and changes the iPod's flag files (_show_voltage, _short_deepsleep, _disable_cache, _show_speed).\n"
        "--reset clears all four first; --set and --clear may be given several times."));
    parser.addPositionalArgument(QStringLiteral("ROOT"), kRootHelp);
    const QCommandLineOption set(QStringLiteral("set"), QStringLiteral("Turn a flag on."), QStringLiteral("NAME"));
    const QCommandLineOption clear(QStringLiteral("clear"), QStringLiteral("Turn a flag off."), QStringLiteral("NAME"));
    const QCommandLineOption reset(QStringLiteral("reset"), QStringLiteral("Turn all four flags off."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({ set, clear, reset, json });
    if (const auto status = parseArguments(parser, args))
        return *status;
    if (parser.positionalArguments().size() != 1)
        return usage(QStringLiteral("flags needs exactly one ROOT."));
    const QString root = parser.positionalArguments().first();
    if (!QFileInfo(root).isDir())
        return fail(QStringLiteral("No such folder: ") + root);
    const auto states = requestedStates(parser, set, clear, reset);
    if (!states)
        return kExitUsage;

    const FlagReport report = applyFlags(root, *states);
    if (report.firstError == FlagError::OutsideIpod)
        printError(QStringLiteral("The Device folder or a flag file leads outside the iPod (a link); nothing was "
                                  "written or deleted there."));
    for (const QString& file : report.failedFiles)
        printError(QStringLiteral("Could not change ") + file);
    const auto on = loadFlags(root);
    QJsonObject object;
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i) {
        const QString name = QLatin1String(kFlagFiles[i].fileName);
        if (parser.isSet(json))
            object.insert(name, on[i]);
        else
            printLine(name + (on[i] ? QStringLiteral(": on") : QStringLiteral(": off")));
    }
    if (parser.isSet(json))
        printJson(QJsonDocument(object));
    return report.ok() ? kExitOk : kExitFailure;
}

} // namespace

void registerDeviceCommands(Registry& registry)
{
    registry.push_back({ QStringLiteral("device"),
                         QStringLiteral("Print the iPod's SysInfo, model facts and disk space."), runDevice });
    registry.push_back({ QStringLiteral("flags"), QStringLiteral("Show or change the iPod's flag files."), runFlags });
}

} // namespace quaverly::cli
