#include "browser/page/HeaderBlock.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string_view>

// Feeds any bytes as a response's header lines, and as a finished block, to the header reader.
// The block never grows past its limit, every line of it ends with a NUL, and a value found for
// one of the five names is a part of the block that holds no NUL.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view raw(reinterpret_cast<const char *>(data), size);
    const QString block = browser::page::headerBlockFromRaw(raw);
    if (block.size() > browser::page::kHeaderBlockLimit)
        std::abort();
    if (!block.isEmpty() && !block.endsWith(QChar(0)))
        std::abort();

    static const char *const kNames[] = {
        "", "content-length", "CONTENT-TYPE", "Date", "last-modified", "server", "Location"
    };
    const QString asBlock = QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    for (const QString &source : { block, asBlock }) {
        for (const char *name : kNames) {
            const QString value = browser::page::headerValue(source, QString::fromLatin1(name));
            if (*name == '\0') {
                if (value != (source.isEmpty() ? QStringLiteral("0") : source))
                    std::abort();
                continue;
            }
            if (value != QStringLiteral("0") && (value.contains(QChar(0)) || !source.contains(value)))
                std::abort();
        }
    }

    // Line by line, as the transfer delivers them.
    browser::page::HeaderBlockBuilder builder;
    std::string_view rest = raw;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const size_t take = end == std::string_view::npos ? rest.size() : end + 1;
        builder.addLine(rest.substr(0, take));
        rest.remove_prefix(take);
    }
    if (builder.block() != block)
        std::abort();
    return 0;
}
