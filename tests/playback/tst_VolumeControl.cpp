// The volume slider's source: the system mixer's master output when there is
// one, else the players' own volume kept in the preferences on the iPod.
#include "playback/AudioEngine.h"
#include "playback/VolumeControl.h"
#include "playback/clsVolume.h"
#include "settings/mdlOptions.h"
#include "tests/support/FakeBackend.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::playback;
using quaverly::settings::mdlOptions;
using namespace Qt::StringLiterals;

namespace {

/// A mixer whose master output has a volume control from `minimum` to `maximum`
/// (none when both are 0); the level lives in `level`.
class MasterMixer : public MixerDevice
{
public:
    MasterMixer(qint32 minimum, qint32 maximum, qint32* level)
        : m_minimum(minimum)
        , m_maximum(maximum)
        , m_level(level)
    {
    }
    bool open() override { return true; }
    std::optional<MixerControl> findControl(MixerLine line, MixerControlType type) override
    {
        if (line != MixerLine::Speakers || type != MixerControlType::Volume || m_maximum == m_minimum)
            return {};
        return MixerControl { 1, m_minimum, m_maximum };
    }
    std::optional<qint32> readValue(const MixerControl&) override { return *m_level; }
    bool writeValue(const MixerControl&, qint32 value) override
    {
        *m_level = value;
        return true;
    }

private:
    qint32 m_minimum;
    qint32 m_maximum;
    qint32* m_level;
};

struct Rig
{
    QTemporaryDir dir;
    std::unique_ptr<mdlOptions> options;
    FakeBackend* player = nullptr;
    std::unique_ptr<AudioEngine> engine;
    int mixersOpened = 0;

    explicit Rig(const QString& storedVolume = QString())
    {
        QDir(dir.path()).mkpath(u"iPod_Control/iTunes"_s);
        options = std::make_unique<mdlOptions>(dir.path());
        if (!storedVolume.isNull())
            options->SaveOption(u"Volume"_s, storedVolume);
        auto backend = std::make_unique<FakeBackend>();
        player = backend.get();
        engine = std::make_unique<AudioEngine>(std::move(backend), nullptr);
    }
    VolumeControl::MixerFactory mixer(std::unique_ptr<MixerDevice> device)
    {
        auto held = std::make_shared<std::unique_ptr<MixerDevice>>(std::move(device));
        return [this, held] {
            ++mixersOpened;
            return std::make_unique<clsVolume>(std::move(*held));
        };
    }
    QString stored() const { return options->GetOption(u"Volume"_s, u"(none)"_s); }
};

} // namespace

class tst_VolumeControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void systemMasterWhenThereIsOne()
    {
        Rig rig(u"30"_s);
        qint32 level = 40;
        VolumeControl volume(*rig.engine, *rig.options, rig.mixer(std::make_unique<MasterMixer>(0, 80, &level)));
        QCOMPARE(rig.mixersOpened, 0); // nothing opened (no libasound) before it is needed
        QCOMPARE(volume.fraction(), 0.30);
        volume.settle();
        QCOMPARE(volume.source(), VolumeControl::Source::SystemMixer);
        QCOMPARE(volume.fraction(), 0.5);
        level = 80; // another program turned it up
        QCOMPARE(volume.fraction(), 1.0);
        volume.setFraction(0.25);
        QCOMPARE(level, 20);
        QCOMPARE(rig.engine->volume(), 100); // the master output alone sets the level
        volume.store();
        QCOMPARE(rig.stored(), u"30"_s); // the system level is never stored
        volume.settle();
        QCOMPARE(rig.mixersOpened, 1);
    }

    void playersVolumeWithoutAMaster_data()
    {
        QTest::addColumn<bool>("noMixer");
        QTest::addColumn<qint32>("maximum");
        QTest::newRow("no mixer at all (PipeWire, no card)") << true << 0;
        QTest::newRow("mixer without a master volume") << false << 0;
    }
    void playersVolumeWithoutAMaster()
    {
        QFETCH(bool, noMixer);
        QFETCH(qint32, maximum);
        Rig rig(u"70"_s);
        qint32 level = 0;
        std::unique_ptr<MixerDevice> device = noMixer ? std::unique_ptr<MixerDevice>(std::make_unique<NullMixer>())
                                                      : std::make_unique<MasterMixer>(0, maximum, &level);
        VolumeControl volume(*rig.engine, *rig.options, rig.mixer(std::move(device)));
        volume.settle();
        QCOMPARE(volume.source(), VolumeControl::Source::PlayerVolume);
        QCOMPARE(volume.mixer(), nullptr);
        QCOMPARE(rig.engine->volume(), 70); // the stored level, before any player has started
        QCOMPARE(volume.fraction(), 0.70);
        volume.setFraction(0.333);
        QCOMPARE(rig.engine->volume(), 33);
        QCOMPARE(rig.stored(), u"70"_s); // written once the slider rests
        volume.store();
        QCOMPARE(rig.stored(), u"33"_s);
        // The players get it when they start.
        QVERIFY(rig.engine->initialise());
        QCOMPARE(rig.player->volume(), 33);
    }

    void firstUseSettles()
    {
        Rig rig;
        VolumeControl volume(*rig.engine, *rig.options, rig.mixer(std::make_unique<NullMixer>()));
        QCOMPARE(volume.source(), VolumeControl::Source::Undecided);
        QCOMPARE(volume.fraction(), 1.0); // no stored level: full
        volume.setFraction(1.7);
        QCOMPARE(volume.source(), VolumeControl::Source::PlayerVolume);
        QCOMPARE(rig.engine->volume(), 100);
        volume.setFraction(-1.0);
        QCOMPARE(rig.engine->volume(), 0);
        volume.store();
        QCOMPARE(rig.stored(), u"0"_s);
    }

    void storedLevelIsRead_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("fraction");
        QTest::newRow("number") << u"45"_s << 0.45;
        QTest::newRow("blanks around") << u" 45 "_s << 0.45;
        QTest::newRow("above 100") << u"250"_s << 1.0;
        QTest::newRow("negative") << u"-5"_s << 0.0;
        QTest::newRow("not a number") << u"loud"_s << 1.0;
        QTest::newRow("empty") << QString(u""_s) << 1.0;
    }
    void storedLevelIsRead()
    {
        QFETCH(QString, stored);
        QFETCH(double, fraction);
        Rig rig(stored);
        VolumeControl volume(*rig.engine, *rig.options, rig.mixer(std::make_unique<NullMixer>()));
        QCOMPARE(volume.fraction(), fraction);
    }

    void storingWithoutAWritableIpodKeepsTheLevel()
    {
        Rig rig;
        mdlOptions nowhere { QString() }; // writes fail
        VolumeControl volume(*rig.engine, nowhere, rig.mixer(nullptr));
        volume.setFraction(0.5);
        volume.store();
        QCOMPARE(volume.fraction(), 0.5);
        QCOMPARE(rig.engine->volume(), 50);
    }
};

QTEST_GUILESS_MAIN(tst_VolumeControl)
#include "tst_VolumeControl.moc"
