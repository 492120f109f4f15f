#include "playback/PlayOrder.h"

#include <random>

namespace quaverly::playback {

QString ConvertToTime(qint64 ms, bool roundUp)
{
    if (ms < 0)
        ms = 0;
    qint64 seconds = ms / 1000;
    if (roundUp && ms % 1000 != 0)
        ++seconds;
    return QString::number(seconds / 60) + QLatin1Char(':')
        + QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}

namespace {

/// Seconds of an "M:SS" text, or -1 when it is not one.
qint64 secondsOf(const QString& text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return -1;
    bool minutesOk = false;
    bool secondsOk = false;
    const qint64 minutes = text.left(colon).trimmed().toLongLong(&minutesOk);
    const qint64 seconds = text.mid(colon + 1).trimmed().toLongLong(&secondsOk);
    if (!minutesOk || !secondsOk || minutes < 0 || seconds < 0)
        return -1;
    return minutes * 60 + seconds;
}

} // namespace

QString remainingText(const QString& lengthText, const QString& elapsedText)
{
    QString length = lengthText;
    length.remove(QStringLiteral("Length: "), Qt::CaseInsensitive);
    if (length.isEmpty() || elapsedText.isEmpty())
        return {};
    const qint64 total = secondsOf(length);
    const qint64 elapsed = secondsOf(elapsedText);
    if (total < 0 || elapsed < 0)
        return {};
    const qint64 left = qMax<qint64>(0, total - elapsed);
    return QLatin1Char('-') + QString::number(left / 60) + QLatin1Char(':')
        + QString::number(left % 60).rightJustified(2, QLatin1Char('0'));
}

qint64 shuffleSeed(qint64 startTick, qint64 uin)
{
    constexpr qint64 kTickModulus = 24564;
    constexpr qint64 kSeedModulus = 23455;
    const qint64 tickPart = ((startTick % kTickModulus) + kTickModulus) % kTickModulus;
    const qint64 uinPart = uin % kSeedModulus; // the same residue, without overflow for any UIN
    return ((tickPart * uinPart) % kSeedModulus + kSeedModulus) % kSeedModulus;
}

int shuffleRow(qint64 seed, int rowCount)
{
    if (rowCount <= 0)
        return -1;
    // mt19937's output sequence is fixed by the C++ standard, so a seed picks
    // the same row with every compiler and library.
    std::mt19937 generator(static_cast<std::mt19937::result_type>(seed));
    const double r = static_cast<double>(generator()) / 4294967296.0; // [0, 1)
    const int row = static_cast<int>(r * rowCount);
    return qMin(row, rowCount - 1);
}

} // namespace quaverly::playback
