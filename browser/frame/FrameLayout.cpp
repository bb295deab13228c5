#include "browser/frame/FrameLayout.h"

#include "common/Numbers.h"

#include <algorithm>

namespace browser::frame {

void FrameLayout::resize(int width, int height)
{
    innerWidth = width;
    innerHeight = height;
    textCloseLeft = kCloseHiddenLeft;
    textUrlWidth = int(common::roundHalfEven(width * 2 / 3.0));
    cmdGoLeft = textUrlWidth + 860;
    cmdSearchLeft = width - 1150;
    combSearchLeft = cmdGoLeft + 380;
    combSearchWidth = width - textUrlWidth - 2400;
    pageTop = topBarShown ? kTopBarHeight : 0;
    pageWidth = width;
    pageHeight = std::max(0, height - pageTop);
}

void FrameLayout::toggleTopBar()
{
    topBarShown = !topBarShown;
    resize(innerWidth, innerHeight);
}

TabStripGeometry PaiLie(int innerWidth, int tabCount)
{
    TabStripGeometry strip;
    if (tabCount <= 0)
        return strip;
    strip.tabWidth = int(std::min<qint64>(common::roundHalfEven(double(innerWidth - 420) / tabCount), 2500));
    strip.labels.reserve(tabCount);
    for (int i = 0; i < tabCount; ++i)
        strip.labels.append({ strip.tabWidth * i + 30, strip.tabWidth - 30 });
    strip.addLabelLeft = tabCount * strip.tabWidth + 30;
    return strip;
}

}
