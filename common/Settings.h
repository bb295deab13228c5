#pragma once

#include "common/Registry.h"

#include <QString>

namespace common {

// The application name under which every setting of the suite is stored.
inline const QString kAppName = QStringLiteral("Velmora2021");

// The runtime's per-user settings store: one string value per key, kept in the registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.
class SettingsStore {
public:
    explicit SettingsStore(RegistryHive &hive, QString application = kAppName);

    // The stored text, or defaultValue when the key is missing or not a string.
    QString read(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    bool save(const QString &section, const QString &key, const QString &value);
    bool remove(const QString &section, const QString &key);
    bool removeSection(const QString &section);

    static QString sectionKeyPath(const QString &application, const QString &section);

private:
    RegistryHive &m_hive;
    QString m_application;
};

}
