#pragma once

#include "web/PagePolicy.h"

class QWebEnginePage;

namespace web {

// Applies the policy of a generated local page to the page that shows it: page scripts, reach of
// other local files and the default text encoding; script windows and plug-ins are always off.
void applyGeneratedPagePolicy(QWebEnginePage *page, const GeneratedPagePolicy &policy);

}
