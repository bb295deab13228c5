#include "common/FileNames.h"

#include <QFile>

#include <algorithm>

namespace common {

namespace {

    // Length of the valid UTF-8 sequence at `at` (1..4), or 0 when the byte there does not start
    // one: stray continuation bytes, overlong forms, surrogates and values above U+10FFFF.
    std::size_t validSequenceAt(const unsigned char *s, std::size_t at, std::size_t length)
    {
        const unsigned char c = s[at];
        if (c < 0x80)
            return 1;
        std::size_t need = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return 0;
        }
        for (std::size_t k = 1; k <= need; ++k) {
            if (at + k >= length)
                return 0;
            const unsigned char n = s[at + k];
            if (n < (k == 1 ? low : 0x80) || n > (k == 1 ? high : 0xBF))
                return 0;
        }
        return need + 1;
    }

}

QString decodeFileName(const char *bytes, std::size_t length)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes);
    std::size_t at = 0;
    while (at < length) {
        const std::size_t n = validSequenceAt(s, at, length);
        if (n == 0)
            break;
        at += n;
    }
    if (at == length)
        return QString::fromUtf8(bytes, qsizetype(length));
    QString name = QString::fromUtf8(bytes, qsizetype(at));
    std::size_t runStart = at;
    while (at < length) {
        const std::size_t n = validSequenceAt(s, at, length);
        if (n > 0) {
            at += n;
            continue;
        }
        name += QString::fromUtf8(bytes + runStart, qsizetype(at - runStart));
        name += QChar(char16_t(0xDC00 + s[at]));
        ++at;
        runStart = at;
    }
    name += QString::fromUtf8(bytes + runStart, qsizetype(length - runStart));
    return name;
}

QString decodeFileName(const QByteArray &bytes)
{
    return decodeFileName(bytes.constData(), std::size_t(bytes.size()));
}

QByteArray encodeFileName(const QString &name)
{
    qsizetype first = 0;
    while (first < name.size() && !isKeptByte(name.at(first).unicode()))
        ++first;
    if (first == name.size())
        return QFile::encodeName(name);
    QByteArray bytes = QStringView(name).left(first).toUtf8();
    qsizetype runStart = first;
    for (qsizetype i = first; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!isKeptByte(c))
            continue;
        bytes += QStringView(name).mid(runStart, i - runStart).toUtf8();
        bytes += char(c & 0xFF);
        runStart = i + 1;
    }
    bytes += QStringView(name).mid(runStart).toUtf8();
    return bytes;
}

QUrl fileUrl(const QString &path)
{
    const bool keepsBytes = std::any_of(path.begin(), path.end(), [](QChar c) { return isKeptByte(c.unicode()); });
    if (!keepsBytes)
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + encodeFileName(path).toPercentEncoding("/"));
}

QString localPathFromUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    if (!url.host().isEmpty())
        return url.toLocalFile();
    return decodeFileName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

}
