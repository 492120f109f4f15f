#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

namespace quaverly::desktop {

class MediaPlayerControl;
class MprisRootAdaptor;
class MprisPlayerAdaptor;

/// The player on the desktop's media controls: org.mpris.MediaPlayer2 and its
/// Player interface at /org/mpris/MediaPlayer2 on a D-Bus connection (the
/// session bus), answering for a MediaPlayerControl.
///
/// Property changes go out as PropertiesChanged, gathered once per turn of
/// the event loop and only for values that really changed; the position is
/// never announced (clients ask for it), a jump goes out as Seeked.
class MprisService : public QObject
{
    Q_OBJECT
public:
    MprisService(MediaPlayerControl& player, QString desktopEntry, QObject* parent = nullptr);
    ~MprisService() override;

    /// Registers the object and the service name; when the name is taken (a
    /// second session on the bus) the name with ".instance<pid>". False (and
    /// nothing registered) when the connection is down or both names fail.
    [[nodiscard]] bool registerOn(const QDBusConnection& bus);
    /// The bus name in use; "" when not registered.
    [[nodiscard]] const QString& serviceName() const { return m_serviceName; }

    /// The current values of each interface's properties as D-Bus sends them.
    [[nodiscard]] QVariantMap rootProperties() const;
    [[nodiscard]] QVariantMap playerProperties() const;

private:
    void scheduleChanges();
    void announceChanges();
    void unregister();

    MediaPlayerControl& m_player;
    QString m_desktopEntry;
    QDBusConnection m_bus;
    QString m_serviceName;
    QObject* m_object = nullptr; // the object at /org/mpris/MediaPlayer2; holds the adaptors
    MprisRootAdaptor* m_root = nullptr;
    MprisPlayerAdaptor* m_playerAdaptor = nullptr;
    QVariantMap m_announced; // the player's properties as last announced
    bool m_pending = false;

    friend class MprisRootAdaptor;
    friend class MprisPlayerAdaptor;
};

} // namespace quaverly::desktop
