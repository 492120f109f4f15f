#include "tools/demoipod/WavTone.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quaverly::tools {
namespace {

void put32(QByteArray& out, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    out.append(raw, 4);
}

void put16(QByteArray& out, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    out.append(raw, 2);
}

} // namespace

QByteArray makeWavTone(double frequencyHz, int durationMs, int sampleRate)
{
    const qint64 samples = qint64(sampleRate) * durationMs / 1000;
    const quint32 dataBytes = static_cast<quint32>(samples * 2);
    QByteArray out;
    out.reserve(44 + dataBytes);
    out.append("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.append("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, static_cast<quint32>(sampleRate));
    put32(out, static_cast<quint32>(sampleRate * 2));
    put16(out, 2);
    put16(out, 16);
    out.append("data", 4);
    put32(out, dataBytes);
    const qint64 fade = std::max<qint64>(1, std::min<qint64>(samples / 4, sampleRate / 20));
    for (qint64 i = 0; i < samples; ++i) {
        const double t = double(i) / sampleRate;
        const double envelope = std::min({ 1.0, double(i) / fade, double(samples - 1 - i) / fade });
        const double wave = 0.6 * std::sin(2 * std::numbers::pi * frequencyHz * t)
            + 0.2 * std::sin(2 * std::numbers::pi * frequencyHz * 1.5 * t);
        put16(out, static_cast<quint16>(static_cast<qint16>(std::lround(wave * envelope * 12000))));
    }
    return out;
}

} // namespace quaverly::tools
