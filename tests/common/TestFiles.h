#pragma once
// File helpers for tests that set up a folder and look at what was written.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace quaverly::test {

/// Writes `contents` to `path`, making its folders; `executable` adds the
/// owner's execute permission. False when any step fails.
inline bool writeFile(const QString& path, const QByteArray& contents = "x", bool executable = false)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFile::ExeOwner);
}

/// The bytes of `path`; empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The text of `path` as UTF-8; empty when it cannot be read.
inline QString readText(const QString& path)
{
    return QString::fromUtf8(readAll(path));
}

} // namespace quaverly::test
