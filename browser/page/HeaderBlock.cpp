#include "browser/page/HeaderBlock.h"

#include <array>

namespace browser::page {

namespace {

    std::string_view trimmed(std::string_view text)
    {
        const auto blank = [](char c) {
            return c == ' ' || c == '\t' || c == '\r' || c == '\n';
        };
        while (!text.empty() && blank(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && blank(text.back()))
            text.remove_suffix(1);
        return text;
    }

    int statusOf(std::string_view line)
    {
        // "HTTP/1.1 200 OK", "HTTP/2 404"
        const size_t space = line.find(' ');
        if (space == std::string_view::npos)
            return 0;
        int code = 0;
        int digits = 0;
        for (size_t i = space + 1; i < line.size() && digits < 3; ++i, ++digits) {
            const char c = line[i];
            if (c < '0' || c > '9')
                return 0;
            code = code * 10 + (c - '0');
        }
        return digits == 3 ? code : 0;
    }

    bool equalsNoCase(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            char x = a[i];
            char y = b[i];
            if (x >= 'A' && x <= 'Z')
                x = char(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z')
                y = char(y - 'A' + 'a');
            if (x != y)
                return false;
        }
        return true;
    }

}

void HeaderBlockBuilder::addLine(std::string_view line)
{
    if (line.starts_with("HTTP/")) {
        m_block.clear();
        m_status = statusOf(trimmed(line));
        m_complete = false;
        m_hasLocation = false;
        m_block += QLatin1String(trimmed(line));
        m_block += QChar(0);
        return;
    }
    const std::string_view content = trimmed(line);
    if (content.empty()) {
        m_complete = true;
        return;
    }
    if ((line.front() == ' ' || line.front() == '\t') && m_block.endsWith(QChar(0)) && m_block.size() > 1) {
        // A folded line continues the value before it.
        m_block.chop(1);
        m_block += QLatin1Char(' ');
        m_block += QLatin1String(content);
        m_block += QChar(0);
        return;
    }
    const size_t colon = content.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return;
    const std::string_view name = trimmed(content.substr(0, colon));
    const std::string_view value = trimmed(content.substr(colon + 1));
    if (name.empty())
        return;
    if (equalsNoCase(name, "location"))
        m_hasLocation = true;
    m_block += QLatin1String(name);
    m_block += QLatin1String(": ");
    m_block += QLatin1String(value);
    m_block += QChar(0);
}

QString HeaderBlockBuilder::block() const
{
    return m_block.size() > kHeaderBlockLimit ? QString() : m_block;
}

QString headerBlockFromRaw(std::string_view raw)
{
    HeaderBlockBuilder builder;
    while (!raw.empty()) {
        const size_t end = raw.find('\n');
        const size_t take = end == std::string_view::npos ? raw.size() : end + 1;
        builder.addLine(raw.substr(0, take));
        raw.remove_prefix(take);
    }
    return builder.block();
}

QString headerValue(QStringView block, QStringView name)
{
    if (block.isEmpty())
        return QStringLiteral("0");
    if (name.isEmpty())
        return block.toString();
    struct Known {
        const char *upper;
        const char *spelled;
        int offset;
    };
    static constexpr std::array<Known, 5> kKnown { {
        { "CONTENT-LENGTH", "Content-Length", 16 },
        { "CONTENT-TYPE", "Content-Type", 14 },
        { "DATE", "Date", 6 },
        { "LAST-MODIFIED", "Last-Modified", 15 },
        { "SERVER", "Server", 8 },
    } };
    const QString upper = name.toString().toUpper();
    for (const Known &known : kKnown) {
        if (upper != QLatin1String(known.upper))
            continue;
        const QLatin1String spelled(known.spelled);
        // The header counts only where a line starts, so "X-Content-Type-Options" is not
        // taken for "Content-Type".
        qsizetype at = -1;
        for (qsizetype from = 0; from <= block.size();) {
            const qsizetype found = block.indexOf(spelled, from, Qt::CaseSensitive);
            if (found < 0)
                break;
            if (found == 0 || block.at(found - 1) == QChar(0)) {
                at = found;
                break;
            }
            from = found + 1;
        }
        if (at < 0)
            return QStringLiteral("0");
        const qsizetype start = at + known.offset;
        if (start > block.size())
            return QString();
        qsizetype end = block.indexOf(QChar(0), start);
        if (end < 0)
            end = block.size();
        return block.mid(start, end - start).toString();
    }
    return QStringLiteral("0");
}

}
