#pragma once
// A second, strict JSON reader for the tests: RapidJSON with UTF-8
// validation. QJsonDocument accepts some things RFC 8259 does not (and
// repairs bad UTF-8 silently), so what scripts receive is checked with a
// reader that shares no code with the writer.
#include <QByteArray>
#include <QString>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

namespace quaverly::test {

/// Empty when `bytes` is exactly one JSON document (surrounding white space
/// allowed) in valid UTF-8; otherwise the reason and where.
inline QString strictJsonError(const QByteArray& bytes)
{
    rapidjson::Document document;
    document.Parse<rapidjson::kParseValidateEncodingFlag>(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (!document.HasParseError())
        return {};
    return QStringLiteral("%1 at byte %2")
        .arg(QString::fromUtf8(rapidjson::GetParseError_En(document.GetParseError())))
        .arg(document.GetErrorOffset());
}

} // namespace quaverly::test
