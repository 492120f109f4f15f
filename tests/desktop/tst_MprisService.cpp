// The main window on the desktop's media controls: a client on a private
// session bus drives the real window (demo iPod, scripted audio player)
// through org.mpris.MediaPlayer2 and reads back what MPRIS promises.
#include "../gui/GuiFixture.h"
#include "PrivateBus.h"
#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "database/Library.h"
#include "desktop/MprisMetadata.h"
#include "desktop/dbus/MprisService.h"
#include "desktop/ui/DesktopIntegration.h"
#include "desktop/ui/WindowMediaPlayer.h"
#include "playback/AudioEngine.h"
#include "playback/MixerDevice.h"
#include "playback/clsVolume.h"
#include "playback/ui/PlaybackController.h"
#include "startup/app/Wiring.h"
#include "tests/support/FakeBackend.h"
#include "tests/support/RecordingPromptService.h"
#include "ui/PromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/ucListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace quaverly;
using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

namespace {

const QString kPlayer = u"org.mpris.MediaPlayer2.Player"_s;
const QString kRoot = u"org.mpris.MediaPlayer2"_s;
const QString kPath = u"/org/mpris/MediaPlayer2"_s;

/// A mixer with one wave volume control, 0 to 100.
class MemoryMixer final : public playback::MixerDevice
{
public:
    bool open() override { return true; }
    std::optional<playback::MixerControl> findControl(playback::MixerLine, playback::MixerControlType type) override
    {
        if (type != playback::MixerControlType::Volume)
            return std::nullopt;
        return playback::MixerControl { 1, 0, 100 };
    }
    std::optional<qint32> readValue(const playback::MixerControl&) override { return m_value; }
    bool writeValue(const playback::MixerControl&, qint32 value) override
    {
        m_value = value;
        return true;
    }

private:
    qint32 m_value = 80;
};

/// A second connection to the private bus, as a desktop's media panel has.
struct Client
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"mpris-client"_s);
    QString service = mprisServiceName();

    ~Client() { QDBusConnection::disconnectFromBus(u"mpris-client"_s); }

    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, kPath, interface, method);
        message.setArguments(arguments);
        // The service answers from this process's event loop, so wait with it running.
        return bus.call(message, QDBus::BlockWithGui, 5000);
    }
    QVariant get(const QString& interface, const QString& name)
    {
        const QDBusMessage reply = call(u"org.freedesktop.DBus.Properties"_s, u"Get"_s, { interface, name });
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    bool set(const QString& name, const QVariant& value)
    {
        const QDBusMessage reply = call(u"org.freedesktop.DBus.Properties"_s, u"Set"_s,
                                        { kPlayer, name, QVariant::fromValue(QDBusVariant(value)) });
        return reply.type() == QDBusMessage::ReplyMessage;
    }
    bool player(const QString& method, const QVariantList& arguments = {})
    {
        return call(kPlayer, method, arguments).type() == QDBusMessage::ReplyMessage;
    }
    QString status() { return get(kPlayer, u"PlaybackStatus"_s).toString(); }
    QVariantMap metadata() { return qdbus_cast<QVariantMap>(get(kPlayer, u"Metadata"_s).value<QDBusArgument>()); }
    qint64 position() { return get(kPlayer, u"Position"_s).toLongLong(); }
};

/// Records the PropertiesChanged signals of the player interface.
class ChangeRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qint64> seeks;
    [[nodiscard]] QVariant last(const QString& name) const
    {
        for (auto it = changes.crbegin(); it != changes.crend(); ++it) {
            if (it->contains(name))
                return it->value(name);
        }
        return {};
    }
public Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == kPlayer)
            changes.append(changed);
    }
    void seeked(qlonglong position) { seeks.append(position); }
};

struct Rig
{
    testing::DemoIpod ipod;
    ui::RecordingPromptService prompts;
    std::unique_ptr<browser::frmMain> window;
    playback::PlaybackController* playback = nullptr;
    playback::FakeBackend* fake = nullptr;
    DesktopIntegration* desktop = nullptr;

