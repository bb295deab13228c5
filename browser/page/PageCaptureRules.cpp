#include "browser/page/PageCaptureRules.h"

namespace browser::page {

std::optional<QString> captureFileName(const QString &frameCaption)
{
    const qsizetype dash = frameCaption.indexOf(QLatin1Char('-'));
    if (dash < 1)
        return std::nullopt;
    return frameCaption.left(dash - 1) + QStringLiteral(".jpg");
}

}
