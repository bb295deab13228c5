#pragma once

#include <QString>

namespace common {

// A text as the value of an unquoted attribute of a generated page (a title, a colour): besides
// & < > ", everything that would end the value or start another attribute (HTML white space,
// ' ` =) is written as a numeric character reference, so the whole text stays one value. Other
// characters are unchanged.
QString escapeUnquotedAttribute(const QString &text);

}
