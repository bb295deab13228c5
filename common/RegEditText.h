#pragma once

#include "common/Registry.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace common {

// The key and every key below it as REGEDIT4 text: "REGEDIT4", then each key as "[HKEY_...\path]"
// followed by its values and an empty line, CR LF line ends, UTF-8. nullopt and an error text
// when the key does not exist or a name cannot be written in this format.
std::optional<QByteArray> exportRegEditText(
    const RegistryHive &hive, RegRoot root, const QString &keyPath, QString *error = nullptr);

struct RegEditImportSummary {
    int keys = 0; // key lines applied, deletions included
    int values = 0; // value lines applied, deletions included
};

// Applies REGEDIT4 text (also "Windows Registry Editor Version 5.00" text) read as UTF-8,
// GB18030 or UTF-16 with a byte-order mark. The whole text is checked first: on an error
// nothing is changed and error says which line is wrong and why (keys deeper than kMaxKeyDepth
// or with longer names than kMaxKeyNameLength are refused). It is then applied as one
// transaction: when a write fails (full disk, read-only or locked hive) nothing is changed.
std::optional<RegEditImportSummary> importRegEditText(
    RegistryHive &hive, const QByteArray &bytes, QString *error = nullptr);

}
