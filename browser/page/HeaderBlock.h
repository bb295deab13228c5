#pragma once

#include <QString>
#include <QStringView>

#include <string_view>

namespace browser::page {

// The response header block as the downloader keeps it: the status line and every header line,
// each followed by a NUL. A header line is the name, a colon, one space and the value.
inline constexpr int kHeaderBlockLimit = 1024;

// Collects the header lines of a transfer as they arrive (one line per call, with or without its
// CR LF). A status line ("HTTP/...") starts a new response, so after redirects and interim
// answers only the last response's headers are kept. Folded continuation lines join the header
// before them; lines without a colon are dropped. Bytes are taken one character each (Latin-1).
class HeaderBlockBuilder {
public:
    void addLine(std::string_view line);
    // True when the blank line that ends a response's headers has arrived.
    bool complete() const { return m_complete; }
    // The status code of the last status line; 0 before one arrived or when it has none.
    int statusCode() const { return m_status; }
    // True when the last response named a Location.
    bool hasLocation() const { return m_hasLocation; }
    // The block so far; empty when it is longer than kHeaderBlockLimit characters.
    QString block() const;
    // The block whatever its length.
    const QString &fullBlock() const { return m_block; }

private:
    QString m_block;
    int m_status = 0;
    bool m_complete = false;
    bool m_hasLocation = false;
};

// Builds the block from raw header bytes: lines separated by LF or CR LF, ending at the end of
// the text. Empty when the block is longer than kHeaderBlockLimit characters.
QString headerBlockFromRaw(std::string_view raw);

// One value from a header block: the name is upper-cased and must be one of CONTENT-LENGTH,
// CONTENT-TYPE, DATE, LAST-MODIFIED, SERVER; the header is then found by its usual spelling
// ("Content-Length", ...) at the start of a line, letter case counting, and the value runs from
// after ": " to the next NUL. An empty name gives the whole block. An empty block, an unknown
// name or a header missing from the block gives "0".
QString headerValue(QStringView block, QStringView name);

}
