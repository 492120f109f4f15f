#include "settings/Setting.h"

#include <cmath>

namespace quaverly::settings {

std::optional<bool> parseBool(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = t.toDouble(&isNumber);
    if (isNumber && std::isfinite(number))
        return number != 0.0;
    return std::nullopt;
}

std::optional<bool> parseValue(const Setting<bool>&, const QString& text)
{
    return parseBool(text);
}

std::optional<int> parseValue(const Setting<int>& setting, const QString& text)
{
    bool isNumber = false;
    const int number = text.trimmed().toInt(&isNumber);
    if (!isNumber)
        return std::nullopt;
    if (number >= setting.minimum && number <= setting.maximum)
        return number;
    if (setting.outOfRange == OutOfRange::Clamp)
        return number < setting.minimum ? setting.minimum : setting.maximum;
    return std::nullopt;
}

std::optional<QString> parseValue(const Setting<QString>&, const QString& text)
{
    return text;
}

QString formatValue(const Setting<bool>& setting, bool value)
{
    if (setting.written == BoolText::ZeroOne)
        return value ? QStringLiteral("1") : QStringLiteral("0");
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString formatValue(const Setting<int>&, int value)
{
    return QString::number(value);
}

QString formatValue(const Setting<QString>&, const QString& value)
{
    return value;
}

} // namespace quaverly::settings
