#include "settings/mdlOptions.h"

#include "device/DeviceGuard.h"
#include "device/DevicePath.h"
#include "settings/IniFile.h"
#include "settings/Preferences.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSettings, "quaverly.settings")

namespace quaverly::settings {

mdlOptions::mdlOptions(QString iPodRoot)
    : m_root(std::move(iPodRoot))
{
}

QString mdlOptions::PrefsPath() const
{
    return device::DevicePath(m_root).resolve(QStringLiteral("iPod_Control/iTunes/QuaverlyPrefs")).value_or(QString());
}

QString mdlOptions::GetOption(const QString& key, const QString& defaultValue) const
{
    return storedText(key).value_or(defaultValue);
}

std::optional<QString> mdlOptions::storedText(const QString& key) const
{
    QString real;
    if (device::DeviceGuard(m_root).checkFile(PrefsPath(), &real) != device::FileRefusal::None || real.isEmpty())
        return std::nullopt;
    return IniFile::load(real).value(QLatin1String(prefs::kSection), key);
}

bool mdlOptions::SaveOption(const QString& key, const QString& value)
{
    if (m_readOnly)
        return false; // the iPod went away: nothing more is written to it
    // Written where the file really lies, and only on the iPod: the new file
    // is made beside it and renamed over it there.
    const QString path = PrefsPath();
    const device::DeviceGuard guard(m_root);
    const device::FileRefusal refusal = guard.checkFile(path);
    const QString real = guard.inside(path);
    if (real.isEmpty() || (refusal != device::FileRefusal::None && refusal != device::FileRefusal::Missing)) {
        qCWarning(lcSettings) << "not saving option" << key << "to" << path << ":" << device::describeRefusal(refusal);
        return false;
    }
    const bool ok = WriteIniString(QLatin1String(prefs::kSection), key, value, real);
    if (!ok)
        qCWarning(lcSettings) << "could not save option" << key << "to" << path;
    return ok;
}

bool mdlOptions::WriteIniString(const QString& section, const QString& key, const QString& value, const QString& file)
{
    if (file.isEmpty())
        return false;
    IniError error = IniError::None;
    IniFile ini = IniFile::load(file, &error);
    if (error != IniError::None)
        return false; // never replace a file we could not read
    if (key.isNull())
        ini.removeSection(section);
    else if (value.isNull())
        ini.removeKey(section, key);
    else
        ini.setValue(section, key, value);
    return ini.save(file);
}

} // namespace quaverly::settings
