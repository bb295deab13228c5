#pragma once

namespace viewer {

// The viewer window's control geometry, all in twips (15 twips per pixel), as the window's
// resize, folder-panel and splitter handlers compute it.
struct ViewerLayout {
    int innerWidth = 0;
    int innerHeight = 0;
    bool panelShown = false; // ChkFace on

    int drive1Width = 1815;
    int dir1Width = 2535;
    int dir1Height = 2190;
    int webLeft = 45;
    int webWidth = 6855;
    int webHeight = 5175;
    int lawLeft = 0;
    int lawHeight = 5175;
    int labelsTop = 0;
    int lab6Width = 0;

    // Form_Resize for a window whose inner size is given in twips.
    void resize(int width, int height);
    // ChkFace_Click after the check box changed to `shown`.
    void setPanelShown(bool shown);
    // law_MouseMove while the left button is held: the splitter follows the mouse (x in twips
    // inside the splitter).
    void dragSplitter(int mouseX);
    // law_MouseUp: the folder panel takes the splitter's position.
    void releaseSplitter();
};

}
