#pragma once
#include "settings/Setting.h"

#include <QString>

#include <optional>

namespace quaverly::settings {

/// The program's preferences: section "Options" of the INI file
/// iPod_Control/iTunes/QuaverlyPrefs on the iPod, so they travel with it.
/// Every read and write goes to the file at once (there is no cache), and a
/// write replaces the file atomically. The file is used only where it really
/// lies inside the iPod and only when it is a regular file: one that leads
/// outside through a link reads as the defaults and is never written.
class mdlOptions
{
public:
    /// `iPodRoot` empty: the preferences live nowhere; reads give defaults
    /// and writes fail.
    explicit mdlOptions(QString iPodRoot);

    /// The file's native path (resolved case-insensitively on the iPod).
    [[nodiscard]] QString PrefsPath() const;

    /// The raw text under `key`, or `defaultValue` when it is missing. The
    /// program reads and writes through get / set below, which know each
    /// preference's type and spelling; these two are the file's own view.
    [[nodiscard]] QString GetOption(const QString& key, const QString& defaultValue) const;
    /// Answers false when the file could not be written (or writes are refused).
    bool SaveOption(const QString& key, const QString& value);
    /// Refuses every later write, for an iPod that was unmounted while open.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    [[nodiscard]] bool readOnly() const { return m_readOnly; }

    /// A preference of Preferences.h as stored; nullopt when it is missing
    /// or does not read as its type.
    template <typename S> [[nodiscard]] std::optional<typename S::Value> stored(const S& setting) const
    {
        return storedAt(QLatin1String(setting.key), setting);
    }
    template <typename S>
    [[nodiscard]] std::optional<typename S::Value> stored(const Family<S>& family, const QString& member) const
    {
        return storedAt(family.key(member), family.value);
    }
    /// The preference's stored value, or its default.
    template <typename S> [[nodiscard]] typename S::Value get(const S& setting) const
    {
        return stored(setting).value_or(defaultOf(setting));
    }
    template <typename S> [[nodiscard]] typename S::Value get(const Family<S>& family, const QString& member) const
    {
        return stored(family, member).value_or(defaultOf(family.value));
    }
    /// Writes the value the way the preference is spelled; false as SaveOption.
    template <typename S> bool set(const S& setting, const typename S::Value& value)
    {
        return SaveOption(QLatin1String(setting.key), formatValue(setting, value));
    }
    template <typename S> bool set(const Family<S>& family, const QString& member, const typename S::Value& value)
    {
        return SaveOption(family.key(member), formatValue(family.value, value));
    }

    /// With an empty (null) key the whole section goes; with a null value the key goes.
    static bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& file);

private:
    /// The text stored under `key`, nullopt when the key (or the file) is missing.
    [[nodiscard]] std::optional<QString> storedText(const QString& key) const;
    template <typename S>
    [[nodiscard]] std::optional<typename S::Value> storedAt(const QString& key, const S& setting) const
    {
        const std::optional<QString> text = storedText(key);
        if (!text)
            return std::nullopt;
        return parseValue(setting, *text);
    }

    QString m_root;
    bool m_readOnly = false;
};

} // namespace quaverly::settings
