#include "settings/mdlOptions.h"

#include "device/DeviceGuard.h"
#include "device/DevicePath.h"
#include "settings/IniFile.h"
#include "settings/OptionKeys.h"

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
    QString real;
    if (device::DeviceGuard(m_root).checkFile(PrefsPath(), &real) != device::FileRefusal::None)
        return defaultValue;
    return ReadIniString(QLatin1String(keys::kSection), key, defaultValue, real);
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
    const bool ok = WriteIniString(QLatin1String(keys::kSection), key, value, real);
    if (!ok)
        qCWarning(lcSettings) << "could not save option" << key << "to" << path;
    return ok;
}

std::optional<bool> mdlOptions::toBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = t.toDouble(&isNumber);
    if (isNumber)
        return number != 0.0;
    return std::nullopt;
}

QString mdlOptions::fromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString mdlOptions::ReadIniString(const QString& section, const QString& key, const QString& defaultValue,
                                  const QString& file)
{
    if (file.isEmpty())
        return defaultValue;
    return IniFile::load(file).value(section, key).value_or(defaultValue);
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
