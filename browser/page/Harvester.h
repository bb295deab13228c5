#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace common {
struct PictureList;
}

namespace browser::page {

// One picture element of a page, in document order: its absolute address and its rendered size in
// pixels.
struct PageImage {
    QString src;
    int width = 0;
    int height = 0;
    bool operator==(const PageImage &) const = default;
};

// Reads the answer of the page's picture query: a JSON text (or a list) of
// [src, width, height, src, width, height, ...]. A missing or non-numeric size reads as 0, a
// non-text address as empty; a trailing incomplete triple and anything that is not such a list
// give no pictures.
QList<PageImage> parsePageImages(const QVariant &answer);

// Larger than 500 x 500 pixels in both directions.
constexpr bool isLargePicture(int width, int height)
{
    return width > 500 && height > 500;
}

// The last four characters are exactly ".jpg" (letter case counts).
bool endsWithJpg(const QString &address);

// The two passes of the picture search over the page's picture elements, writing into the shared
// list. The first pass stores every element's address in the slot after the last large picture, so a
// small picture's address is overwritten by the next element; it counts only large ones. With
// `AutoFind` it stops there. With 0 or 1 large picture a second pass appends every address again,
// counting those ending in ".jpg".
struct SearchResult {
    int PictureCount = 0;
    bool secondPass = false;
    // The list ran out of slots: the run ended there and nothing is shown.
    bool overflowed = false;
    // Lab(2) text after the passes; empty when the label keeps its text.
    QString foundText;
};
SearchResult SearchPic(const QList<PageImage> &images, common::PictureList &pictures, bool AutoFind);

// The gallery's column width in pixels for the page view's width in twips (two columns).
int galleryColumnWidth(int webWidthTwips);

// The width of one picture of the laid-out gallery for the gallery view's width in twips and the
// column selector; a selector of 0 becomes 1. Selectors outside 0..6 give the one-column width.
int layoutWidth(int webPicWidthTwips, int &Tu);

// The gallery page of the picture search: CR LF line ends, addresses escaped for HTML.
QString searchGalleryPage(const common::PictureList &pictures, int columnWidth);

// The gallery page laid out in columns by `Tu` (1 centres one column), on `ColorSel`.
QString layoutGalleryPage(const common::PictureList &pictures, int width, int Tu, const QString &ColorSel);

// Advances the column selector: 2, 3, 4, then 0 (which the layout reads as one column).
int nextColumnSelector(int Tu);

}