    bool make(const QDBusConnection& bus = QDBusConnection::sessionBus())
    {
        if (!ipod.make())
            return false;
        window = std::make_unique<browser::frmMain>(ipod.load.library, *ipod.options, prompts);
        auto backend = std::make_unique<playback::FakeBackend>();
        fake = backend.get();
        auto engine = std::make_unique<playback::AudioEngine>(std::move(backend), nullptr);
        if (!engine->initialise())
            return false;
        playback = new playback::PlaybackController(
            startup::playbackWindow(*window), *ipod.options, prompts, ipod.load.playCounts, std::move(engine),
            std::make_unique<playback::clsVolume>(std::make_unique<MemoryMixer>()));
        startup::wirePlayback(*window, *playback);
        desktop = new DesktopIntegration(startup::desktopPlace(*window, *playback), *ipod.options, prompts);
        // The player knows each song as long as the database says.
        for (const database::TrackRecord& track : ipod.load.library.Tracks)
            fake->setDuration(playback->control().devicePath(track.Path), track.Length);
        return desktop->startMpris(bus);
    }
    browser::frmMainUi& ui() { return window->ui(); }
    void selectRow(int row)
    {
        ui().lstSong->setItemSelected(-1, false);
        ui().lstSong->setItemSelected(row, true);
    }
    const database::TrackRecord& trackOnRow(int row) const
    {
        return ipod.load.library.Tracks[size_t(window->songModel().trackAt(row))];
    }
};

} // namespace

