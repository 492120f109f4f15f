#pragma once
#include <QObject>
#include <QStringList>

class QSocketNotifier;

namespace quaverly::desktop {

/// Mounts and unmounts seen in the kernel's mount table: /proc/self/mountinfo
/// signals every change as an exception condition on its file descriptor
/// (inotify does not work on /proc), so a socket notifier wakes this up and
/// the table is read again. Works without D-Bus; the fallback when UDisks2 is
/// not there.
class MountinfoWatcher : public QObject
{
    Q_OBJECT
public:
    explicit MountinfoWatcher(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                              QObject* parent = nullptr);
    ~MountinfoWatcher() override;

    /// Reads the table and starts watching; false when it cannot be opened.
    bool start();
    [[nodiscard]] const QStringList& mounted() const { return m_mounted; }
    /// Reads the table again and reports what changed (the notifier calls it).
    void refresh();

Q_SIGNALS:
    void mountsChanged(const QStringList& added, const QStringList& removed);

private:
    [[nodiscard]] QByteArray readTable() const;

    QString m_path;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QStringList m_mounted;
};

} // namespace quaverly::desktop
