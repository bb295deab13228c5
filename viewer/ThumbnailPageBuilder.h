#pragma once

#include <QString>
#include <QStringList>

namespace viewer {

// Page layouts by `LayoutMode`: 0 natural size (a picture wider than the page is scaled to it),
// 1 two, 2 three and 3 four per row, 4 full width. 0 and 4 are centred.
constexpr int kLayoutModeCount = 5;

// The layout after `LayoutMode`: one more, and 0 after 4.
int nextLayoutMode(int LayoutMode);

// The colour cycle: `ColourIndex` 1..9 give "#FF0000", "#CC6600", "#FFFF00", "#33CC00",
// "#33FFCC", "#3300FF", "#FF00FF", "#000000", "#FFFFFF"; 0 (the start) and anything else give
// "#FFFFFF". nextColourIndex is one more, and 1 after 9 (ten steps from 0 reach "#FF0000" again).
QString PageBackColourFor(int ColourIndex);
int nextColourIndex(int ColourIndex);

// W, the page's usable width in pixels: the view's width in twips / 15 - 30, rounded half to even.
int pageContentWidth(int webWidthTwips);

// The thumbnail width in pixels for a layout: W / 2 - 5, W / 3 - 7, W / 4 - 8 rounded half to even
// for layouts 1..3, W for 4; 0 for layout 0 (its width depends on each picture).
int thumbnailWidth(int LayoutMode, int W);

// Pages of `count` entries: count / PageSize rounded up; 0 for an empty list. A PageSize below 1
// is taken as 1.
int totalPages(int count, int PageSize);

struct ThumbnailPageInput {
    QStringList ViewerList; // full paths with "/"
    int ViewerCount = 0; // entries in use; at most ViewerList.size() are used
    int CurrentPage = 1; // from 1; a page below 1 is built as page 1
    int PageSize = 30; // entries per page; below 1 is taken as 1
    int LayoutMode = 0; // 0..4; anything else builds as 0
    QString PageBackColour = QStringLiteral("#FFFFFF");
    int webWidthTwips = 0; // the width of the view that shows the page, in twips (pixels * 15)
    QString CurrentFolder; // the folder shown so far; kept when the page has no entry
};

struct ThumbnailPage {
    QString html; // the page text, CR LF after every line
    int CurrentPage = 1; // the page built
    int TotalPages = 0; // totalPages(ViewerCount, PageSize)
    bool nextEnabled = false; // whether the next-page button is enabled afterwards
    QString CurrentFolder; // folder of the page's first entry (ends with "/"), else the input's
    QString pathLabel; // "当前路径：" + CurrentFolder
    QString countLabel; // "图片总数：" + ViewerCount
    QString pageLabel; // "Orlavue     第 " + CurrentPage + " 页  ， 共 " + TotalPages + " 页"
};

// Builds page `CurrentPage` of the list in `LayoutMode`. Each entry is a link to the picture
// (target "_blank") around the picture itself, followed by an empty line. Layout 0 reads each
// picture's width from its header: a picture wider than W is given width=W, one whose size cannot
// be read is shown at natural size. Paths and names are escaped for HTML (& < > ") and the
// characters that would change a local address (% # ? \, control characters, trailing spaces)
// are percent-encoded in href and src. The title is written unquoted, so in it white space, ' `
// and = are written as numeric character references ("&#32;") too. Other names are written as
// they are.
ThumbnailPage BuildThumbnailPage(const ThumbnailPageInput &input);

// The full-width toggle: the new `FitWidthOn` (1 - old) and the `LayoutMode` it leaves behind
// (4 when turned on, 0 when turned off).
struct FitWidthState {
    int FitWidthOn = 0;
    int LayoutMode = 0;
};
FitWidthState toggleFitWidth(int FitWidthOn);

// The full-width toggle's page for the new `FitWidthOn`: always centred; 1 gives every picture
// width W, 0 places the pictures side by side at natural size. input.LayoutMode is not used.
ThumbnailPage BuildFitWidthPage(const ThumbnailPageInput &input, int FitWidthOn);

// Where the thumbnail page is written: the page folder's "Tpc.htm".
QString thumbnailPageFilePath();

// Writes a page in the locale's charset, replacing `path` atomically: attributes reset to normal
// first, hidden and system after. False (old file kept) when it cannot be written.
bool writePageFile(const QString &path, const QString &html);

// writePageFile to thumbnailPageFilePath().
bool writeThumbnailPageFile(const QString &html);

}
