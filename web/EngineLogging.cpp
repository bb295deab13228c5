#include "web/EngineLogging.h"

#include <QLoggingCategory>
#include <QString>

namespace web {

const char *quietEngineLoggingRules()
{
    return "qt.webengine*.info=false\n"
           "qt.webengine*.debug=false\n";
}

void quietEngineLogging()
{
    QLoggingCategory::setFilterRules(QString::fromLatin1(quietEngineLoggingRules()));
}

}
