#include "database/ByteWindow.h"

#include <algorithm>

namespace quaverly::database {

ByteWindow::ByteWindow(QByteArray data)
    : m_buffer(std::move(data))
{
    m_size = m_buffer.size();
    m_bufferFilled = m_size;
}

ByteWindow::ByteWindow(QFile& file, qint64 windowBytes)
    : m_file(&file)
    , m_windowBytes(std::max<qint64>(windowBytes, 4096))
    , m_size(file.size())
{
}

const uchar* ByteWindow::at(qint64 pos, qint64 n)
{
    if (pos < 0 || n < 0 || pos > m_size || n > m_size - pos)
        return nullptr;
    if (pos < m_bufferStart || pos + n > m_bufferStart + m_bufferFilled) {
        if (!m_file || !refill(pos, n))
            return nullptr;
    }
    return reinterpret_cast<const uchar*>(m_buffer.constData()) + (pos - m_bufferStart);
}

bool ByteWindow::refill(qint64 pos, qint64 n)
{
    const qint64 wanted = std::min(std::max(n, m_windowBytes), m_size - pos);
    if (m_buffer.size() < wanted)
        m_buffer.resize(wanted);
    m_bufferStart = pos;
    m_bufferFilled = 0;
    if (!m_file->seek(pos)) {
        m_readFailed = true;
        return false;
    }
    while (m_bufferFilled < wanted) {
        const qint64 got = m_file->read(m_buffer.data() + m_bufferFilled, wanted - m_bufferFilled);
        if (got <= 0) {
            m_readFailed = true;
            break;
        }
        m_bufferFilled += got;
    }
    return m_bufferFilled >= n;
}

} // namespace quaverly::database
