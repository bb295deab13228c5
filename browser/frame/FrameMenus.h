#pragma once

#include <QList>
#include <QString>

namespace browser::frame {

// One entry of a frame menu, in order. A separator has no text; a list marks where entries made
// while the browser runs go (favorites, closed pages, outside sites).
struct FrameMenuItem {
    enum Kind { Command, Separator, List };
    enum ListKind { NoList, OutsideSites, FavoritesList, ClosedPagesList, VersionCheck };

    Kind kind = Command;
    QString text; // as shown, with its access key
    bool hidden = false;
    bool checked = false; // checkable and checked at start
    ListKind list = NoList;
};

struct FrameMenu {
    QString title;
    bool hidden = false; // the tab context menu is not on the menu bar
    QList<FrameMenuItem> items;
};

// The menu bar in order, with the tab context menu "标签(&B)" in its place (hidden).
const QList<FrameMenu> &frameMenus();

// A toolbar button of the top bar and its tool tip, in the order they stand.
struct ToolbarButton {
    QString name; // the control's name: "CmdPage(0)", "Command2", ...
    QString toolTip;
};
const QList<ToolbarButton> &toolbarButtons();

// What the frame shows after opening a page in a new tab.
struct NewTabView {
    bool sendToBack = false; // opened behind the tab that stays active
    bool showAddress = false; // the address box shows addressText (the caption and box keep their text otherwise)
    QString addressText;
    bool blankCaption = false; // the caption becomes " Nimbrow "
};
// `opensActive`: the tab table made the new tab active.
NewTabView newTabView(const QString &address, bool opensActive);

}
