#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>

class QWebEnginePage;

namespace web {

// Runs the suite's script `name` (see web/AppScripts.h) with args in the page's application world:
// page scripts cannot see or change it, and it runs even when the page's own scripts are off. It
// reads and changes the same document. done, when given, receives what the script answers (an
// invalid value when the page is gone or there is no such script).
void runAppScript(QWebEnginePage *page,
    const QString &name,
    const QVariantList &args = {},
    const std::function<void(const QVariant &)> &done = {});

// Zooms the shown document to percent (100 is its natural size).
void zoomPage(QWebEnginePage *page, int percent);

// Scrolls the shown document by (dx, dy) pixels.
void scrollPage(QWebEnginePage *page, int dx, int dy);

}
