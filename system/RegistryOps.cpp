#include "system/RegistryOps.h"

namespace sys {

QString ReadRegString(
    const common::RegistryHive &hive, common::RegRoot root, const QString &subKey, const QString &valueName)
{
    const auto value = hive.value(root, subKey, valueName);
    if (!value || value->type != common::RegType::Sz)
        return {};
    const QString text = value->text();
    const qsizetype end = text.indexOf(QChar(u'\0'));
    return end < 0 ? text : text.left(end);
}

void WriteRegString(common::RegistryHive &hive,
    common::RegRoot root,
    const QString &subKey,
    const QString &valueName,
    const QString &text)
{
    hive.setValue(root, subKey, common::RegValue::fromString(valueName, text));
}

void DeleteRegKey(common::RegistryHive &hive, common::RegRoot root, const QString &subKey)
{
    hive.deleteKey(root, subKey, false);
}

QString SafeFileName(const QString &text)
{
    static const std::pair<QStringView, QStringView> replacements[] = {
        { u"\\", u"" },
        { u"/", u" " },
        { u":", u"：" },
        { u"*", u"，" },
        { u"<", u"[" },
        { u">", u"]" },
        { u"|", u"I" },
        { u"?", u"？" },
    };
    QString result = text;
    for (const auto &[from, to] : replacements)
        result.replace(from.toString(), to.toString());
    return result;
}

}
