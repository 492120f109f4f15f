#include "startup/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace quaverly::startup {

SingleInstance::SingleInstance(const QString& lockDir)
{
    QString dir = lockDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_path = QDir(dir).filePath(QStringLiteral("quaverly.lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a stale lock is one whose process is gone
}

bool SingleInstance::tryAcquire()
{
    if (m_lock->isLocked())
        return true;
    return m_lock->tryLock(0);
}

} // namespace quaverly::startup
