// The volume control over a scripted mixer, and the paths without a mixer.
#include "playback/AlsaMixer.h"
#include "playback/clsVolume.h"

#include <QTest>

#include <limits>
#include <map>

using namespace quaverly::playback;

namespace {

/// A mixer with chosen lines. Values live per control id; every write is logged.
class FakeMixer : public MixerDevice
{
public:
    struct Line
    {
        qint32 minimum = 0;
        qint32 maximum = 0;
        bool hasMute = false;
    };
    std::map<MixerLine, Line> lines;
    bool opens = true;
    bool readsFail = false;
    std::map<int, qint32>* values = nullptr; // outlives the mixer, which the volume control owns
    std::vector<std::pair<int, qint32>>* writes = nullptr;

    bool open() override { return opens; }
    std::optional<MixerControl> findControl(MixerLine line, MixerControlType type) override
    {
        const auto it = lines.find(line);
        if (it == lines.end() || (type == MixerControlType::Mute && !it->second.hasMute))
            return {};
        const int id = static_cast<int>(line) * 2 + (type == MixerControlType::Mute ? 1 : 0);
        if (type == MixerControlType::Mute)
            return MixerControl { id, 0, 1 };
        return MixerControl { id, it->second.minimum, it->second.maximum };
    }
    std::optional<qint32> readValue(const MixerControl& control) override
    {
        if (readsFail)
            return {};
        return (*values)[control.id];
    }
    bool writeValue(const MixerControl& control, qint32 value) override
    {
        writes->emplace_back(control.id, value);
        (*values)[control.id] = value;
        return true;
    }
};

constexpr int speakersVolumeId = static_cast<int>(MixerLine::Speakers) * 2;
constexpr int speakersMuteId = speakersVolumeId + 1;

} // namespace

class tst_clsVolume : public QObject
{
    Q_OBJECT
private:
    std::map<int, qint32> m_values;
    std::vector<std::pair<int, qint32>> m_writes;

    std::unique_ptr<FakeMixer> mixer(std::map<MixerLine, FakeMixer::Line> lines)
    {
        m_values.clear();
        m_writes.clear();
        auto m = std::make_unique<FakeMixer>();
        m->lines = std::move(lines);
        m->values = &m_values;
        m->writes = &m_writes;
        return m;
    }

private Q_SLOTS:
    void waveVolumeIsClamped_data()
    {
        QTest::addColumn<qint32>("minimum");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<qint32>("written");
        QTest::addColumn<qint32>("stored");
        QTest::newRow("inside") << 0 << 65535 << 30000 << 30000;
        QTest::newRow("above the maximum") << 0 << 65535 << 70000 << 65535;
        QTest::newRow("below the minimum") << 0 << 65535 << -1 << 0;
        QTest::newRow("at the maximum") << 0 << 87 << 87 << 87;
        QTest::newRow("negative bounds (dB-like)") << -6400 << 0 << -9000 << -6400;
        QTest::newRow("largest 32-bit value") << 0 << 31 << std::numeric_limits<qint32>::max() << 31;
        QTest::newRow("smallest 32-bit value") << 5 << 31 << std::numeric_limits<qint32>::min() << 5;
    }
    void waveVolumeIsClamped()
    {
        QFETCH(qint32, minimum);
        QFETCH(qint32, maximum);
        QFETCH(qint32, written);
        QFETCH(qint32, stored);
        clsVolume volume(mixer({ { MixerLine::Speakers, { minimum, maximum, true } } }));
        QVERIFY(volume.mixerFound());
        QCOMPARE(volume.MinWaveVolume(), minimum);
        QCOMPARE(volume.MaxWaveVolume(), maximum);
        volume.setWaveVolume(written);
        QCOMPARE(m_writes.size(), size_t(1));
        QCOMPARE(m_writes[0].first, speakersVolumeId);
        QCOMPARE(m_writes[0].second, stored);
        QCOMPARE(volume.WaveVolume(), stored);
    }

