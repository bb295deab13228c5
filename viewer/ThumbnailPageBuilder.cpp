#include "ThumbnailPageBuilder.h"

#include "PictureSize.h"
#include "common/FileAttributes.h"
#include "common/FileNames.h"
#include "common/Files.h"
#include "common/HtmlText.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/TextCodec.h"

#include <algorithm>

namespace viewer {

namespace {

    const QLatin1String kLineEnd("\r\n");
    const QLatin1String B1("<body bgcolor=");
    const QLatin1String B2(">");
    const QLatin1String B3("<body oncontextmenu=self.event.returnValue=false topmargin=0 leftmargin=0 "
                           "rightmargin=0 bottommargin=0>");
    const QLatin1String D1("<div align=center>");
    const QLatin1String D2("</div>");
    const QLatin1String B4("</body>");
    const QLatin1String A1("<a href=\"");
    const QLatin1String A2("<p><a href=\"");
    const QLatin1String T1("\" target=\"");
    const QLatin1String T2("_blank");
    const QLatin1String T3("\"><img border=\"1\" src=\"");
    const QLatin1String W1("\" width=");
    const QLatin1String W2("\"  width=");
    const QLatin1String N1(" title=");
    const QLatin1String N2("\" title=");
    const QLatin1String E1(" ></a> ");
    const QLatin1String E2(" ></a></p> ");
    const QLatin1String E3(" ></a>");

    QString escapeHtml(const QString &text)
    {
        return text.toHtmlEscaped();
    }

    // A local path as an href/src value. The page is loaded from a file URL, so the absolute path
    // resolves against it; only what a URL parser would read differently is percent-encoded.
    QString pageAddress(const QString &path)
    {
        qsizetype trailingSpaces = 0;
        while (trailingSpaces < path.size() && path.at(path.size() - 1 - trailingSpaces) == QLatin1Char(' '))
            ++trailingSpaces;
        QString encoded;
        encoded.reserve(path.size());
        for (qsizetype i = 0; i < path.size(); ++i) {
            const char16_t c = path.at(i).unicode();
            const bool special = c == '%' || c == '#' || c == '?' || c == '\\' || c < 0x20 || c == 0x7f
                || (c == ' ' && i >= path.size() - trailingSpaces);
            if (common::isKeptByte(c)) {
                // A byte of a name that is not UTF-8, written as that byte.
                static const char kHex[] = "0123456789ABCDEF";
                encoded += QLatin1Char('%');
                encoded += QLatin1Char(kHex[(c >> 4) & 15]);
                encoded += QLatin1Char(kHex[c & 15]);
            } else if (special) {
                static const char kHex[] = "0123456789ABCDEF";
                encoded += QLatin1Char('%');
                encoded += QLatin1Char(kHex[c >> 4]);
                encoded += QLatin1Char(kHex[c & 15]);
            } else
                encoded += QChar(c);
        }
        return escapeHtml(encoded);
    }

    QString fileNameOf(const QString &path)
    {
        return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    }

    QString folderOf(const QString &path)
    {
        return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    }

    // What differs between the layouts' entries; the loop around them is shared.
    enum class EntryKind { Natural, Scaled, FitWidthOn, FitWidthOff };

    struct PageShape {
        bool centred = false;
        EntryKind kind = EntryKind::Natural;
        int width = 0;
        int W = 0;
    };

    void appendEntry(QString &html, const PageShape &shape, const QString &path)
    {
        const QString address = pageAddress(path);
        const QString title = common::escapeUnquotedAttribute(fileNameOf(path));
        switch (shape.kind) {
        case EntryKind::Natural: {
            const int pictureWidth = GetPictureSize(path).width;
            html += A2 + address + T1 + T2 + T3 + address;
            if (pictureWidth == 0 || shape.W >= pictureWidth)
                html += N2 + title + E2;
            else
                html += W1 + QString::number(shape.W) + N1 + title + E2;
            break;
        }
        case EntryKind::Scaled:
        case EntryKind::FitWidthOn:
            html += A1 + address + T1 + T2 + T3 + address + W2 + QString::number(shape.width) + N1 + title + E1;
            break;
        case EntryKind::FitWidthOff:
            html += A1 + address + T1 + T2 + T3 + address + N2 + title + E3;
            break;
        }
        html += kLineEnd;
        html += kLineEnd;
    }

