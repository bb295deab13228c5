#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace browser::frame {

// The browser's own page actions behind the edit and file menus.
enum class PageAction { SaveAs, Print, PrintPreview, PageSetup, Properties, Cut, Copy, Paste, SelectAll };

struct PageActionEntry {
    QString menu;
    QString text;
    PageAction action;
};
// The menu entries that run a page action, in menu order.
const QList<PageActionEntry> &pageActionEntries();

// Zoom: "页面屏幕放大       (+)" is index 0, "页面屏幕缩小       (-)" index 1.
inline const QString kZoomMessage =
    QStringLiteral("页面屏幕放大/缩小时必须退出安全看图模式……") + QString(15, QLatin1Char(' '));
inline const QString kSettingsCentreTitle = QStringLiteral("系统设置中心");
// Zoom is open while the gallery is shown or safe mode is off.
inline bool zoomAllowed(bool galleryShown, bool safeMode)
{
    return galleryShown || !safeMode;
}
// The next zoom in percent: a value below 15 counts as 15, then 10 more (index 0) or 10 less.
// From 15 out gives 5; from 5 in gives 25.
int nextZoom(int bigSize, int index);

// "全部刷新": the tab positions reloaded, 1 to tabCount - 1 (the first tab stays as it is).
QList<int> refreshAllPositions(int tabCount);

// The proposed file name of "保存 源文件(&M)": the frame caption without its last 14 characters,
// then ".txt" (a shorter caption gives ".txt").
QString sourceFileName(const QString &frameCaption);

// The status line's answer to "拨号上网(&N)".
inline const QString kDialMessage = QStringLiteral("拨号上网：本机的网络连接由系统的网络管理保持，无需拨号。");

// The hidden office entries and the program each starts.
struct OfficeEntry {
    QString text;
    QString program;
    QStringList arguments;
};
const QList<OfficeEntry> &officeEntries();

// The find bar's count: "第 n 个，共 m 个", "找不到" without a match, empty without a word.
QString findCountText(const QString &word, int activeMatch, int matches);

// The about box's text.
inline const QString kAboutText = QStringLiteral("Nimbrow (v9.0)");

}
