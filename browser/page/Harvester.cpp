#include "browser/page/Harvester.h"

#include "common/HtmlText.h"
#include "common/Numbers.h"
#include "common/PictureList.h"
#include "common/TextCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace browser::page {

namespace {

    int sizeOf(double number)
    {
        if (!(number > 0))
            return 0;
        return number >= 1e9 ? 1000000000 : int(number);
    }

    int sizeOf(const QVariant &value)
    {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? sizeOf(number) : 0;
    }

    int sizeOf(const QJsonValue &value)
    {
        return value.isDouble() ? sizeOf(value.toDouble()) : sizeOf(value.toVariant());
    }

    QString addressOf(const QVariant &value)
    {
        return value.typeId() == QMetaType::QString ? value.toString() : QString();
    }

    QString addressOf(const QJsonValue &value)
    {
        return value.toString();
    }

    // The answer is flat: address, width, height, address, ... An incomplete last triple is dropped.
    template <typename List> QList<PageImage> imagesFrom(const List &flat)
    {
        QList<PageImage> images;
        images.reserve(flat.size() / 3);
        for (qsizetype i = 0; i + 2 < flat.size(); i += 3)
            images.append({ addressOf(flat.at(i)), sizeOf(flat.at(i + 1)), sizeOf(flat.at(i + 2)) });
        return images;
    }

    QString fileNamePart(const QString &address)
    {
        const qsizetype slash = address.lastIndexOf(QLatin1Char('/'));
        return slash < 0 ? address : address.mid(slash + 1);
    }

}

QList<PageImage> parsePageImages(const QVariant &answer)
{
    // The page answers one JSON text; its array is read in place, without a list of variants.
    if (answer.typeId() == QMetaType::QString) {
        const QJsonDocument document = QJsonDocument::fromJson(answer.toString().toUtf8());
        return document.isArray() ? imagesFrom(document.array()) : QList<PageImage>();
    }
    if (answer.canConvert<QVariantList>() && answer.typeId() != QMetaType::QByteArray)
        return imagesFrom(answer.toList());
    return {};
}

bool endsWithJpg(const QString &address)
{
    return address.endsWith(QLatin1String(".jpg"), Qt::CaseSensitive);
}

SearchResult SearchPic(const QList<PageImage> &images, common::PictureList &pictures, bool AutoFind)
{
    SearchResult result;
    pictures.PictureCount = 0;
    for (const PageImage &image : images) {
        if (!pictures.store(pictures.PictureCount, image.src)) {
            result.overflowed = true;
            return result;
        }
        if (isLargePicture(image.width, image.height))
            ++pictures.PictureCount;
    }
    result.PictureCount = pictures.PictureCount;
    if (AutoFind) {
        if (pictures.PictureCount >= 1)
            result.foundText = QStringLiteral("发现图片：%1").arg(pictures.PictureCount);
        return result;
    }
    if (pictures.PictureCount <= 1) {
        result.secondPass = true;
        for (const PageImage &image : images) {
            if (!pictures.store(pictures.PictureCount, image.src)) {
                result.overflowed = true;
                result.PictureCount = pictures.PictureCount;
                return result;
            }
            if (endsWithJpg(image.src))
                ++pictures.PictureCount;
        }
        result.PictureCount = pictures.PictureCount;
    }
    result.foundText = QStringLiteral("发现图片：%1").arg(pictures.PictureCount);
    return result;
}

int galleryColumnWidth(int webWidthTwips)
{
    const qint64 width = common::roundHalfEven(webWidthTwips / 15.0 - 30);
    return int(common::roundHalfEven(width / 2.0 - 5));
}

int layoutWidth(int webPicWidthTwips, int &Tu)
{
    const double base = double(common::roundHalfEven(webPicWidthTwips / 15.0 - 40));
    switch (Tu) {
    case 0:
        Tu = 1;
        return int(base);
    case 2:
        return int(common::roundHalfEven(base / 2));
    case 3:
        return int(common::roundHalfEven(base / 3 - 7));
    case 4:
        return int(common::roundHalfEven(base / 4 - 8));
    case 5:
        return int(common::roundHalfEven(base / 5 - 6));
    case 6:
        return int(common::roundHalfEven(base / 6 - 6));
    default:
        return int(base);
    }
}

QString searchGalleryPage(const common::PictureList &pictures, int columnWidth)
{
    QString page;
    page += QStringLiteral("<body bgcolor=#000000 oncontextmenu=\"return false\" topmargin=0 leftmargin=0 "
                           "rightmargin=0 bottommargin=0>")
        + common::kCrLf;
    page += QStringLiteral("<div align=center>") + common::kCrLf;
    const QString width = QString::number(columnWidth);
    for (int i = 0; i < pictures.PictureCount; ++i) {
        const QString url = pictures.at(i);
        const QString quoted = url.toHtmlEscaped();
        page += QStringLiteral("<a href=\"") + quoted + QStringLiteral("\" target=\"_blank\"><img border=\"1\" src=\"")
            + quoted + QStringLiteral("\"  width=") + width + QStringLiteral(" title=")
            + common::escapeUnquotedAttribute(fileNamePart(url)) + QStringLiteral(" ></a> ") + common::kCrLf
            + common::kCrLf;
    }
    return page;
}

QString layoutGalleryPage(const common::PictureList &pictures, int width, int Tu, const QString &ColorSel)
{
    QString page;
    page += QStringLiteral("<body bgcolor=") + common::escapeUnquotedAttribute(ColorSel) + QStringLiteral(">")
        + common::kCrLf;
    page += QStringLiteral("<body oncontextmenu=self.event.returnValue=false topmargin=0 leftmargin=0 rightmargin=0 "
                           "bottommargin=0>")
        + common::kCrLf;
    if (Tu == 1)
        page += QStringLiteral("<div align=center>") + common::kCrLf;
    const QString w = QString::number(width);
    for (int i = 0; i < pictures.PictureCount; ++i) {
        const QString quoted = pictures.at(i).toHtmlEscaped();
        page += QStringLiteral("<a href=\"") + quoted + QStringLiteral("\" target=\"_blank\"><img border=\"1\" src=\"")
            + quoted + QStringLiteral("\" width=") + w + QStringLiteral("></a>") + common::kCrLf + common::kCrLf;
    }
    if (Tu == 1)
        page += QStringLiteral("</div>") + common::kCrLf;
    page += QStringLiteral("</body>") + common::kCrLf;
    return page;
}

int nextColumnSelector(int Tu)
{
    ++Tu;
    return Tu > 4 ? 0 : Tu;
}

}
