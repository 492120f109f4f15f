#include "cli/CliSupport.h"
#include "device/IpodDiscovery.h"

#include <QJsonObject>

namespace quaverly::cli {
namespace {

int runFind(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Finds the attached iPod the way Quaverly does at start-up."));
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("An iPod folder or iTunesDB path (optional)."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    if (const auto status = parseArguments(parser, args))
        return *status;
    const auto found = device::StartFindiPod(parser.positionalArguments().join(QLatin1Char(' ')),
                                             device::scanCandidates());
    if (!found)
        return fail(QStringLiteral("No iPod was found."));
    if (parser.isSet(json)) {
        printJson(QJsonDocument(QJsonObject { { QStringLiteral("root"), found->iPodRoot },
                                              { QStringLiteral("database"), found->dbPath },
                                              { QStringLiteral("scanned"), found->fromScan } }));
    } else {
        printLine(found->iPodRoot);
    }
    return kExitOk;
}

} // namespace

void registerStartupCommands(Registry& registry)
{
    registry.push_back(
        { QStringLiteral("find"), QStringLiteral("Find the attached iPod and print its folder."), runFind });
}

} // namespace quaverly::cli
