#pragma once
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

    [[nodiscard]] QString GetOption(const QString& key, const QString& defaultValue) const;
    /// Answers false when the file could not be written (or writes are refused).
    bool SaveOption(const QString& key, const QString& value);
    /// Refuses every later write, for an iPod that was unmounted while open.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    [[nodiscard]] bool readOnly() const { return m_readOnly; }

    /// A stored Boolean ("True", "False", or a number, 0 meaning false);
    /// nullopt for a text that is no Boolean, which leaves the caller's state.
    [[nodiscard]] static std::optional<bool> toBool(const QString& text);
    [[nodiscard]] static QString fromBool(bool value);

    [[nodiscard]] static QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue,
                                               const QString& file);
    /// With an empty (null) key the whole section goes; with a null value the key goes.
    static bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& file);

private:
    QString m_root;
    bool m_readOnly = false;
};

} // namespace quaverly::settings
