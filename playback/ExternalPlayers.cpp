#include "playback/ExternalPlayers.h"

#include "settings/Preferences.h"
#include "settings/mdlOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace quaverly::playback {
namespace prefs = settings::prefs;

namespace {

bool isDesktopEntry(const QString& path)
{
    return path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive);
}

/// The [Desktop Entry] group's keys "Name" and "Exec" (unlocalised).
struct DesktopEntry
{
    QString name;
    QString exec;
};

DesktopEntry readDesktopEntry(const QString& path)
{
    DesktopEntry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        if (line.startsWith(QLatin1String("Name=")))
            entry.name = line.mid(5).trimmed();
        else if (line.startsWith(QLatin1String("Exec=")))
            entry.exec = line.mid(5).trimmed();
    }
    return entry;
}

/// The program an Exec line starts, as a full path when it can be found.
QString execProgram(const QString& exec)
{
    const QStringList words = QProcess::splitCommand(exec);
    if (words.isEmpty())
        return {};
    const QString& program = words.constFirst();
    if (QFileInfo(program).isAbsolute())
        return QFileInfo(program).canonicalFilePath();
    return QFileInfo(QStandardPaths::findExecutable(program)).canonicalFilePath();
}

} // namespace

QStringList loadPlayerList(const settings::mdlOptions& options)
{
    const int count = options.get(prefs::kPlayerCount);
    QStringList players;
    for (int n = 1; n <= count; ++n)
        players.append(options.get(prefs::kPlayer, QString::number(n)));
    return players;
}

bool savePlayerList(settings::mdlOptions& options, const QStringList& players)
{
    // The count is written only up to what a later read accepts.
    const int count = static_cast<int>(std::min<qsizetype>(players.size(), prefs::kMaxPlayers));
    bool saved = options.set(prefs::kPlayerCount, count);
    for (int n = 1; n <= count; ++n)
        saved = options.set(prefs::kPlayer, QString::number(n), players.at(n - 1)) && saved;
    return saved;
}

QString defaultPlayer(const settings::mdlOptions& options)
{
    return options.get(prefs::kDefaultPlayer);
}

bool setDefaultPlayerPath(settings::mdlOptions& options, const QString& path)
{
    return options.set(prefs::kDefaultPlayer, path);
}

QString GetProductName(const QString& path, const QStringList& applicationDirs)
{
    if (path.isEmpty())
        return {};
    if (isDesktopEntry(path)) {
        const QString name = readDesktopEntry(path).name;
        return name.isEmpty() ? QFileInfo(path).completeBaseName() : name;
    }
    const QString target = QFileInfo(path).canonicalFilePath();
    if (!target.isEmpty()) {
        for (const QString& dir : applicationDirs) {
            const QStringList entries = QDir(dir).entryList({ QStringLiteral("*.desktop") }, QDir::Files, QDir::Name);
            for (const QString& entryName : entries) {
                const DesktopEntry entry = readDesktopEntry(QDir(dir).filePath(entryName));
                if (!entry.name.isEmpty() && execProgram(entry.exec) == target)
                    return entry.name;
            }
        }
    }
    return QFileInfo(path).fileName();
}

bool isPlayerProgram(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    return isDesktopEntry(path) || info.isExecutable();
}

PlayerLaunch launchFor(const QString& player, const QString& file)
{
    if (!isDesktopEntry(player))
        return { player, { file } };
    QStringList words = QProcess::splitCommand(readDesktopEntry(player).exec);
    if (words.isEmpty())
        return {};
    PlayerLaunch launch { words.takeFirst(), {} };
    bool placed = false;
    for (const QString& word : std::as_const(words)) {
        if (word == QLatin1String("%f") || word == QLatin1String("%F") || word == QLatin1String("%u")
            || word == QLatin1String("%U")) {
            if (!placed)
                launch.arguments.append(file);
            placed = true;
        } else if (word.size() == 2 && word.startsWith(QLatin1Char('%'))) {
            continue; // %i, %c, %k and the like: nothing to give
        } else {
            launch.arguments.append(word);
        }
    }
    if (!placed)
        launch.arguments.append(file);
    return launch;
}

} // namespace quaverly::playback
