#pragma once
// The shape of one preference: its key in section "Options", its type, its
// default and how its value is spelled in the file. Preferences.h declares
// every preference of the program with these.

#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

namespace quaverly::settings {

/// How a Boolean is written. Every spelling is read (see parseBool).
enum class BoolText {
    TrueFalse, ///< "True" / "False", as menu ticks are stored
    ZeroOne,   ///< "0" / "1", a check box's value
};

template <typename T> struct Setting;

/// A Boolean. Read: see parseBool; anything else reads as the default.
template <> struct Setting<bool>
{
    using Value = bool;
    const char* key;
    bool defaultValue;
    BoolText written = BoolText::TrueFalse;
};

/// What a whole number outside a setting's range reads as.
enum class OutOfRange {
    UseDefault, ///< it is no value the program wrote
    Clamp,      ///< the nearest end of the range (a level beyond full is full)
};

/// A whole number in decimal. A text that is no number reads as the default;
/// one outside [minimum, maximum] as `outOfRange` says.
template <> struct Setting<int>
{
    using Value = int;
    const char* key;
    int defaultValue;
    int minimum;
    int maximum;
    OutOfRange outOfRange = OutOfRange::UseDefault;
};

/// A text, stored as it is (a path, a file-name template). Every text reads.
template <> struct Setting<QString>
{
    using Value = QString;
    const char* key;
    QStringView defaultValue;
};

/// One of a fixed list of words: read ignoring case as the enumerator at its
/// place in `texts`, written as spelled there. Another word reads as the default.
template <typename E, std::size_t N> struct Choice
{
    using Value = E;
    const char* key;
    std::array<const char*, N> texts;
    E defaultValue;
};

/// Keys made of prefix + member + suffix ("Column:" + header + " size"), each
/// read and written like `value`, whose own key is unused.
template <typename S> struct Family
{
    using Value = typename S::Value;
    const char* prefix;
    const char* suffix;
    S value;

    [[nodiscard]] QString key(const QString& member) const
    {
        return QLatin1String(prefix) + member + QLatin1String(suffix);
    }
};

/// A stored Boolean in every spelling found in preference files: "True" and
/// "False" in any letter case, or a number, 0 meaning false ("1", "-1").
/// nullopt for anything else ("yes", "", "on").
[[nodiscard]] std::optional<bool> parseBool(QStringView text);

[[nodiscard]] std::optional<bool> parseValue(const Setting<bool>& setting, const QString& text);
[[nodiscard]] std::optional<int> parseValue(const Setting<int>& setting, const QString& text);
[[nodiscard]] std::optional<QString> parseValue(const Setting<QString>& setting, const QString& text);
template <typename E, std::size_t N>
[[nodiscard]] std::optional<E> parseValue(const Choice<E, N>& setting, const QString& text)
{
    const QString word = text.trimmed();
    for (std::size_t i = 0; i < N; ++i) {
        if (word.compare(QLatin1String(setting.texts[i]), Qt::CaseInsensitive) == 0)
            return static_cast<E>(i);
    }
    return std::nullopt;
}

[[nodiscard]] QString formatValue(const Setting<bool>& setting, bool value);
[[nodiscard]] QString formatValue(const Setting<int>& setting, int value);
[[nodiscard]] QString formatValue(const Setting<QString>& setting, const QString& value);
template <typename E, std::size_t N> [[nodiscard]] QString formatValue(const Choice<E, N>& setting, E value)
{
    const auto index = static_cast<std::size_t>(value);
    return QLatin1String(setting.texts[index < N ? index : static_cast<std::size_t>(setting.defaultValue)]);
}

[[nodiscard]] inline bool defaultOf(const Setting<bool>& setting)
{
    return setting.defaultValue;
}
[[nodiscard]] inline int defaultOf(const Setting<int>& setting)
{
    return setting.defaultValue;
}
[[nodiscard]] inline QString defaultOf(const Setting<QString>& setting)
{
    return setting.defaultValue.toString();
}
template <typename E, std::size_t N> [[nodiscard]] E defaultOf(const Choice<E, N>& setting)
{
    return setting.defaultValue;
}

} // namespace quaverly::settings
