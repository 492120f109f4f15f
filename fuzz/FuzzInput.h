#pragma once
#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quaverly::fuzz {

/// Splits one fuzz input into several values, front to back. Builds with any
/// compiler, so the replay tests need no libFuzzer headers. Past the end it
/// answers false and empty values.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    [[nodiscard]] bool takeBool() { return m_pos < m_size && (m_data[m_pos++] & 1) != 0; }

    /// Up to `maxBytes` bytes; the length comes from the next two bytes.
    [[nodiscard]] QByteArray takeBytes(std::size_t maxBytes)
    {
        std::size_t length = 0;
        for (int i = 0; i < 2 && m_pos < m_size; ++i)
            length = length * 256 + m_data[m_pos++];
        length = std::min(length % (maxBytes + 1), m_size - m_pos);
        QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(length));
        m_pos += length;
        return bytes;
    }

    /// All bytes not taken yet.
    [[nodiscard]] QByteArray rest()
    {
        QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(m_size - m_pos));
        m_pos = m_size;
        return bytes;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace quaverly::fuzz
