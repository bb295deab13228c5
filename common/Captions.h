#pragma once

#include <QString>

namespace common {

// The window captions and program names the suite shows, each written once.
inline const QString kViewerName = QStringLiteral("Vistelle");
inline const QString kViewerCaption = QStringLiteral("Vistelle (v9.0)");
inline const QString kBrowserName = QStringLiteral("Nimbrow");
inline const QString kBrowserCaption = QStringLiteral("Nimbrow (v9.0)");

}
