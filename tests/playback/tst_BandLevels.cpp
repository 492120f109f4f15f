// Reading the band levels from the measuring filter's metadata.
#include "playback/BandLevels.h"

#include <QTest>

using namespace quaverly::playback;

class tst_BandLevels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void levelsFromStats()
    {
        const BandStats stats = {
            { "lavfi.astats.1.RMS_level", "-3.0" }, // the stereo pair: not a band
            { "lavfi.astats.2.RMS_level", "-3.0" },   { "lavfi.astats.3.RMS_level", "-40.5" }, // 63 Hz
            { "lavfi.astats.6.RMS_level", "-12.25" },                                          // 500 Hz
            { "lavfi.astats.7.RMS_level", "-inf" },                                            // silence
            { "lavfi.astats.8.RMS_level", "loud" },                                            // unreadable
            { "lavfi.astats.9.Peak_level", "-1.0" },                                           // another measure
            { "lavfi.astats.10.RMS_level", "-200" },                                           // below the floor
            { "lavfi.astats.11.RMS_level", "-5" },                                             // past the last band
            { "lavfi.astats.x.RMS_level", "-5" },
        };
        const QList<double> expected = { -40.5,      kSilenceDb, kSilenceDb, -12.25,
                                         kSilenceDb, kSilenceDb, kSilenceDb, kSilenceDb };
        QCOMPARE(bandLevelsFromStats(stats), expected);
        QCOMPARE(bandLevelsFromStats({}), QList<double>(kBandCount, kSilenceDb));
    }
};

QTEST_GUILESS_MAIN(tst_BandLevels)
#include "tst_BandLevels.moc"
