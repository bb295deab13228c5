#pragma once

#include <QString>

namespace browser::page {

// The details window's page for one picture: black, the picture centred with a border, lines
// ended by CR LF. The address is put in as an attribute value with its markup characters
// escaped, so an address holding '"' or '>' cannot add markup to the page.
QString detailsPageHtml(const QString &pict);

// The one picture line of that page, with its CR LF.
QString detailsPictureLine(const QString &pict);

// Where the details page is written: the page folder's "img.htm"; empty without a page folder.
QString detailsPageFilePath();

// Writes the page for pict, replacing the old one (hidden and system afterwards). False when it
// cannot be written.
bool writeDetailsPage(const QString &pict);

// Removes the page file.
void removeDetailsPage();

// The gallery position before and after index in a list of count pictures: below 0 wraps to
// count - 1, past count - 1 to 0.
int previousGalleryIndex(int index, int count);
int nextGalleryIndex(int index, int count);

}
