#pragma once
#include <QString>
#include <QStringList>

#include <optional>

namespace quaverly::settings {

enum class IniError { None, ReadFailed, WriteFailed };

/// An INI file as the Windows private-profile functions read and write it:
/// "[Section]" lines, then "key=value" lines. Section and key names match
/// ignoring case and surrounding blanks; the first section and the first key
/// of a name win. Values are raw (no escapes); surrounding blanks and one pair
/// of enclosing quotes are removed when read. Comments, blank lines, unknown
/// sections and the line ends (CR LF or LF) are kept as they are on write.
/// Read as UTF-8; a file that is not valid UTF-8 is read as Latin-1.
class IniFile
{
public:
    IniFile() = default;

    /// Reads `path`. A missing file is an empty document, not an error.
    [[nodiscard]] static IniFile load(const QString& path, IniError* error = nullptr);
    [[nodiscard]] static IniFile fromText(const QByteArray& bytes);

    [[nodiscard]] std::optional<QString> value(const QString& section, const QString& key) const;
    [[nodiscard]] QStringList keys(const QString& section) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);

    [[nodiscard]] QByteArray toText() const;
    /// Writes the whole file beside the old one and renames it into place, so
    /// a failed write leaves the old file as it was. Answers false on failure.
    [[nodiscard]] bool save(const QString& path) const;

private:
    [[nodiscard]] qsizetype findSection(const QString& section) const;
    [[nodiscard]] qsizetype sectionEnd(qsizetype header) const;
    [[nodiscard]] qsizetype findKey(qsizetype header, const QString& key) const;

    QStringList m_lines;
    QString m_eol = QStringLiteral("\r\n");
    bool m_finalEol = true;
};

} // namespace quaverly::settings