class tst_MprisService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QUAVERLY_REQUIRE_PRIVATE_BUS(); }

    void registersTheApplication()
    {
        Rig rig;
        QVERIFY(rig.make());
        QCOMPARE(rig.desktop->mpris().serviceName(), mprisServiceName());
        Client client;
        QVERIFY(client.bus.interface()->isServiceRegistered(mprisServiceName()));
        QCOMPARE(client.get(kRoot, u"Identity"_s).toString(), u"Quaverly"_s);
        QCOMPARE(client.get(kRoot, u"DesktopEntry"_s).toString(), QStringLiteral(QUAVERLY_APP_ID));
        QCOMPARE(client.get(kRoot, u"CanQuit"_s).toBool(), true);
        QCOMPARE(client.get(kRoot, u"CanRaise"_s).toBool(), true);
        QCOMPARE(client.get(kRoot, u"HasTrackList"_s).toBool(), false);
        QCOMPARE(client.get(kPlayer, u"CanControl"_s).toBool(), true);
        QCOMPARE(client.status(), u"Stopped"_s);
        QCOMPARE(client.metadata().value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(),
                 QLatin1String(kNoTrackPath));
        QCOMPARE(client.position(), 0);
        // Asking before anything played leaves the audio player alone.
        QVERIFY(rig.fake->calls().isEmpty());
    }

    void secondSessionTakesAnInstanceName()
    {
        Rig first;
        QVERIFY(first.make());
        {
            Rig second; // another program on its own connection
            QVERIFY(second.make(QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"second"_s)));
            QCOMPARE(second.desktop->mpris().serviceName(), mprisServiceName(QCoreApplication::applicationPid()));
        }
        QDBusConnection::disconnectFromBus(u"second"_s);
        Client client;
        QVERIFY(client.bus.interface()->isServiceRegistered(mprisServiceName())); // the first keeps its name
        QTRY_VERIFY(!client.bus.interface()->isServiceRegistered(mprisServiceName(QCoreApplication::applicationPid())));
    }

    void noBusLeavesTheFeatureOffSilently()
    {
        Rig rig;
        QVERIFY(rig.ipod.make());
        rig.window = std::make_unique<browser::frmMain>(rig.ipod.load.library, *rig.ipod.options, rig.prompts);
        auto engine = std::make_unique<playback::AudioEngine>(std::make_unique<playback::FakeBackend>(), nullptr);
        QVERIFY(engine->initialise());
        auto* playback = new playback::PlaybackController(
            startup::playbackWindow(*rig.window), *rig.ipod.options, rig.prompts, rig.ipod.load.playCounts,
            std::move(engine), std::make_unique<playback::clsVolume>(std::make_unique<playback::NullMixer>()));
        startup::wirePlayback(*rig.window, *playback);
        DesktopIntegration desktop(startup::desktopPlace(*rig.window, *playback), *rig.ipod.options, rig.prompts);
        const QDBusConnection none = QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"none"_s);
        QVERIFY(!desktop.startMpris(none));
        QVERIFY(desktop.mpris().serviceName().isEmpty());
        QVERIFY(rig.prompts.requests.empty());
        QDBusConnection::disconnectFromBus(u"none"_s);
    }

    void playPauseWithNothingPlayingStartsTheSelectedSong()
    {
        Rig rig;
        QVERIFY(rig.make());
        Client client;
        ChangeRecorder recorder;
        QVERIFY(client.bus.connect(client.service, kPath, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s,
                                   &recorder, SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
        rig.selectRow(2);
        QVERIFY(client.player(u"PlayPause"_s));
        const database::TrackRecord& song = rig.trackOnRow(2);
        QCOMPARE(client.status(), u"Playing"_s);
        QVERIFY(rig.ui().nowPlaying->picPlay->isHidden()); // the window shows it as the play button does
        QCOMPARE(rig.ui().nowPlaying->lblTitle->text(), song.Title);

        const QVariantMap metadata = client.metadata();
        const int track = rig.window->songModel().trackAt(2);
        QCOMPARE(metadata.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(), trackIdPath(track));
        QCOMPARE(metadata.value(u"xesam:title"_s).toString(), song.Title);
        QCOMPARE(metadata.value(u"xesam:artist"_s).toStringList(), QStringList { song.Artist });
        QCOMPARE(metadata.value(u"xesam:album"_s).toString(), song.Album);
        QCOMPARE(metadata.value(u"mpris:length"_s).toLongLong(), qint64(song.Length) * 1000);
        QVERIFY(metadata.value(u"xesam:url"_s).toString().startsWith(u"file:///"_s));

        // The change went out as a signal, the metadata with the object path type.
        QTRY_COMPARE(recorder.last(u"PlaybackStatus"_s).toString(), u"Playing"_s);
        const QVariantMap announced = qdbus_cast<QVariantMap>(recorder.last(u"Metadata"_s).value<QDBusArgument>());
        QCOMPARE(announced.value(u"xesam:title"_s).toString(), song.Title);
        QCOMPARE(announced.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(), trackIdPath(track));
        QVERIFY(!recorder.last(u"Position"_s).isValid()); // never announced
    }

    void playPauseNextAndPrevious()
    {
        Rig rig;
        QVERIFY(rig.make());
        Client client;
        rig.selectRow(0);
        QVERIFY(client.player(u"Play"_s));
        QCOMPARE(client.status(), u"Playing"_s);
        QVERIFY(client.player(u"Play"_s)); // already playing: nothing new starts
        QCOMPARE(rig.fake->calls().filter(u"open:"_s).size(), 1);

        QVERIFY(client.player(u"PlayPause"_s));
        QCOMPARE(client.status(), u"Paused"_s);
        QCOMPARE(rig.fake->calls().constLast(), u"pause"_s);
        QVERIFY(rig.ui().nowPlaying->picPause->isHidden());
        QVERIFY(client.player(u"PlayPause"_s));
        QCOMPARE(client.status(), u"Playing"_s);
        QCOMPARE(rig.fake->calls().constLast(), u"resume"_s); // the same song goes on

        QVERIFY(client.player(u"Pause"_s));
        QVERIFY(client.player(u"Pause"_s)); // twice is once
        QCOMPARE(rig.fake->calls().filter(u"pause"_s).size(), 2);
        QVERIFY(client.player(u"Play"_s));

        QVERIFY(client.get(kPlayer, u"CanGoNext"_s).toBool());
        QVERIFY(client.player(u"Next"_s));
        QCOMPARE(client.metadata().value(u"xesam:title"_s).toString(), rig.trackOnRow(1).Title);
        QCOMPARE(rig.ui().lstSong->GetLstSongSelected(), std::vector<int> { 1 });
        QVERIFY(client.player(u"Previous"_s)); // back through the played history
        QCOMPARE(client.metadata().value(u"xesam:title"_s).toString(), rig.trackOnRow(0).Title);
    }

    void seekAndSetPosition()
    {
        Rig rig;
        QVERIFY(rig.make());
        Client client;
        ChangeRecorder recorder;
        QVERIFY(client.bus.connect(client.service, kPath, kPlayer, u"Seeked"_s, &recorder, SLOT(seeked(qlonglong))));
        QVERIFY(!client.get(kPlayer, u"CanSeek"_s).toBool()); // nothing to seek in yet
        rig.selectRow(0);
        const qint64 lengthMs = rig.trackOnRow(0).Length;
        QVERIFY(lengthMs >= 2000);
        QVERIFY(client.player(u"Play"_s));
        QVERIFY(client.get(kPlayer, u"CanSeek"_s).toBool());
        rig.fake->advance(1000);
        QCOMPARE(client.position(), 1'000'000);

        QVERIFY(client.player(u"Seek"_s, { qlonglong(500'000) }));
        QCOMPARE(rig.fake->calls().constLast(), u"seek:1500"_s);
        QCOMPARE(client.position(), 1'500'000);
        QTRY_COMPARE(recorder.seeks, QList<qint64> { 1'500'000 });
        QVERIFY(client.player(u"Seek"_s, { qlonglong(-60'000'000) }));
        QCOMPARE(rig.fake->calls().constLast(), u"seek:0"_s);

        const int track = rig.window->songModel().trackAt(0);
        const auto id = QVariant::fromValue(QDBusObjectPath(trackIdPath(track)));
        QVERIFY(client.player(u"SetPosition"_s, { id, qlonglong(1'200'000) }));
        QCOMPARE(rig.fake->calls().constLast(), u"seek:1200"_s);
        // A stale track id, a negative position or one past the end: ignored.
        const auto other = QVariant::fromValue(QDBusObjectPath(trackIdPath(track + 1)));
        QVERIFY(client.player(u"SetPosition"_s, { other, qlonglong(100'000) }));
        QVERIFY(client.player(u"SetPosition"_s, { id, qlonglong(-1) }));
        QVERIFY(client.player(u"SetPosition"_s, { id, qlonglong((lengthMs + 1) * 1000) }));
        QCOMPARE(rig.fake->calls().constLast(), u"seek:1200"_s);

        // Seeking past the end goes on to the next song.
        QVERIFY(client.player(u"Seek"_s, { qlonglong(lengthMs * 1000) }));
        QCOMPARE(client.metadata().value(u"xesam:title"_s).toString(), rig.trackOnRow(1).Title);
    }

    void stopLetsGoOfTheSongAndPlayStartsAfresh()
    {
        Rig rig;
        QVERIFY(rig.make());
        Client client;
        rig.selectRow(1);
        QVERIFY(client.player(u"Play"_s));
        rig.fake->advance(30'000);
        QVERIFY(client.player(u"Stop"_s));
        QCOMPARE(client.status(), u"Stopped"_s);
        QCOMPARE(rig.fake->calls().constLast(), u"stop"_s);
        QCOMPARE(rig.fake->state(), playback::BackendState::Idle);
        QCOMPARE(client.position(), 0);
        QVERIFY(!rig.playback->control().autoAdvance());
        QVERIFY(rig.ui().nowPlaying->picPause->isHidden());
        QVERIFY(client.player(u"Play"_s));
        QCOMPARE(client.status(), u"Playing"_s);
        QVERIFY(rig.fake->calls().constLast().startsWith(u"open:"_s)); // from the start, not a resume
        QCOMPARE(client.position(), 0);
    }

    void loopShuffleAndVolumeGoThroughTheWindow()
    {
        Rig rig;
        QVERIFY(rig.make());
        Client client;
        QCOMPARE(client.get(kPlayer, u"LoopStatus"_s).toString(), u"None"_s);
        QVERIFY(client.set(u"LoopStatus"_s, u"Track"_s));
        QVERIFY(rig.ui().nowPlaying->chkRepeat->isChecked());
        QVERIFY(rig.ui().nowPlaying->optRptOne->isChecked());
        QVERIFY(rig.playback->control().repeatOne());
        QVERIFY(rig.ipod.prefsText().contains(u"RepeatType=One"_s)); // stored as the window stores it
        QVERIFY(client.set(u"LoopStatus"_s, u"Playlist"_s));
        QVERIFY(rig.ui().nowPlaying->optRptAll->isChecked());
        QVERIFY(client.set(u"LoopStatus"_s, u"Sometimes"_s)); // not an MPRIS value: ignored
        QCOMPARE(client.get(kPlayer, u"LoopStatus"_s).toString(), u"Playlist"_s);
        QVERIFY(client.set(u"LoopStatus"_s, u"None"_s));
        QVERIFY(!rig.ui().nowPlaying->chkRepeat->isChecked());

        QVERIFY(client.set(u"Shuffle"_s, true));
        QVERIFY(rig.ui().nowPlaying->chkShuffle->isChecked());
        QVERIFY(rig.playback->control().shuffle());
        QCOMPARE(client.get(kPlayer, u"Shuffle"_s).toBool(), true);

        QVERIFY(client.set(u"Volume"_s, 0.25));
        QCOMPARE(client.get(kPlayer, u"Volume"_s).toDouble(), 0.25);
        QCOMPARE(rig.playback->volumeFraction(), 0.25);
        QVERIFY(client.set(u"Volume"_s, -3.0)); // below 0 is 0
        QCOMPARE(client.get(kPlayer, u"Volume"_s).toDouble(), 0.0);
    }

    void raiseAndQuit()
    {
        Rig rig;
        QVERIFY(rig.make());
        Client client;
        rig.window->showMinimized();
        QVERIFY(client.call(kRoot, u"Raise"_s).type() == QDBusMessage::ReplyMessage);
        QTRY_VERIFY(rig.window->isVisible() && !rig.window->isMinimized());
        QSignalSpy closing(rig.window.get(), &browser::frmMain::closing);
        QVERIFY(client.call(kRoot, u"Quit"_s).type() == QDBusMessage::ReplyMessage);
        QCOMPARE(closing.count(), 1); // closed as the menu's Exit closes it
        QVERIFY(!rig.window->isVisible());
    }
};

QTEST_MAIN(tst_MprisService)
#include "tst_MprisService.moc"
