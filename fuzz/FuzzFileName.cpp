#include "export/ExtractCore.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTargets.h"

#include <QStringList>

namespace quaverly::fuzz {
namespace {

// Field text as it may come out of a database: UTF-16 with any code units,
// lone surrogates included.
QString utf16Field(FuzzInput& input)
{
    const QByteArray bytes = input.takeBytes(600);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
}

qsizetype utf8Bytes(const QString& text)
{
    return text.toUtf8().size();
}

} // namespace

// The extraction file name: database strings and a user template become a
// path below the target folder. Whatever the fields hold, the name must stay
// inside that folder: no empty, "." or ".." component, no separator or NUL
// inside one, and each component short enough for the file system.
int fuzzFileName(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const QString nameTemplate = input.takeBool() ? QString::fromUtf8(input.takeBytes(200))
                                                  : exporting::kDefaultTemplate.toString();
    QStringList fields;
    for (int i = 0; i < 5; ++i)
        fields.append(utf16Field(input));
    const QString songPath = QString::fromUtf8(input.takeBytes(300));
    const QString suffix = input.takeBool() ? QStringLiteral(" (2)") : QString();

    const QString name = exporting::MakeFileName(nameTemplate, fields[0], fields[1], fields[2], fields[3], fields[4]);
    FUZZ_CHECK(!name.isEmpty());
    const QString extension = exporting::GetFormat(songPath);
    FUZZ_CHECK(!extension.isEmpty());
    for (const QChar c : extension)
        FUZZ_CHECK(c.isLetterOrNumber());

    const QString destination = exporting::destinationName(name, extension, suffix);
    const QStringList parts = destination.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        FUZZ_CHECK(!part.isEmpty());
        FUZZ_CHECK(part != QLatin1String(".") && part != QLatin1String(".."));
        FUZZ_CHECK(!part.contains(QLatin1Char('\\')) && !part.contains(QChar(0)));
        FUZZ_CHECK(utf8Bytes(part) <= exporting::kMaxNameBytes);
    }
    FUZZ_CHECK(parts.last().endsWith(suffix + QLatin1Char('.') + extension));
    return 0;
}

} // namespace quaverly::fuzz
