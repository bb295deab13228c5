#include "browser/page/DetailsPage.h"

#include "common/FileAttributes.h"
#include "common/Paths.h"
#include "viewer/ThumbnailPageBuilder.h"

#include <QFile>

namespace browser::page {

namespace {
    const QString kLineEnd = QStringLiteral("\r\n");
}

QString detailsPictureLine(const QString &pict)
{
    return QStringLiteral("<p><img border=\"1\" src=\"") + pict.toHtmlEscaped() + QStringLiteral("\" title=")
        + QStringLiteral("图像") + QStringLiteral(" ></p> ") + kLineEnd;
}

QString detailsPageHtml(const QString &pict)
{
    QString html;
    html += QStringLiteral("<body bgcolor=") + QStringLiteral("0") + QStringLiteral(">") + kLineEnd;
    html += QStringLiteral("<body oncontextmenu=self.event.returnValue=false topmargin=0 leftmargin=0 rightmargin=0 "
                           "bottommargin=0>")
        + kLineEnd;
    html += QStringLiteral("<div align=center>") + kLineEnd;
    html += detailsPictureLine(pict);
    html += QStringLiteral("</div>") + kLineEnd;
    html += QStringLiteral("</body>") + kLineEnd;
    return html;
}

QString detailsPageFilePath()
{
    return common::pageFilePath(QStringLiteral("img.htm"));
}

bool writeDetailsPage(const QString &pict)
{
    const QString path = detailsPageFilePath();
    return !path.isEmpty() && viewer::writePageFile(path, detailsPageHtml(pict));
}

void removeDetailsPage()
{
    const QString path = detailsPageFilePath();
    if (path.isEmpty())
        return;
    common::setFileAttributes(path, common::AttrNormal, false);
    QFile::remove(path);
}

int previousGalleryIndex(int index, int count)
{
    --index;
    if (index < 0)
        index = count - 1;
    return index;
}

int nextGalleryIndex(int index, int count)
{
    ++index;
    if (index > count - 1)
        index = 0;
    return index;
}

}
