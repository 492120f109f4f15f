#include "cli/output/JsonWriter.h"

#include <QByteArray>
#include <QCborValue>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>

#include <cmath>

namespace quaverly::cli {

JsonWriter::JsonWriter(OutputStream& out)
    : m_out(out)
{
}

void JsonWriter::indent(size_t depth)
{
    static constexpr std::string_view kSpaces = "                                                                ";
    size_t spaces = depth * 4;
    while (spaces > 0) {
        const size_t n = std::min(spaces, kSpaces.size());
        m_out.write(kSpaces.substr(0, n));
        spaces -= n;
    }
}

void JsonWriter::prefix()
{
    m_started = true;
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    Level& level = m_levels.back();
    m_out.write(level.count++ > 0 ? ",\n" : "\n");
    indent(m_levels.size());
}

void JsonWriter::afterValue()
{
    if (m_levels.empty())
        m_out.put('\n'); // the document is complete
}

void JsonWriter::open(char bracket)
{
    prefix();
    m_out.put(bracket);
    m_levels.push_back({ 0 });
}

void JsonWriter::close(char bracket)
{
    if (m_levels.empty())
        return;
    m_levels.pop_back();
    m_out.put('\n');
    indent(m_levels.size());
    m_out.put(bracket);
    afterValue();
}

void JsonWriter::key(std::string_view name)
{
    prefix();
    m_out.put('"');
    m_out.write(name);
    m_out.write("\": ");
    m_afterKey = true;
}

void JsonWriter::key(QStringView name)
{
    prefix();
    m_out.put('"');
    m_out.writeJsonText(name);
    m_out.write("\": ");
    m_afterKey = true;
}

void JsonWriter::value(QStringView text)
{
    prefix();
    m_out.put('"');
    m_out.writeJsonText(text);
    m_out.put('"');
    afterValue();
}

void JsonWriter::writeInteger(qint64 number)
{
    prefix();
    m_out.writeNumber(number);
    afterValue();
}

void JsonWriter::writeBool(bool flag)
{
    prefix();
    m_out.write(flag ? "true" : "false");
    afterValue();
}

void JsonWriter::null()
{
    prefix();
    m_out.write("null");
    afterValue();
}

void JsonWriter::value(double number)
{
    if (!std::isfinite(number)) {
        null();
        return;
    }
    prefix();
    const QByteArray text = QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    m_out.write(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    afterValue();
}

void JsonWriter::value(const QJsonValue& tree)
{
    switch (tree.type()) {
    case QJsonValue::Bool:
        writeBool(tree.toBool());
        return;
    case QJsonValue::Double: {
        // Whole numbers are kept as integers, as QJsonDocument writes them.
        const QCborValue number = QCborValue::fromJsonValue(tree);
        if (number.isInteger())
            writeInteger(number.toInteger());
        else
            value(number.toDouble());
        return;
    }
    case QJsonValue::String:
        value(tree.toString());
        return;
    case QJsonValue::Array:
        beginArray();
        for (const QJsonValue& element : tree.toArray())
            value(element);
        endArray();
        return;
    case QJsonValue::Object: {
        beginObject();
        const QJsonObject object = tree.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            key(it.key());
            value(it.value());
        }
        endObject();
        return;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        null();
        return;
    }
}

} // namespace quaverly::cli
