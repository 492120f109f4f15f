#include "desktop/ui/HotPlug.h"

#include "database/Library.h"
#include "desktop/IpodMountTracker.h"
#include "desktop/MountinfoWatcher.h"
#include "desktop/dbus/UDisksMountWatcher.h"
#include "playback/PlayControl.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"

#include <QDBusConnection>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>

Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

namespace quaverly::desktop {

HotPlug::HotPlug(DesktopPlace window, settings::mdlOptions& options, ui::PromptService& prompts, OpenIpod openIpod,
                 QObject* parent)
    : QObject(parent)
    , m_window(std::move(window))
    , m_options(options)
    , m_prompts(prompts)
    , m_openIpod(std::move(openIpod))
{
    m_tracker = new IpodMountTracker(m_window.library->iPodRoot, {}, this);
    connect(m_tracker, &IpodMountTracker::ipodMounted, this, &HotPlug::ipodMounted);
    connect(m_tracker, &IpodMountTracker::openIpodUnmounted, this, &HotPlug::openIpodUnmounted);

    m_banner = new QLabel(m_window.window);
    m_banner->setObjectName(QStringLiteral("lblDeviceGone"));
    m_banner->setWordWrap(true);
    m_banner->setTextFormat(Qt::PlainText);
    m_banner->setStyleSheet(QStringLiteral("QLabel { background: #fbe3c8; color: #5a2d00; padding: 6px 10px; "
                                           "border-bottom: 1px solid #d9a86c; }"));
    m_banner->hide();
    // Under the caption bar and the menu labels, over everything else.
    if (auto* outer = qobject_cast<QVBoxLayout*>(m_window.window->layout()))
        outer->insertWidget(std::min(2, outer->count()), m_banner);
}

HotPlug::~HotPlug() = default;

QString HotPlug::offerText(const QString& mountPoint, bool openIpodGone)
{
    QString text = QStringLiteral("An iPod was mounted at %1.\r\nWould you like to open it in Quaverly?")
                       .arg(mountPoint);
    if (!openIpodGone)
        text += QStringLiteral(" The library that is shown now will be closed.");
    return text;
}

QString HotPlug::unmountedText(const QString& root)
{
    return QStringLiteral("The iPod at %1 was unmounted. Playback has stopped, and Quaverly reads and writes nothing "
                          "more on it. Mount it again to open it anew.")
        .arg(root);
}

void HotPlug::start(const QDBusConnection& udisksBus)
{
    if (!udisksBus.isConnected()) {
        startWithMountTable();
        return;
    }
    m_udisks = new UDisksMountWatcher(udisksBus, this);
    connect(m_udisks, &UDisksMountWatcher::ready, this, [this](const QStringList& mounted) {
        m_tracker->setMounted(mounted);
        m_source = QStringLiteral("udisks");
        Q_EMIT watching();
    });
    connect(m_udisks, &UDisksMountWatcher::mountsChanged, m_tracker, &IpodMountTracker::mountsChanged);
    connect(m_udisks, &UDisksMountWatcher::unavailable, this, [this] {
        m_udisks->deleteLater();
        startWithMountTable();
    });
    m_udisks->start();
}

bool HotPlug::startWithMountTable(const QString& mountInfoPath)
{
    m_mountinfo = new MountinfoWatcher(mountInfoPath, this);
    if (!m_mountinfo->start()) {
        qCInfo(lcDesktop) << "no mount table to watch at" << mountInfoPath << "- iPods mounted later go unnoticed";
        return false;
    }
    m_tracker->setMounted(m_mountinfo->mounted());
    connect(m_mountinfo, &MountinfoWatcher::mountsChanged, m_tracker, &IpodMountTracker::mountsChanged);
    m_source = QStringLiteral("mountinfo");
    Q_EMIT watching();
    return true;
}

void HotPlug::ipodMounted(const QString& mountPoint)
{
    if (m_opening || !m_openIpod)
        return;
    if (!m_offers.contains(mountPoint))
        m_offers.append(mountPoint);
    if (!m_asking)
        askNext();
}

void HotPlug::askNext()
{
    m_asking = true;
    while (!m_offers.isEmpty() && !m_opening) {
        const QString mountPoint = m_offers.takeFirst();
        const ui::PromptAnswer answer = m_prompts.show(QStringLiteral("iPod Found"),
                                                       offerText(mountPoint, m_tracker->openIpodGone()),
                                                       ui::PromptIcon::Question, ui::PromptButtons::YesNo);
        if (answer != ui::PromptAnswer::Yes)
            continue;
        m_opening = true;
        m_offers.clear();
        if (!m_tracker->openIpodGone())
            m_window.saveOptions(); // the column widths and ticks stay with the iPod that is closed
        m_openIpod(mountPoint);
    }
    m_asking = false;
}

void HotPlug::openIpodUnmounted()
{
    const QString root = m_window.library->iPodRoot;
    qCInfo(lcDesktop) << "the open iPod was unmounted:" << root;
    playback::PlayControl& control = *m_window.control;
    control.stopSong(); // lets go of the song's file
    control.setDeviceGone(QStringLiteral("The iPod is not mounted any more"));
    m_options.setReadOnly(true); // also the window's options at close
    // Eject on close would run on a volume that is not mounted; an extraction
    // under way stops (closing its window cancels it) and reports what it copied.
    Q_EMIT ipodGone();
    m_banner->setText(unmountedText(root));
    m_banner->show();
}

} // namespace quaverly::desktop
