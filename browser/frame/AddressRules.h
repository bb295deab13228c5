#pragma once

#include <QString>
#include <QStringList>

namespace browser::frame {

// The outside sites the browser opens on its own.
namespace sites {
    // Web search: kWebSearch + kWebSearchQuery + the words.
    inline const QString kWebSearch = QStringLiteral("https://www.baidu.com");
    inline const QString kWebSearchQuery = QStringLiteral("/s?wd=");
    // Picture search: kImageSearch + "/search/index?tn=" + kImageSearchTn + kImageSearchTail + words.
    inline const QString kImageSearch = QStringLiteral("https://image.baidu.com");
    inline const QString kImageSearchTn = QStringLiteral("baiduimage");
    inline const QString kImageSearchTail = QStringLiteral("&ps=1&ct=201326592&lm=-1&cl=2&nc=1&ie=utf-8&word=");
    // The start page of the toolbar's picture-search button.
    inline const QString kImageSearchStart = QStringLiteral("https://image.baidu.com/");
    // The site directory of the toolbar's "网站导航".
    inline const QString kSiteDirectory = QStringLiteral("https://www.hao123.com/");
    // The built-in home page, with the query it carries when the browser opens it itself, and plain.
    // The address with the query is never recorded in the closed pages.
    inline const QString kHomeWithQuery = QStringLiteral("https://www.baidu.com/?tn=nimbrow");
    inline const QString kHomePlain = QStringLiteral("https://www.baidu.com/");
}

// The address box's text after an edit: "about:blank" shows as "http://www." to be typed over.
QString addressBoxText(const QString &text);

// Go: a text without any "." is searched for, not visited; anything else is used unchanged (no
// scheme is added).
QString goAddress(const QString &typed);

// The web search address for some words (appended as they are, not percent-encoded).
QString webSearchAddress(const QString &words);

// The picture search address for some words (appended as they are).
QString pictureSearchAddress(const QString &words);

// An entry of the address box's list is "title  address": the text from its first "http" on.
// A text beginning with "http" and a text without "http" are returned unchanged.
QString addressFromListEntry(const QString &entry);

// The address list entry of a closed page: its title, two spaces, its address.
QString addressListEntry(const QString &title, const QString &address);

// The address the address box shows for a page: the home page with its query shows plain.
QString shownAddress(const QString &address);

// Addresses the browser opens from its own records (closed pages, favorites): http, https, ftp and
// file only, so a stored "javascript:" or "data:" address is never run.
bool isReopenableAddress(const QString &address);

// The picture search box's 27 preset words, in order ("海洋风光" is there twice).
QStringList presetSearchWords();
// The picture search box's text when the frame opens.
inline const QString kInitialSearchWord = QStringLiteral("城市夜景");

// The picture search box's list: the preset words, then every word searched while the frame is
// open (again when searched again).
class SearchWords {
public:
    SearchWords()
        : m_words(presetSearchWords())
    {
    }
    // A search for `word`: the word goes to the end of the list, and the address to open is returned.
    QString search(const QString &word);
    const QStringList &words() const { return m_words; }

private:
    QStringList m_words;
};

}
