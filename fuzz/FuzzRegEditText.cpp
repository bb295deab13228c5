#include "common/RegEditText.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr common::RegRoot kRoots[] = {
    common::RegRoot::ClassesRoot, common::RegRoot::CurrentUser, common::RegRoot::LocalMachine
};

QStringList dump(const common::RegistryHive &hive, common::RegRoot root, const QString &path = {})
{
    QStringList lines { QLatin1Char('[') + path + QLatin1Char(']') };
    for (const auto &value : hive.values(root, path))
        lines.append(value.name + QLatin1Char('|') + QString::number(int(value.type)) + QLatin1Char('|')
            + QString::fromLatin1(value.data.toHex()));
    for (const QString &child : hive.subKeys(root, path))
        lines += dump(hive, root, path.isEmpty() ? child : path + QLatin1Char('\\') + child);
    return lines;
}

}

// Feeds any bytes to the importer; whatever it accepts must export and import again to the same hive.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto hive = common::RegistryHive::openInMemory();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    if (!common::importRegEditText(*hive, bytes, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    auto copy = common::RegistryHive::openInMemory();
    for (const common::RegRoot root : kRoots) {
        const auto text = common::exportRegEditText(*hive, root, QString());
        if (!text)
            continue; // names with line breaks cannot be written as this text
        if (!common::importRegEditText(*copy, *text, &error) || dump(*copy, root) != dump(*hive, root))
            std::abort();
    }
    return 0;
}
