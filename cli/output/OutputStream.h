#pragma once
#include <QString>
#include <QStringView>

#include <cstdio>
#include <memory>
#include <string_view>

class QIODevice;

namespace quaverly::cli {

/// Bytes for stdout or a file, gathered in a 64 KiB buffer and handed on in
/// large writes, so a command writes its rows as it produces them and never
/// holds its whole output. Text goes out as UTF-8; an unpaired UTF-16
/// surrogate becomes U+FFFD, so the output is always valid UTF-8.
/// Write errors are remembered rather than thrown: the first one stops all
/// further writing, and finish() reports it.
class OutputStream
{
public:
    static constexpr size_t kBufferBytes = 64 * 1024;

    /// Writes to a C stream (stdout). The stream is flushed by finish().
    explicit OutputStream(std::FILE* file);
    /// Writes to an open device (a QSaveFile for a file on the iPod).
    explicit OutputStream(QIODevice& device);
    /// Hands on what is still buffered; an error found then is lost, so
    /// callers that care call finish() first.
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    /// Raw bytes (ASCII punctuation, numbers already formatted, UTF-8).
    void write(std::string_view bytes);
    void put(char c);
    /// UTF-16 text as UTF-8.
    void writeText(QStringView text);
    /// UTF-16 text as the inside of a JSON string (RFC 8259): `"` and `\`
    /// escaped, control characters as \b \f \n \r \t or \u00xx, the rest as
    /// UTF-8. The quotes themselves are not written.
    void writeJsonText(QStringView text);
    /// A whole number in decimal.
    void writeNumber(qint64 value);

    /// Hands every buffered byte on (and flushes a C stream). False once any
    /// write has failed.
    bool finish();
    [[nodiscard]] bool failed() const { return m_failed; }
    /// The system's reason for the first failed write.
    [[nodiscard]] const QString& errorString() const { return m_error; }

private:
    template <bool Json> void encode(QStringView text);
    /// Room for at least `n` bytes at m_used (n <= kBufferBytes).
    void reserve(size_t n)
    {
        if (kBufferBytes - m_used < n)
            drain();
    }
    void drain();
    void fail(const QString& reason);

    std::FILE* m_file = nullptr;
    QIODevice* m_device = nullptr;
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace quaverly::cli
