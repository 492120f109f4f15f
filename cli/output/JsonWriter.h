#pragma once
#include "cli/output/OutputStream.h"

#include <QString>
#include <QStringView>

#include <concepts>
#include <string_view>
#include <vector>

class QJsonValue;

namespace quaverly::cli {

/// Writes one JSON document as it is produced, straight into an
/// OutputStream, so a listing of 200,000 tracks never exists in memory as a
/// whole. The layout is the one quaverly-cli has always printed: one value or
/// member per line, four spaces per level, `"key": value`, an empty array or
/// object as its two brackets on two lines, and a line end after the
/// document. Strings are escaped as RFC 8259 asks and written as UTF-8 (an
/// unpaired surrogate becomes U+FFFD). Members come out in the order they are
/// written: the commands write them sorted by key, as scripts have always
/// seen them.
///
///     JsonWriter json(out);
///     json.beginArray();
///     json.beginObject();
///     json.member("index", 3);
///     json.member("title", track.Title);
///     json.endObject();
///     json.endArray();
class JsonWriter
{
public:
    explicit JsonWriter(OutputStream& out);

    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void beginObject() { open('{'); }
    void endObject() { close('}'); }

    /// The name of the next member of the current object: a plain ASCII name.
    void key(std::string_view name);
    /// A name of any text.
    void key(QStringView name);

    void value(QStringView text);
    void value(const QString& text) { value(QStringView(text)); }
    template <std::integral T> void value(T number)
    {
        if constexpr (std::same_as<T, bool>)
            writeBool(number);
        else
            writeInteger(static_cast<qint64>(number));
    }
    /// The shortest text that reads back as the same double; null when it is
    /// not finite (JSON has no infinity or NaN).
    void value(double number);
    /// A whole QJsonValue tree (objects with their keys sorted, as Qt keeps them).
    void value(const QJsonValue& tree);
    void null();

    template <typename T> void member(std::string_view name, const T& v)
    {
        key(name);
        value(v);
    }

    /// True when every container opened has been closed again.
    [[nodiscard]] bool complete() const { return m_levels.empty() && m_started; }

private:
    struct Level
    {
        int count = 0; // values or members written so far
    };

    void open(char bracket);
    void close(char bracket);
    /// The separator and indentation before a value (nothing after a key).
    void prefix();
    void indent(size_t depth);
    void writeInteger(qint64 number);
    void writeBool(bool flag);
    void afterValue();

    OutputStream& m_out;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
    bool m_started = false;
};

} // namespace quaverly::cli
