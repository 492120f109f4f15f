#pragma once
#include <QString>
#include <QtGlobal>

namespace quaverly::playback {

/// Minutes and seconds of a time in milliseconds: whole seconds are the
/// milliseconds divided by 1000 (truncated; plus one when `roundUp` is set and
/// the division left a remainder), shown as minutes (not padded), ":" and two
/// digits of seconds. 65000 gives "1:05", 600000 gives "10:00", 999 "0:00".
/// Negative times show as "0:00".
[[nodiscard]] QString ConvertToTime(qint64 ms, bool roundUp = false);

/// The remaining-time text from a length text and an elapsed text, both
/// "M:SS" (the length may carry "Length: " in front, any case): "-" followed by
/// the difference as M:SS. Length 3:05 at 1:10 elapsed gives "-1:55". Empty
/// when either text is empty or not a time; "-0:00" when the elapsed time is
/// past the length.
[[nodiscard]] QString remainingText(const QString& lengthText, const QString& elapsedText);

/// The shuffle seed: ((startTick mod 24564) × uin) mod 23455, formed in 64 bits
/// so that large UINs do not overflow; never negative.
[[nodiscard]] qint64 shuffleSeed(qint64 startTick, qint64 uin);

/// The row shuffle picks for a seed: a generator reset to its fixed initial
/// state and reseeded with `seed` draws r in [0, 1); the row is
/// floor(r × rowCount). Equal seeds always give equal rows. -1 for no rows.
[[nodiscard]] int shuffleRow(qint64 seed, int rowCount);

} // namespace quaverly::playback
