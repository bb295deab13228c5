#include "common/SettingsKeys.h"

#include "common/Numbers.h"
#include "common/Settings.h"

namespace common {

QString checkText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

bool checkFromText(const QString &stored, bool current)
{
    bool ok = false;
    const int value = stored.trimmed().toInt(&ok);
    return ok && (value == 0 || value == 1) ? value == 1 : current;
}

ViewerSettings readViewerSettings(const SettingsStore &settings)
{
    ViewerSettings values;
    values.PageSize = rangeRuleFromText(settings.read(keys::kMain, keys::kPageFileCount));
    values.MinPictureKB = rangeRuleFromText(settings.read(keys::kMain, keys::kPictureSize));
    return values;
}

}
