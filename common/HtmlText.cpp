#include "common/HtmlText.h"

namespace common {

QString escapeUnquotedAttribute(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\t':
        case '\n':
        case '\f':
        case '\r':
        case ' ':
        case '\'':
        case '`':
        case '=':
            out += QLatin1String("&#") + QString::number(c.unicode()) + QLatin1Char(';');
            break;
        case '&':
        case '<':
        case '>':
        case '"':
            out += QString(c).toHtmlEscaped();
            break;
        default:
            out += c;
        }
    }
    return out;
}

}
