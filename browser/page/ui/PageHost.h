#pragma once

#include <QString>

class QWebEnginePage;

namespace browser::page {

class FormWeb;

// What a page window asks of the frame that holds it: the frame's tab label, caption, address box
// and buttons, new tabs, and the frame's focus flag.
class PageHost {
public:
    virtual ~PageHost() = default;

    // True when `page` is the page window of the active tab.
    virtual bool isCurrentTab(const FormWeb *page) const = 0;
    // The tab label of `slot`: its text and tool tip.
    virtual void setTabLabel(int slot, const QString &text, const QString &toolTip) = 0;
    // The frame's caption and address box, for the active tab.
    virtual void showActivePage(const QString &frameCaption, const QString &addressText) = 0;
    virtual void setAddressText(const QString &text) = 0;
    // The back and forward buttons.
    virtual void setNavigationEnabled(bool back, bool forward) = 0;
    // A page asks for a new window: the frame opens a tab for it and answers its page, or nullptr
    // when no tab can be opened.
    virtual QWebEnginePage *openPopupTab(FormWeb *opener) = 0;
    // Opens an address in a new tab.
    virtual void openInNewTab(const QString &address) = 0;
    // A closed page's entry for the address box's list.
    virtual void addAddressListEntry(const QString &entry) = 0;
    // The page view received the focus: the address box's focus trick runs again next time.
    virtual void pageViewFocused() = 0;
    // Text selected in the page, for the picture search box.
    virtual void selectionTaken(const QString &text) = 0;
    // A pop-up opened behind its opener never received an address: its tab is brought forward.
    virtual void bringForward(FormWeb *page) = 0;
    // The page window became the target of the mouse wheel.
    virtual void pageActivated(FormWeb *page) = 0;
    // Opens the download folder.
    virtual void openDownloadFolder() = 0;
    // A picture of the gallery was clicked: its details are shown.
    virtual void openPictureDetails(const QString &) { }
    // The page wrote its gallery: the frame's gallery toggle goes on, which shows the gallery when
    // it was off.
    virtual void galleryWritten(FormWeb *) { }
    // Whether the frame's gallery toggle is on.
    virtual bool galleryToggleOn() const { return false; }
    // The frame's batch-save button, disabled while an automatic pass of the page runs.
    virtual void setBatchSaveEnabled(bool) { }
};

}
