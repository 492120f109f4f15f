#include "settings/IniFile.h"

#include "device/DeviceGuard.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <unistd.h>

namespace quaverly::settings {
namespace {

std::optional<QString> sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

bool isComment(const QString& line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The key of a "key=value" line, or nullopt for other lines.
std::optional<QString> keyOf(const QString& line)
{
    if (isComment(line))
        return std::nullopt;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

QString valueOf(const QString& line)
{
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile IniFile::fromText(const QByteArray& bytes)
{
    IniFile ini;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (!text.isEmpty()) {
        ini.m_eol = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        ini.m_finalEol = text.endsWith(QLatin1Char('\n'));
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ini.m_lines = text.split(QLatin1Char('\n'));
    if (ini.m_finalEol || text.isEmpty())
        ini.m_lines.removeLast(); // the empty piece after the last line end
    return ini;
}

IniFile IniFile::load(const QString& path, IniError* error)
{
    if (error)
        *error = IniError::None;
    QFile file(path);
    if (!file.exists())
        return {};
    // Only a regular file: reading a FIFO would wait for a writer forever, a device might never end.
    const device::OpenedFile opened = device::openRegularFile(path);
    if (!opened.ok() || !file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (opened.ok())
            ::close(opened.fd);
        if (error)
            *error = IniError::ReadFailed;
        return {};
    }
    return fromText(file.readAll());
}

qsizetype IniFile::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i]))
        ++i;
    return i;
}

qsizetype IniFile::findKey(qsizetype header, const QString& key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyOf(m_lines[i]);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype line = findKey(header, key);
    if (line < 0)
        return std::nullopt;
    return valueOf(m_lines[line]);
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList result;
    const qsizetype header = findSection(section);
    if (header < 0)
        return result;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyOf(m_lines[i]);
        if (name && !result.contains(*name, Qt::CaseInsensitive))
            result.append(*name);
    }
    return result;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
        return;
    }
    const qsizetype line = findKey(header, key);
    if (line >= 0) {
        // Keep the key as it was spelled in the file.
        m_lines[line] = keyOf(m_lines[line]).value_or(key) + u'=' + value;
        return;
    }
    // New keys go after the section's last non-blank line.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, key + u'=' + value);
}

void IniFile::removeKey(const QString& section, const QString& key)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return;
    const qsizetype line = findKey(header, key);
    if (line >= 0)
        m_lines.removeAt(line);
}

void IniFile::removeSection(const QString& section)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return;
    m_lines.remove(header, sectionEnd(header) - header);
}

QByteArray IniFile::toText() const
{
    QString text = m_lines.join(m_eol);
    if (m_finalEol && !m_lines.isEmpty())
        text += m_eol;
    return text.toUtf8();
}

bool IniFile::save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toText();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace quaverly::settings
