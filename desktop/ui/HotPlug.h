#pragma once
#include "desktop/ui/DesktopPlace.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QDBusConnection;
class QLabel;

namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

namespace quaverly::desktop {

class IpodMountTracker;
class MountinfoWatcher;
class UDisksMountWatcher;

/// iPods mounted and unmounted while the main window is open.
///
/// A newly mounted iPod is offered ("iPod Found", a question through the
/// prompt service); Yes hands its folder to `openIpod`, which replaces the
/// window by one on the new iPod through the loading window.
///
/// When the open iPod's volume is unmounted from outside: playback stops and
/// lets go of its file, no song starts any more, nothing more is written to
/// it (Play Counts, ratings, preferences), ipodGone() tells the start-up
/// wiring, which disables the commands that read or write the iPod (flag
/// files, duplicates.txt, the missing check, extraction, external players,
/// eject) and closes its tool windows, and a banner over the window says what
/// happened.
///
/// Mounts come from UDisks2 where it answers, else from the kernel's mount table.
class HotPlug : public QObject
{
    Q_OBJECT
public:
    using OpenIpod = std::function<void(const QString& root)>;

    HotPlug(DesktopPlace window, settings::mdlOptions& options, ui::PromptService& prompts, OpenIpod openIpod,
            QObject* parent = nullptr);
    ~HotPlug() override;

    /// Watches UDisks2 on `udisksBus` (the system bus in the program); when it
    /// is not there, the mount table.
    void start(const QDBusConnection& udisksBus);
    /// Watches the mount table at `mountInfoPath` only.
    bool startWithMountTable(const QString& mountInfoPath = QStringLiteral("/proc/self/mountinfo"));

    [[nodiscard]] IpodMountTracker& tracker() { return *m_tracker; }
    /// "udisks", "mountinfo" or "" before watching started.
    [[nodiscard]] QString source() const { return m_source; }
    /// The banner shown once the open iPod was unmounted (hidden before).
    [[nodiscard]] QLabel* banner() const { return m_banner; }

    /// What the user is asked when an iPod turns up.
    [[nodiscard]] static QString offerText(const QString& mountPoint, bool openIpodGone);
    [[nodiscard]] static QString unmountedText(const QString& root);

Q_SIGNALS:
    /// Watching started (from `source()`); for tests and logs.
    void watching();
    /// The open iPod was unmounted: playback has stopped, the preferences
    /// are read-only; what reads or writes the iPod should be put away.
    void ipodGone();

private:
    void ipodMounted(const QString& mountPoint);
    void openIpodUnmounted();
    void askNext();

    DesktopPlace m_window;
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    OpenIpod m_openIpod;
    IpodMountTracker* m_tracker = nullptr;
    QPointer<UDisksMountWatcher> m_udisks;
    QPointer<MountinfoWatcher> m_mountinfo;
    QLabel* m_banner = nullptr;
    QString m_source;
    QStringList m_offers; // mount points waiting to be offered
    bool m_asking = false;
    bool m_opening = false; // the user chose another iPod: the window is going
};

} // namespace quaverly::desktop
