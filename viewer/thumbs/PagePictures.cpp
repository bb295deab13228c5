#include "PagePictures.h"

#include "common/FileNames.h"

#include <QSet>

namespace viewer::thumbs {

namespace {

    QString unescapeHtml(QString text)
    {
        text.replace(QLatin1String("&quot;"), QLatin1String("\""));
        text.replace(QLatin1String("&lt;"), QLatin1String("<"));
        text.replace(QLatin1String("&gt;"), QLatin1String(">"));
        text.replace(QLatin1String("&amp;"), QLatin1String("&"));
        return text;
    }

    // The local path an absolute address names: %XX are bytes, everything else its UTF-8.
    QString pathOfAddress(const QString &address)
    {
        return common::decodeFileName(QByteArray::fromPercentEncoding(address.toUtf8()));
    }

    // The value of attribute name (written as ` name=`) in element: quoted up to the closing quote,
    // else up to white space. Null when the element has no such attribute.
    QString attribute(QStringView element, QLatin1String name)
    {
        for (qsizetype at = element.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
             at = element.indexOf(name, at + 1, Qt::CaseInsensitive)) {
            const qsizetype value = at + name.size();
            if (at == 0 || !element.at(at - 1).isSpace() || value >= element.size() || element.at(value) != u'=')
                continue;
            qsizetype start = value + 1;
            qsizetype end = start;
            if (start < element.size() && element.at(start) == u'"') {
                ++start;
                end = element.indexOf(u'"', start);
                if (end < 0)
                    return {};
            } else {
                while (end < element.size() && !element.at(end).isSpace() && element.at(end) != u'>')
                    ++end;
            }
            return element.mid(start, end - start).toString() + QString(); // never null once found
        }
        return {};
    }

}

namespace {

    // Calls found(src value, width, 0 for none) for each <img> whose src is an absolute local path.
    template <typename Found> void forEachPicture(const QString &html, Found found)
    {
        // Scanned by hand: names that are not UTF-8 put lone surrogates in the text, which a regular
        // expression refuses to look at.
        const QStringView text(html);
        for (qsizetype at = text.indexOf(QLatin1String("<img"), 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(QLatin1String("<img"), at + 4, Qt::CaseInsensitive)) {
            const qsizetype end = text.indexOf(u'>', at);
            if (end < 0)
                break;
            const QStringView element = text.mid(at, end - at);
            const QString value = unescapeHtml(attribute(element, QLatin1String("src")));
            if (!value.startsWith(u'/'))
                continue;
            const QString width = attribute(element, QLatin1String("width"));
            bool ok = width.isNull();
            const int pixels = ok ? 0 : width.toInt(&ok);
            if (!ok || pixels < 0)
                continue;
            found(value, pixels);
        }
    }

}

QHash<QString, int> drawnWidths(const QString &html)
{
    QHash<QString, int> widths;
    forEachPicture(html, [&](const QString &value, int pixels) {
        int &known = widths[pathOfAddress(value)];
        known = std::max(known, pixels);
    });
    return widths;
}

QList<std::pair<QString, QString>> sourcesDrawnAtWidth(const QString &html)
{
    QList<std::pair<QString, QString>> sources;
    QSet<QString> seen;
    forEachPicture(html, [&](const QString &value, int pixels) {
        if (pixels > 0 && !seen.contains(value)) {
            seen.insert(value);
            sources.append({ value, pathOfAddress(value) });
        }
    });
    return sources;
}

}
