#include "desktop/IpodMountTracker.h"

#include "device/IpodDiscovery.h"

#include <QDir>
#include <QFileInfo>

namespace quaverly::desktop {
namespace {

QString cleanPoint(const QString& path)
{
    return QDir::cleanPath(path);
}

} // namespace

IpodMountTracker::IpodMountTracker(const QString& openRoot, IpodCheck isIpod, QObject* parent)
    : QObject(parent)
    , m_isIpod(isIpod ? std::move(isIpod) : IpodCheck(&device::IsIpod))
{
    if (!openRoot.isEmpty()) {
        // Mount tables name real paths; the root may have come through a link.
        const QString canonical = QFileInfo(openRoot).canonicalFilePath();
        m_root = cleanPoint(canonical.isEmpty() ? openRoot : canonical);
    }
}

void IpodMountTracker::setMounted(const QStringList& mountPoints)
{
    m_mounted.clear();
    for (const QString& point : mountPoints)
        m_mounted.insert(cleanPoint(point));
}

bool IpodMountTracker::holdsOpenIpod(const QString& mountPoint) const
{
    if (m_root.isEmpty() || mountPoint == QLatin1String("/"))
        return false;
    return m_root == mountPoint || m_root.startsWith(mountPoint + QLatin1Char('/'));
}

void IpodMountTracker::mountsChanged(const QStringList& added, const QStringList& removed)
{
    for (const QString& raw : removed) {
        const QString point = cleanPoint(raw);
        m_mounted.remove(point);
        if (!m_gone && holdsOpenIpod(point)) {
            m_gone = true;
            Q_EMIT openIpodUnmounted(point);
        }
    }
    for (const QString& raw : added) {
        const QString point = cleanPoint(raw);
        if (m_mounted.contains(point))
            continue; // already known: not a new volume
        m_mounted.insert(point);
        const bool openOne = point == m_root && !m_gone;
        if (!openOne && m_isIpod(point))
            Q_EMIT ipodMounted(point);
    }
}

} // namespace quaverly::desktop
