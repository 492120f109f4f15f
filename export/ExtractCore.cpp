#include "export/ExtractCore.h"

#include "device/IpodDiscovery.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <array>

Q_LOGGING_CATEGORY(lcExport, "quaverly.export")

namespace quaverly::exporting {
namespace {

// A field value holding this exact text becomes a folder level. It is made of
// letters only, so it survives the character filter.
constexpr QStringView kMarker = u"PATHSEPERATOR";

enum FieldSlot { Genre, Artist, Album, Title, TrackNumber, FieldCount };

struct Token
{
    QLatin1String text;
    QStringView unknownName; // what an empty component made from this token becomes
};

// In the order in which they are replaced.
constexpr std::array<Token, FieldCount> kTokens { {
    { QLatin1String("[genre]"), u"Unknown Genre" },
    { QLatin1String("[artist]"), u"Unknown Artist" },
    { QLatin1String("[album]"), u"Unknown Album" },
    { QLatin1String("[title]"), u"Unknown Title" },
    { QLatin1String("[track number]"), u"00" },
} };

bool keptCategory(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

// Leading spaces and trailing spaces and dots go: file systems and file
// managers refuse or hide such names.
QString trimmedName(const QString& name)
{
    qsizetype start = 0;
    while (start < name.size() && name.at(start) == QLatin1Char(' '))
        ++start;
    qsizetype end = name.size();
    while (end > start && (name.at(end - 1) == QLatin1Char(' ') || name.at(end - 1) == QLatin1Char('.')))
        --end;
    return name.mid(start, end - start);
}

QString orDefault(const QString& value, QStringView fallback)
{
    return value.isEmpty() ? fallback.toString() : value;
}

// The unknown-name of the token that comes first in `component`, or empty.
QStringView firstTokenUnknownName(const QString& component)
{
    QStringView name;
    qsizetype best = -1;
    for (const Token& token : kTokens) {
        const qsizetype at = component.indexOf(token.text, 0, Qt::CaseInsensitive);
        if (at >= 0 && (best < 0 || at < best)) {
            best = at;
            name = token.unknownName;
        }
    }
    return name;
}

qsizetype utf8Size(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            bytes += 4;
            ++i;
        } else
            bytes += 3;
    }
    return bytes;
}

// The longest prefix of `name` of at most maxBytes, cut at boundaries of the given kind.
qsizetype fittingLength(const QString& name, qsizetype maxBytes, QTextBoundaryFinder::BoundaryType type)
{
    QTextBoundaryFinder finder(type, name);
    qsizetype fitted = 0;
    qsizetype bytes = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        bytes += utf8Size(QStringView(name).mid(fitted, next - fitted));
        if (bytes > maxBytes)
            break;
        fitted = next;
    }
    return fitted;
}

// The longest prefix of at most maxBytes that does not split a surrogate pair.
qsizetype codePointFittingLength(const QString& name, qsizetype maxBytes)
{
    qsizetype fitted = 0;
    qsizetype bytes = 0;
    while (fitted < name.size()) {
        const qsizetype step = name.at(fitted).isHighSurrogate() && fitted + 1 < name.size() ? 2 : 1;
        bytes += utf8Size(QStringView(name).mid(fitted, step));
        if (bytes > maxBytes)
            break;
        fitted += step;
    }
    return fitted;
}

} // namespace

QString filterNameCharacters(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('-')) {
            kept.append(c);
            continue;
        }
        char32_t codePoint = c.unicode();
        qsizetype length = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, text.at(i + 1));
            length = 2;
        } else if (c.isSurrogate()) {
            continue; // a lone half of a pair is no character
        }
        if (QChar::category(codePoint) == QChar::Separator_Space)
            kept.append(QLatin1Char(' '));
        else if (keptCategory(codePoint))
            kept.append(QStringView(text).mid(i, length));
        i += length - 1;
    }
    return kept;
}

QString MakeFileName(const QString& nameTemplate, const QString& title, const QString& artist, const QString& album,
                     const QString& genre, const QString& trackNumber)
{
    std::array<QString, FieldCount> fields;
    fields[Genre] = orDefault(filterNameCharacters(genre), u"Unknown Genre");
    fields[Artist] = orDefault(filterNameCharacters(artist), u"Unknown Artist");
    fields[Album] = orDefault(filterNameCharacters(album), u"Unknown Album");
    fields[Title] = filterNameCharacters(title);
    fields[TrackNumber] = orDefault(filterNameCharacters(trackNumber), u"00");

    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    static const QString marker = kMarker.toString();
    QStringList components;
    for (const QString& part : nameTemplate.split(separators)) {
        QString text = part;
        for (int slot = 0; slot < FieldCount; ++slot)
            text.replace(kTokens[slot].text, fields[slot], Qt::CaseInsensitive);
        text = filterNameCharacters(text);
        bool named = false;
        for (const QString& piece : text.split(marker, Qt::KeepEmptyParts, Qt::CaseSensitive)) {
            const QString name = trimmedName(piece);
            if (!name.isEmpty()) {
                components.append(name);
                named = true;
            }
        }
        const QStringView unknown = firstTokenUnknownName(part);
        if (!named && !unknown.isEmpty())
            components.append(unknown.toString());
    }
    if (components.isEmpty())
        components.append(kTokens[Title].unknownName.toString());
    return components.join(QLatin1Char('\\'));
}

QString GetFormat(const QString& path)
{
    static const QRegularExpression separators(QStringLiteral("[\\\\/:]"));
    const QString name = path.mid(path.lastIndexOf(separators) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString extension;
    if (dot >= 0) {
        for (const QChar c : QStringView(name).mid(dot + 1)) {
            if (c.isLetterOrNumber())
                extension.append(c);
        }
    }
    extension = fitName(extension, 32);
    return extension.isEmpty() ? QStringLiteral("dat") : extension;
}

QString trackNumberText(qint32 trackNumber)
{
    return device::PadTwoDigits(trackNumber);
}

QString fitName(const QString& name, int maxBytes)
{
    if (utf8Size(name) <= maxBytes)
        return trimmedName(name);
    qsizetype length = fittingLength(name, maxBytes, QTextBoundaryFinder::Grapheme);
    if (length == 0) // one character cluster longer than the limit: cut inside it
        length = codePointFittingLength(name, maxBytes);
    return trimmedName(name.left(length));
}

QString destinationName(const QString& fileName, const QString& extension, const QString& suffix)
{
    QStringList parts = fileName.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        parts.append(kTokens[Title].unknownName.toString());
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        parts[i] = fitName(parts[i]);
        if (parts[i].isEmpty())
            parts[i] = QStringLiteral("Unknown");
    }
    const QString tail = suffix + QLatin1Char('.') + extension;
    QString base = fitName(parts.last(), kMaxNameBytes - static_cast<int>(utf8Size(tail)));
    if (base.isEmpty())
        base = kTokens[Title].unknownName.toString();
    parts.last() = base + tail;
    return parts.join(QLatin1Char('/'));
}

} // namespace quaverly::exporting
