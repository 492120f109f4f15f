#pragma once
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

namespace quaverly::desktop {

/// Decides what a change of the mounted volumes means while an iPod is open:
/// an iPod mounted that is not the open one (offer to open it), or the volume
/// that holds the open iPod gone (stop using it).
///
/// The open iPod counts as gone once the mount point it lies on (or under) is
/// reported unmounted; an iPod in a plain folder (the demo iPod) never goes.
/// Each mount point is offered once per appearance, also the open iPod's own
/// when it comes back after it was gone.
class IpodMountTracker : public QObject
{
    Q_OBJECT
public:
    using IpodCheck = std::function<bool(const QString& mountPoint)>;

    /// `openRoot` is the open iPod's folder ("" for none); `isIpod` tells an
    /// iPod's mount point (device::IsIpod by default).
    explicit IpodMountTracker(const QString& openRoot, IpodCheck isIpod = {}, QObject* parent = nullptr);

    /// The mount points there are when watching starts (never offered).
    void setMounted(const QStringList& mountPoints);
    void mountsChanged(const QStringList& added, const QStringList& removed);

    [[nodiscard]] bool openIpodGone() const { return m_gone; }
    [[nodiscard]] const QString& openRoot() const { return m_root; }

Q_SIGNALS:
    void ipodMounted(const QString& mountPoint);
    /// Emitted once, when the open iPod's volume went away.
    void openIpodUnmounted(const QString& mountPoint);

private:
    [[nodiscard]] bool holdsOpenIpod(const QString& mountPoint) const;

    QString m_root; // canonical, no trailing '/'
    IpodCheck m_isIpod;
    QSet<QString> m_mounted;
    bool m_gone = false;
};

} // namespace quaverly::desktop
