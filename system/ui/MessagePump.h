#pragma once

#include <QObject>
#include <QPointer>
#include <QWebEngineView>

#include <functional>

class QMenu;
class QWidget;

namespace sys {

// The program's additions to the Qt event loop: the wheel over the current window (`WheelForm`)
// scrolls its embedded page (`WheelBrowser`) by 200 pixels a notch and is consumed, and a right
// button released over the viewer's page opens the viewer's picture menu for the link under the
// mouse. Installed once on the application.
class MessagePump : public QObject {
    Q_OBJECT
public:
    static constexpr int kWheelStep = 200;

    explicit MessagePump(QObject *parent = nullptr);

    // Set when the viewer closes: from then on no event is routed.
    bool QuitPump = false;
    // The local path of the picture under the mouse at the last right click over the viewer's page
    // ("" when none); the picture menu's commands act on it.
    QString RightClickPath;

    QPointer<QWidget> WheelForm;
    QPointer<QWebEngineView> WheelBrowser;

    // The viewer window, its page view, where its hovered link address is kept, and the menu
    // shown on a right-button release over the page.
    void setViewer(QWidget *viewer, QWebEngineView *web, std::function<QString()> webFilePath, QMenu *menu);

    // Scrolls the document shown in `view` by (dx, dy) pixels.
    static void scrollBy(QWebEngineView *view, int dx, int dy);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool belongsTo(QObject *watched, const QWidget *window) const;

    QPointer<QWidget> m_viewer;
    QPointer<QWebEngineView> m_viewerWeb;
    std::function<QString()> m_webFilePath;
    QPointer<QMenu> m_menu;
    int m_wheelRemainder = 0;
};

// Makes a single-line text box or an editable combo box ignore its context menu, undo, the wheel,
// and cut, copy, paste and clear; every other input behaves normally. The filter lives as long as
// the control.
void FilterEditMessages(QWidget *control);

}
