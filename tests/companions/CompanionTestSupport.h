#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

namespace companiontest {

inline QString binary(const char* name)
{
    return QDir(QStringLiteral(QUAVERLY_BIN_DIR)).filePath(QLatin1String(name));
}

inline bool writeFile(const QString& path, const QByteArray& contents, bool executable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFile::ExeOwner);
}

inline QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

/// How many processes have `text` in their command line (from /proc; a
/// process that has ended shows none, even before it is reaped).
inline int processesWith(const QString& text)
{
    const QByteArray needle = QFile::encodeName(text);
    int count = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        (void)entry.toLongLong(&isPid);
        QFile cmdline(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"));
        if (isPid && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(needle))
            ++count;
    }
    return count;
}

/// The environment of a companion under test: no display (so nothing ever
/// shows a dialog), PATH as given when not empty.
inline QProcessEnvironment environment(const QString& path = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!path.isEmpty())
        env.insert(QStringLiteral("PATH"), path);
    return env;
}

/// A /bin/sh command line that writes `text` (shell words allowed) into `marker`.
inline QStringList markerCommand(const QString& marker, const QString& text = QStringLiteral("started"))
{
    return { QStringLiteral("/bin/sh"), QStringLiteral("-c"),
             QStringLiteral("echo ") + text + QStringLiteral(" > \"$0\""), marker };
}

} // namespace companiontest
