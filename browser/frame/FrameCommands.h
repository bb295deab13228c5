#pragma once

#include <QList>
#include <QString>

namespace browser::frame {

// The frame's keyboard shortcuts: each belongs to one menu item; the frame binds no other keys.
struct Shortcut {
    QString key; // in QKeySequence's portable text form
    QString menuItem; // the item's text as the menu shows it
};
const QList<Shortcut> &frameShortcuts();

// The help message's title and text.
inline const QString kHelpTitle = QStringLiteral("帮助主题");
QString helpMessageText();

// Scrolling of the page commands: F2/F3 scroll 301 times by 50 pixels, the toolbar's buttons 201
// times by 150 pixels, the Up and Down keys of a page once by 100 pixels.
struct ScrollCommand {
    int repeats = 0;
    int pixels = 0; // per call; negative scrolls up
};
inline constexpr ScrollCommand kMenuScrollTop { 301, -50 };
inline constexpr ScrollCommand kMenuScrollBottom { 301, 50 };
inline constexpr ScrollCommand kToolbarScrollTop { 201, -150 };
inline constexpr ScrollCommand kToolbarScrollBottom { 201, 150 };

// The batch picture download keeps pictures of at least this many bytes.
inline constexpr qint64 kBatchDownloadMinBytes = 30000;

// Caption of the frame for a page title, and for a blank page.
QString frameCaption(const QString &title);
inline const QString kBlankFrameCaption = QStringLiteral(" Nimbrow ");

}
