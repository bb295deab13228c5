#include "viewer/ViewerLayout.h"

namespace viewer {

void ViewerLayout::resize(int width, int height)
{
    innerWidth = width;
    innerHeight = height;
    drive1Width = width / 5;
    dir1Width = drive1Width;
    dir1Height = height - 1300;
    webLeft = panelShown ? drive1Width + 80 : 40;
    webWidth = width - webLeft - 40;
    webHeight = height - 970;
    lawLeft = drive1Width + 40;
    lawHeight = webHeight;
    labelsTop = height - 255;
    lab6Width = width - 11550;
}

void ViewerLayout::setPanelShown(bool shown)
{
    panelShown = shown;
    if (shown) {
        webLeft = drive1Width + 80;
        webWidth = innerWidth - webLeft - 40;
    } else {
        webLeft = 40;
        webWidth = innerWidth - 80;
    }
}

void ViewerLayout::dragSplitter(int mouseX)
{
    lawLeft = lawLeft + mouseX - 25;
}

void ViewerLayout::releaseSplitter()
{
    drive1Width = lawLeft - 40;
    dir1Width = drive1Width;
    webLeft = lawLeft + 50;
    webWidth = innerWidth - webLeft - 40;
}

}
