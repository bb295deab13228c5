#pragma once

#include <QList>

namespace browser::frame {

// The browser frame's top bar, all in twips (15 twips per pixel). Positions that never change are
// the initial values; resize() computes the rest from the frame's inner size.
struct FrameLayout {
    static constexpr int kTopBarHeight = 1330; // Pict, aligned to the top
    static constexpr int kAddressRowTop = 690; // TextUrl, CmdGo, CombSearch, CmdSearch
    static constexpr int kAddressRowHeight = 300;
    static constexpr int kTextUrlLeft = 810;
    static constexpr int kTabRowTop = 1000; // the tab labels
    static constexpr int kTabHeight = 300;
    static constexpr int kAddressDropDownPixels = 500; // height of the address box's drop-down list
    static constexpr int kCloseHiddenLeft = -2000; // TextClose out of sight after a resize

    int innerWidth = 0;
    int innerHeight = 0;
    bool topBarShown = true; // F11 hides the whole top bar

    int textCloseLeft = kCloseHiddenLeft;
    int textUrlWidth = 0;
    int cmdGoLeft = 0;
    int cmdSearchLeft = 0;
    int combSearchLeft = 0;
    int combSearchWidth = 0;
    // The active page window: the area under the top bar (all of it while the bar is hidden).
    int pageTop = 0;
    int pageWidth = 0;
    int pageHeight = 0;

    // The frame's resize for an inner size in twips.
    void resize(int width, int height);
    // F11: shows or hides the top bar and lays out again.
    void toggleTopBar();
};

// One tab label's place on the strip row, in twips. A width of zero or less cannot be given to a
// label: it keeps its previous width.
struct TabLabelPlace {
    int left = 0;
    int width = 0;
};

// The tab strip for a frame inner width in twips and a number of tabs: each tab gets
// (width - 420) / tabCount twips (rounded half to even, at most 2500), the label 30 less, and the
// "+" label follows the last tab.
struct TabStripGeometry {
    int tabWidth = 0;
    QList<TabLabelPlace> labels; // by position
    int addLabelLeft = 30;
};
TabStripGeometry PaiLie(int innerWidth, int tabCount);

}