    void muteIsWrittenAsGiven()
    {
        clsVolume volume(mixer({ { MixerLine::Speakers, { 0, 100, true } } }));
        volume.setWaveMute(1);
        QCOMPARE(volume.WaveMute(), 1);
        volume.setWaveMute(7); // no clamping for switches
        QCOMPARE(m_writes.back(), std::make_pair(speakersMuteId, 7));
    }

    void linesAndMasks()
    {
        clsVolume volume(mixer({ { MixerLine::Speakers, { 0, 100, false } },
                                 { MixerLine::Auxiliary, { 0, 31, true } },
                                 { MixerLine::CompactDisc, { 0, 15, false } } }));
        QVERIFY(volume.VolumeAvailable(1));
        QVERIFY(!volume.MuteAvailable(1));
        QVERIFY(!volume.VolumeAvailable(2));
        QVERIFY(!volume.VolumeAvailable(4));
        QVERIFY(volume.VolumeAvailable(8)); // line-in found as the auxiliary source
        QVERIFY(volume.MuteAvailable(8));
        QVERIFY(volume.VolumeAvailable(16));
        QVERIFY(!volume.VolumeAvailable(32));

        // Line-in works through the auxiliary source.
        QCOMPARE(volume.MaxLineInVolume(), 31);
        volume.setLineInVolume(40);
        QCOMPARE(volume.LineInVolume(), 31);
        volume.setLineInMute(1);
        QCOMPARE(volume.LineInMute(), 1);

        // The speakers have no mute control: reading gives 0, writing does nothing.
        m_writes.clear();
        volume.setWaveMute(1);
        QCOMPARE(volume.WaveMute(), 0);
        // A missing line: bounds 0, reads 0, nothing written.
        QCOMPARE(volume.MaxMidVolume(), 0);
        volume.setMIDIVolume(10);
        QCOMPARE(volume.MIDIVolume(), 0);
        QVERIFY(m_writes.empty());
    }

    void lineSourceIsPreferredToAuxiliary()
    {
        clsVolume volume(mixer({ { MixerLine::Line, { 0, 10, false } }, { MixerLine::Auxiliary, { 0, 99, true } } }));
        QCOMPARE(volume.MaxLineInVolume(), 10);
        QVERIFY(!volume.MuteAvailable(8)); // the mute of the line source, which has none
    }

    void failedReadGivesZero()
    {
        auto m = mixer({ { MixerLine::Speakers, { 0, 100, true } } });
        m->readsFail = true;
        clsVolume volume(std::move(m));
        m_values[speakersVolumeId] = 55;
        QCOMPARE(volume.WaveVolume(), 0);
    }

    void noMixer()
    {
        auto m = mixer({ { MixerLine::Speakers, { 0, 100, true } } });
        m->opens = false;
        clsVolume volume(std::move(m));
        QVERIFY(!volume.mixerFound());
        volume.setWaveVolume(50);
        volume.setWaveMute(1);
        QVERIFY(m_writes.empty());
        QCOMPARE(volume.WaveVolume(), 0);
        QCOMPARE(volume.MaxWaveVolume(), 0);
        QVERIFY(!volume.VolumeAvailable(1));

        clsVolume none(nullptr);
        QVERIFY(!none.mixerFound());
        QCOMPARE(none.WaveVolume(), 0);
    }

    void systemMixerUnderNullOutputIsNone()
    {
        qputenv("QUAVERLY_AUDIO_OUT", "null");
        clsVolume volume(makeSystemMixer());
        QVERIFY(!volume.mixerFound());
        QCOMPARE(volume.WaveVolume(), 0);
    }

    void alsaWithoutSuchCardDoesNotOpen()
    {
        AlsaMixer alsa("hw:97");
        QVERIFY(!alsa.open());
        QVERIFY(!alsa.findControl(MixerLine::Speakers, MixerControlType::Volume));
        QVERIFY(!alsa.readValue(MixerControl { 0, 0, 100 }));
        QVERIFY(!alsa.writeValue(MixerControl { 0, 0, 100 }, 5));
    }
};

QTEST_GUILESS_MAIN(tst_clsVolume)
#include "tst_clsVolume.moc"
