#pragma once
// Writes test audio: 16-bit PCM WAV files with a sine tone, RIFF header by hand.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace quaverly::playback::test {

inline void appendLe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

inline void appendLe16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

/// A stereo 44.1 kHz WAV file of `durationMs` with a sine of `frequencyHz`
/// at half scale. Answers false when the file cannot be written.
inline bool writeSineWav(const QString& path, int durationMs, double frequencyHz = 440.0, int channels = 2)
{
    constexpr quint32 kRate = 44100;
    const quint32 frames = kRate * static_cast<quint32>(durationMs) / 1000;
    const quint32 dataBytes = frames * static_cast<quint32>(channels) * 2;
    QByteArray out;
    out.reserve(static_cast<int>(44 + dataBytes));
    out.append("RIFF");
    appendLe32(out, 36 + dataBytes);
    out.append("WAVEfmt ");
    appendLe32(out, 16);
    appendLe16(out, 1); // PCM
    appendLe16(out, static_cast<quint16>(channels));
    appendLe32(out, kRate);
    appendLe32(out, kRate * static_cast<quint32>(channels) * 2);
    appendLe16(out, static_cast<quint16>(channels * 2));
    appendLe16(out, 16);
    out.append("data");
    appendLe32(out, dataBytes);
    for (quint32 i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const auto sample = static_cast<qint16>(16383.0 * std::sin(2.0 * std::numbers::pi * frequencyHz * t));
        for (int c = 0; c < channels; ++c)
            appendLe16(out, static_cast<quint16>(sample));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

/// Bytes that no decoder takes for audio.
inline bool writeGarbage(const QString& path)
{
    QByteArray junk;
    for (int i = 0; i < 64 * 1024; ++i)
        junk.append(static_cast<char>((i * 7919 + 13) % 251));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(junk) == junk.size();
}

} // namespace quaverly::playback::test
