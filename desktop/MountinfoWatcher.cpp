#include "desktop/MountinfoWatcher.h"

#include "desktop/MountPoints.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace quaverly::desktop {

MountinfoWatcher::MountinfoWatcher(QString mountInfoPath, QObject* parent)
    : QObject(parent)
    , m_path(std::move(mountInfoPath))
{
}

MountinfoWatcher::~MountinfoWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool MountinfoWatcher::start()
{
    if (m_fd >= 0)
        return true;
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    m_mounted = parseMountPoints(readTable());
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountinfoWatcher::refresh);
    return true;
}

QByteArray MountinfoWatcher::readTable() const
{
    QByteArray table;
    if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) < 0)
        return table;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        table.append(buffer, got);
    }
    return table;
}

void MountinfoWatcher::refresh()
{
    const QStringList now = parseMountPoints(readTable());
    const MountChange change = diffMounts(m_mounted, now);
    m_mounted = now;
    if (!change.isEmpty())
        Q_EMIT mountsChanged(change.added, change.removed);
}

} // namespace quaverly::desktop
