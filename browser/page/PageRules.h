#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace browser::page {

// The loading percentage shown in the page window's Lab(4).
class ProgressText {
public:
    struct Step {
        QString text; // Lab(4)'s text; empty empties it
        bool startSaveTimer = false; // exactly 100 % with automatic saving on
    };

    // One progress report: `progress` of `progressMax`, or progress -1 when loading ended. The end
    // shows the last positive percentage when there is one, else "100%"; a percentage above 100
    // is taken as 0 and shows nothing.
    Step onProgress(qint64 progress, qint64 progressMax, bool autoSave);
    float ProgressPercent() const { return m_percent; }

private:
    float m_percent = 0;
};

// The percentage as the label writes it: up to seven significant digits, no trailing zeros.
QString percentText(float percent);

// What a title change shows.
struct TitleChange {
    QString title; // the first 100 characters of the document's title, else the page's address
    QString labelText; // the tab label: empty for "about:blank"
    QString labelToolTip;
    QString windowCaption;
    bool addHistoryRow = false;
    // Only for the current tab:
    bool updatesFrame = false;
    QString frameCaption; // title + " - Nimbrow "
    QString addressText; // the address, the home page with its query shown plain
};

// The page window's title rules. It remembers the last title a history row was made for, so the
// same title reported twice gives one row; the history page and the start page give none.
class TitleRules {
public:
    static constexpr int kTitleLength = 100;
    static const QString kBlankToolTip;
    static const QString kHistoryPageTitle;

    TitleChange onTitleChange(
        const QString &documentTitle, const QString &locationUrl, const QString &startPage, bool isCurrentTab);
    const QString &LastHistoryTitle() const { return m_lastHistoryTitle; }

private:
    QString m_lastHistoryTitle;
};

// The visit-history rows a page window gathers while it is open, newest first, each followed by
// CR LF; written as one line to the day file when it closes.
class TabHistory {
public:
    void AddHistoryRow(const QDateTime &when, const QString &locationUrl, const QString &title);
    const QString &text() const { return m_text; }
    // Appends the rows to the day file of `date` in dataFolder's "History/". False when the write
    // failed.
    bool WriteTabHistory(const QString &dataFolder, const QDate &date, QString *error = nullptr) const;

private:
    QString m_text;
};

// What closing a page window on `address` does: the home page with its query leaves no trace;
// any other page writes its history, and a closed-page entry when its address is longer than 12
// and shorter than 100 characters.
struct CloseRecord {
    bool recordClosedPage = false;
    bool writeHistory = true;
};
CloseRecord closeRecordFor(const QString &address);

// The page window's controls in twips, for an inner size in twips.
struct PageLayout {
    int webTop = -50;
    int webWidth = 0; // the page view: its top and right borders fall outside the window
    int webHeight = 0;
    int galleryWidth = 0;
    int galleryHeight = 0;
    int labelsTop = 0; // Lab(0)..Lab(8)
    int lab6Width = 0;

    void resize(int width, int height);
};

}
