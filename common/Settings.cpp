#include "common/Settings.h"

namespace common {

namespace {

    // A section must name a key of its own: an empty one would address the whole application.
    bool isValidSection(const QString &section)
    {
        return !section.split(QLatin1Char('\\'), Qt::SkipEmptyParts).isEmpty();
    }

}

SettingsStore::SettingsStore(RegistryHive &hive, QString application)
    : m_hive(hive)
    , m_application(std::move(application))
{
}

QString SettingsStore::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (!isValidSection(section))
        return defaultValue;
    const auto stored = m_hive.value(RegRoot::CurrentUser, sectionKeyPath(m_application, section), key);
    if (!stored || stored->type != RegType::Sz)
        return defaultValue;
    return stored->text();
}

bool SettingsStore::save(const QString &section, const QString &key, const QString &value)
{
    if (!isValidSection(section))
        return false;
    return m_hive.setValue(
        RegRoot::CurrentUser, sectionKeyPath(m_application, section), RegValue::fromString(key, value));
}

bool SettingsStore::remove(const QString &section, const QString &key)
{
    if (!isValidSection(section))
        return false;
    return m_hive.deleteValue(RegRoot::CurrentUser, sectionKeyPath(m_application, section), key);
}

bool SettingsStore::removeSection(const QString &section)
{
    if (!isValidSection(section))
        return false;
    return m_hive.deleteKey(RegRoot::CurrentUser, sectionKeyPath(m_application, section), true);
}

QString SettingsStore::sectionKeyPath(const QString &application, const QString &section)
{
    return QStringLiteral("Software\\VB and VBA Program Settings\\") + application + QLatin1Char('\\') + section;
}

}
