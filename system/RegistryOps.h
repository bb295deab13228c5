#pragma once

#include "common/Registry.h"

#include <QString>

namespace sys {

// The string value, or empty when the key or value is missing or the value is not REG_SZ.
// The text ends at its first NUL character.
QString ReadRegString(
    const common::RegistryHive &hive, common::RegRoot root, const QString &subKey, const QString &valueName);

// Writes text as REG_SZ, creating the key with every missing parent; an empty value name is the
// key's default value. Failures are ignored.
void WriteRegString(common::RegistryHive &hive,
    common::RegRoot root,
    const QString &subKey,
    const QString &valueName,
    const QString &text);

// Deletes one key that has no subkeys; a key with subkeys, or a missing one, is left alone.
void DeleteRegKey(common::RegistryHive &hive, common::RegRoot root, const QString &subKey);

// The text with the characters a file name cannot hold replaced: "\" removed, "/" to a space,
// ":" "*" "?" to their full-width forms, "<" ">" to "[" "]", "|" to "I". The double quote stays.
QString SafeFileName(const QString &text);

}