    ThumbnailPage buildPage(const ThumbnailPageInput &input, const PageShape &shape)
    {
        ThumbnailPage page;
        const int pageSize = std::max(input.PageSize, 1);
        const int count = int(std::clamp<qsizetype>(input.ViewerCount, 0, input.ViewerList.size()));
        page.CurrentPage = std::max(input.CurrentPage, 1);
        page.CurrentFolder = input.CurrentFolder;

        QString &html = page.html;
        html += B1 + input.PageBackColour + B2 + kLineEnd;
        html += B3 + kLineEnd;
        if (shape.centred)
            html += D1 + kLineEnd;
        const qint64 start = qint64(page.CurrentPage - 1) * pageSize;
        const qint64 end = std::min<qint64>(start + pageSize, count);
        for (qint64 index = start; index < end; ++index) {
            const QString &path = input.ViewerList.at(qsizetype(index));
            if (index == start)
                page.CurrentFolder = folderOf(path);
            appendEntry(html, shape, path);
        }
        page.nextEnabled = start + pageSize < count;
        if (shape.centred)
            html += D2 + kLineEnd;
        html += B4 + kLineEnd;

        page.TotalPages = totalPages(count, pageSize);
        page.pathLabel = QStringLiteral("当前路径：") + page.CurrentFolder;
        page.countLabel = QStringLiteral("图片总数：") + QString::number(count);
        page.pageLabel = QStringLiteral("Orlavue     第 ") + QString::number(page.CurrentPage)
            + QStringLiteral(" 页  ， 共 ") + QString::number(page.TotalPages) + QStringLiteral(" 页");
        return page;
    }

}

int nextLayoutMode(int LayoutMode)
{
    return LayoutMode >= 4 || LayoutMode < 0 ? 0 : LayoutMode + 1;
}

QString PageBackColourFor(int ColourIndex)
{
    static const char *const kColours[] = {
        "#FFFFFF", "#FF0000", "#CC6600", "#FFFF00", "#33CC00", "#33FFCC", "#3300FF", "#FF00FF", "#000000", "#FFFFFF"
    };
    if (ColourIndex < 0 || ColourIndex > 9)
        ColourIndex = 0;
    return QLatin1String(kColours[ColourIndex]);
}

int nextColourIndex(int ColourIndex)
{
    return ColourIndex >= 9 || ColourIndex < 0 ? 1 : ColourIndex + 1;
}

int pageContentWidth(int webWidthTwips)
{
    return int(common::roundHalfEven(webWidthTwips / 15.0 - 30));
}

int thumbnailWidth(int LayoutMode, int W)
{
    switch (LayoutMode) {
    case 1:
        return int(common::roundHalfEven(W / 2.0 - 5));
    case 2:
        return int(common::roundHalfEven(W / 3.0 - 7));
    case 3:
        return int(common::roundHalfEven(W / 4.0 - 8));
    case 4:
        return W;
    default:
        return 0;
    }
}

int totalPages(int count, int PageSize)
{
    const int pageSize = std::max(PageSize, 1);
    return count <= 0 ? 0 : int((qint64(count) + pageSize - 1) / pageSize);
}

ThumbnailPage BuildThumbnailPage(const ThumbnailPageInput &input)
{
    const int layout = input.LayoutMode >= 0 && input.LayoutMode < kLayoutModeCount ? input.LayoutMode : 0;
    PageShape shape;
    shape.W = pageContentWidth(input.webWidthTwips);
    shape.width = thumbnailWidth(layout, shape.W);
    shape.centred = layout == 0 || layout == 4;
    shape.kind = layout == 0 ? EntryKind::Natural : EntryKind::Scaled;
    return buildPage(input, shape);
}

FitWidthState toggleFitWidth(int FitWidthOn)
{
    const int on = FitWidthOn == 0 ? 1 : 0;
    return { on, on == 1 ? 4 : 0 };
}

ThumbnailPage BuildFitWidthPage(const ThumbnailPageInput &input, int FitWidthOn)
{
    PageShape shape;
    shape.W = pageContentWidth(input.webWidthTwips);
    shape.width = shape.W;
    shape.centred = true;
    shape.kind = FitWidthOn == 1 ? EntryKind::FitWidthOn : EntryKind::FitWidthOff;
    return buildPage(input, shape);
}

QString thumbnailPageFilePath()
{
    return common::pageFilePath(QStringLiteral("Tpc.htm"));
}

bool writePageFile(const QString &path, const QString &html)
{
    // The page is made again on every page turn and lives in a private folder: no fsync, and a
    // link planted in its place is replaced, never written through.
    if (!common::writeFileAtomically(
            path, common::encodeLocal(html), nullptr, common::WriteFlag::NoSync | common::WriteFlag::ReplaceLinks))
        return false;
    // The new file carries no extended attribute yet, but its name usually stays listed in the
    // folder's ".hidden" from the last page: the list is rewritten only when it lacks the name.
    constexpr int kMarks = common::AttrHidden | common::AttrSystem;
    if ((common::fileAttributes(path) & kMarks) != kMarks)
        common::setFileAttributes(path, kMarks);
    return true;
}

bool writeThumbnailPageFile(const QString &html)
{
    return writePageFile(thumbnailPageFilePath(), html);
}

}
