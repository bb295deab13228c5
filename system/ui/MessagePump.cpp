#include "system/ui/MessagePump.h"

#include "common/Paths.h"
#include "web/ui/PageScripts.h"

#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QWebEnginePage>
#include <QWheelEvent>

namespace sys {

namespace {

    constexpr int kNotch = 120;

    class EditMessageFilter : public QObject {
    public:
        using QObject::QObject;

    protected:
        bool eventFilter(QObject *, QEvent *event) override
        {
            switch (event->type()) {
            case QEvent::ContextMenu:
            case QEvent::Wheel:
                return true;
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress: {
                const auto *key = static_cast<QKeyEvent *>(event);
                if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Cut)
                    || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste)) {
                    return true;
                }
                // Shift+Delete cuts and Shift+Insert / Ctrl+Insert paste and copy in text boxes.
                const auto modifiers = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
                return (key->key() == Qt::Key_Delete && modifiers == Qt::ShiftModifier)
                    || (key->key() == Qt::Key_Insert && modifiers != Qt::NoModifier);
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
                // The middle button pastes the X11 selection.
                return static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton;
            default:
                return false;
            }
        }
    };

}

MessagePump::MessagePump(QObject *parent)
    : QObject(parent)
{
}

void MessagePump::setViewer(QWidget *viewer, QWebEngineView *web, std::function<QString()> webFilePath, QMenu *menu)
{
    m_viewer = viewer;
    m_viewerWeb = web;
    m_webFilePath = std::move(webFilePath);
    m_menu = menu;
}

void MessagePump::scrollBy(QWebEngineView *view, int dx, int dy)
{
    if (!view || !view->page())
        return;
    web::scrollPage(view->page(), dx, dy);
}

bool MessagePump::belongsTo(QObject *watched, const QWidget *window) const
{
    if (!window || !watched->isWidgetType())
        return false;
    return static_cast<QWidget *>(watched)->window() == window;
}

bool MessagePump::eventFilter(QObject *watched, QEvent *event)
{
    if (QuitPump)
        return false;
    if (event->type() == QEvent::Wheel && WheelForm && belongsTo(watched, WheelForm)) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        // Whole notches scroll; the fine steps of a smooth wheel add up to notches.
        m_wheelRemainder += wheel->angleDelta().y();
        while (m_wheelRemainder <= -kNotch) {
            scrollBy(WheelBrowser, 0, kWheelStep);
            m_wheelRemainder += kNotch;
        }
        while (m_wheelRemainder >= kNotch) {
            scrollBy(WheelBrowser, 0, -kWheelStep);
            m_wheelRemainder -= kNotch;
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && m_viewer && WheelForm == m_viewer && m_viewerWeb
        && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton && watched->isWidgetType()
        && (watched == m_viewerWeb || m_viewerWeb->isAncestorOf(static_cast<QWidget *>(watched)))) {
        RightClickPath = common::localPathFromUrlText(m_webFilePath ? m_webFilePath() : QString());
        if (m_menu)
            m_menu->popup(QCursor::pos());
        return true;
    }
    return false;
}

void FilterEditMessages(QWidget *control)
{
    if (!control)
        return;
    auto *filter = new EditMessageFilter(control);
    control->installEventFilter(filter);
    if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
}

}
