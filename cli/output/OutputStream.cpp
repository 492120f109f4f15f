#include "cli/output/OutputStream.h"

#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quaverly::cli {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// Bytes one UTF-16 unit can need at most: \u00xx in JSON, three bytes of
// UTF-8 otherwise (a surrogate pair is two units for four bytes).
constexpr size_t kMaxBytesPerUnit = 6;

} // namespace

OutputStream::OutputStream(std::FILE* file)
    : m_file(file)
    , m_buffer(new char[kBufferBytes])
{
}

OutputStream::OutputStream(QIODevice& device)
    : m_device(&device)
    , m_buffer(new char[kBufferBytes])
{
}

OutputStream::~OutputStream()
{
    drain();
}

void OutputStream::fail(const QString& reason)
{
    if (!m_failed)
        m_error = reason;
    m_failed = true;
}

void OutputStream::drain()
{
    if (m_used == 0)
        return;
    const size_t count = m_used;
    m_used = 0;
    if (m_failed)
        return;
    if (m_file) {
        errno = 0;
        if (std::fwrite(m_buffer.get(), 1, count, m_file) != count)
            fail(qt_error_string(errno != 0 ? errno : EIO));
    } else if (m_device->write(m_buffer.get(), static_cast<qint64>(count)) != static_cast<qint64>(count)) {
        fail(m_device->errorString());
    }
}

void OutputStream::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (m_used == kBufferBytes)
            drain();
        const size_t n = std::min(bytes.size(), kBufferBytes - m_used);
        std::memcpy(m_buffer.get() + m_used, bytes.data(), n);
        m_used += n;
        bytes.remove_prefix(n);
    }
}

void OutputStream::put(char c)
{
    reserve(1);
    m_buffer[m_used++] = c;
}

void OutputStream::writeNumber(qint64 value)
{
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    // Work in the negative range, which holds every qint64 (the minimum included).
    qint64 rest = value < 0 ? value : -value;
    do {
        *--p = static_cast<char>('0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0)
        *--p = '-';
    write(std::string_view(p, static_cast<size_t>(end - p)));
}

template <bool Json> void OutputStream::encode(QStringView text)
{
    const char16_t* units = text.utf16();
    const qsizetype count = text.size();
    qsizetype i = 0;
    while (i < count) {
        reserve(kMaxBytesPerUnit * 4);
        // Units that surely fit in the free part of the buffer.
        const qsizetype room = static_cast<qsizetype>((kBufferBytes - m_used) / kMaxBytesPerUnit);
        const qsizetype stop = std::min(count, i + room);
        auto* out = reinterpret_cast<unsigned char*>(m_buffer.get() + m_used);
        for (; i < stop; ++i) {
            char32_t u = units[i];
            if (u < 0x80) {
                if (Json && (u < 0x20 || u == u'"' || u == u'\\')) {
                    *out++ = '\\';
                    switch (u) {
                    case u'"':
                    case u'\\':
                        *out++ = static_cast<unsigned char>(u);
                        break;
                    case u'\b':
                        *out++ = 'b';
                        break;
                    case u'\f':
                        *out++ = 'f';
                        break;
                    case u'\n':
                        *out++ = 'n';
                        break;
                    case u'\r':
                        *out++ = 'r';
                        break;
                    case u'\t':
                        *out++ = 't';
                        break;
                    default:
                        *out++ = 'u';
                        *out++ = '0';
                        *out++ = '0';
                        *out++ = static_cast<unsigned char>(kHex[u >> 4]);
                        *out++ = static_cast<unsigned char>(kHex[u & 0xf]);
                    }
                } else {
                    *out++ = static_cast<unsigned char>(u);
                }
                continue;
            }
            if (u < 0x800) {
                *out++ = static_cast<unsigned char>(0xc0 | (u >> 6));
                *out++ = static_cast<unsigned char>(0x80 | (u & 0x3f));
                continue;
            }
            if (u >= 0xd800 && u <= 0xdfff) {
                if (u <= 0xdbff && i + 1 < count && units[i + 1] >= 0xdc00 && units[i + 1] <= 0xdfff) {
                    u = 0x10000 + ((u - 0xd800) << 10) + (units[++i] - 0xdc00);
                    *out++ = static_cast<unsigned char>(0xf0 | (u >> 18));
                    *out++ = static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3f));
                    *out++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3f));
                    *out++ = static_cast<unsigned char>(0x80 | (u & 0x3f));
                    continue;
                }
                u = 0xfffd; // an unpaired surrogate has no UTF-8 form
            }
            *out++ = static_cast<unsigned char>(0xe0 | (u >> 12));
            *out++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3f));
            *out++ = static_cast<unsigned char>(0x80 | (u & 0x3f));
        }
        m_used = static_cast<size_t>(reinterpret_cast<char*>(out) - m_buffer.get());
    }
}

void OutputStream::writeText(QStringView text)
{
    encode<false>(text);
}

void OutputStream::writeJsonText(QStringView text)
{
    encode<true>(text);
}

bool OutputStream::finish()
{
    drain();
    if (m_file && !m_failed) {
        errno = 0;
        if (std::fflush(m_file) != 0 || std::ferror(m_file))
            fail(qt_error_string(errno != 0 ? errno : EIO));
    }
    return !m_failed;
}

} // namespace quaverly::cli
