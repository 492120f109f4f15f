#pragma once
#include <QByteArray>
#include <QFile>
#include <QtEndian>

namespace quaverly::database {

/// Read access to a database file by offset, without holding the whole file:
/// a window of the file is kept in memory and moved forward as the reader
/// asks for later bytes. It can also wrap bytes already in memory (an
/// inflated iTunesCDB, a test fixture).
class ByteWindow
{
public:
    static constexpr qint64 kDefaultWindowBytes = 4 * 1024 * 1024;

    /// Wraps bytes in memory; the window is the whole buffer.
    explicit ByteWindow(QByteArray data);
    /// Reads `file` (open for reading) window by window.
    explicit ByteWindow(QFile& file, qint64 windowBytes = kDefaultWindowBytes);

    [[nodiscard]] qint64 size() const { return m_size; }
    /// The bytes [pos, pos + n), or nullptr when they lie outside the file or
    /// cannot be read (see readFailed()). Valid until the next call.
    [[nodiscard]] const uchar* at(qint64 pos, qint64 n);
    /// True once reading the file failed (an unplugged iPod, an I/O error).
    [[nodiscard]] bool readFailed() const { return m_readFailed; }

    [[nodiscard]] static qint32 i32(const uchar* p) { return qFromLittleEndian<qint32>(p); }
    [[nodiscard]] static quint32 u32(const uchar* p) { return qFromLittleEndian<quint32>(p); }
    [[nodiscard]] static quint64 u64(const uchar* p) { return qFromLittleEndian<quint64>(p); }

private:
    bool refill(qint64 pos, qint64 n);

    QFile* m_file = nullptr;
    QByteArray m_buffer;
    qint64 m_bufferStart = 0;
    qint64 m_bufferFilled = 0;
    qint64 m_windowBytes = kDefaultWindowBytes;
    qint64 m_size = 0;
    bool m_readFailed = false;
};

} // namespace quaverly::database
