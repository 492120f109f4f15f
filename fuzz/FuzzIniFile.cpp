#include "fuzz/FuzzTargets.h"
#include "settings/IniFile.h"

#include <QByteArray>

namespace quaverly::fuzz {

// The preferences file on the iPod may be written by anything. Reading it
// must never crash, and a value set and saved must read back after a reload,
// whatever the rest of the file holds.
int fuzzIniFile(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    settings::IniFile ini = settings::IniFile::fromText(bytes);
    for (const QString& section : { QStringLiteral("Options"), QStringLiteral("Fuzz"), QString() }) {
        for (const QString& key : ini.keys(section))
            (void)ini.value(section, key);
    }
    ini.setValue(QStringLiteral("Fuzz"), QStringLiteral("Key"), QStringLiteral("v=1"));
    const settings::IniFile reread = settings::IniFile::fromText(ini.toText());
    FUZZ_CHECK(reread.value(QStringLiteral("Fuzz"), QStringLiteral("Key")) == QStringLiteral("v=1"));
    ini.removeSection(QStringLiteral("Fuzz"));
    FUZZ_CHECK(!settings::IniFile::fromText(ini.toText()).value(QStringLiteral("Fuzz"), QStringLiteral("Key")));
    return 0;
}

} // namespace quaverly::fuzz
