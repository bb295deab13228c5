#include "browser/frame/ui/FindBar.h"

#include "browser/frame/PageCommands.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

namespace browser::frame {

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(4);
    layout->addWidget(new QLabel(QStringLiteral("查找："), this));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("findText"));
    m_edit->setMinimumWidth(180);
    m_edit->installEventFilter(this);
    layout->addWidget(m_edit);
    m_previous = new QToolButton(this);
    m_previous->setObjectName(QStringLiteral("findPrevious"));
    m_previous->setText(QStringLiteral("上一个"));
    m_previous->setToolTip(QStringLiteral("上一个 (Shift+Enter)"));
    layout->addWidget(m_previous);
    m_next = new QToolButton(this);
    m_next->setObjectName(QStringLiteral("findNext"));
    m_next->setText(QStringLiteral("下一个"));
    m_next->setToolTip(QStringLiteral("下一个 (Enter)"));
    layout->addWidget(m_next);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("findCount"));
    m_count->setMinimumWidth(110);
    layout->addWidget(m_count);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("findClose"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setAutoRaise(true);
    m_close->setToolTip(QStringLiteral("关闭 (Esc)"));
    layout->addWidget(m_close);

    connect(m_next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &FindBar::closeBar);
    // Typing searches from the top as the word grows.
    connect(m_edit, &QLineEdit::textEdited, this, [this] { find(false); });
    hide();
}

void FindBar::open(QWebEnginePage *page)
{
    if (m_page != page) {
        if (m_page) {
            m_word.clear();
            m_page->findText(QString());
            disconnect(m_page, &QWebEnginePage::findTextFinished, this, nullptr);
        }
        m_page = page;
        // The engine reports the final count of every search here.
        if (m_page)
            connect(m_page, &QWebEnginePage::findTextFinished, this, [this](const QWebEngineFindTextResult &result) {
                if (m_restarting)
                    return;
                // The engine answers the first search of a page with no matches at times: a search
                // that found nothing is asked once more before the bar says so. It is asked afresh,
                // as the engine may have stepped to a match it did not count, and a search for the
                // next one would pass it.
                if (result.numberOfMatches() == 0 && !m_repeated && !m_word.isEmpty()) {
                    m_repeated = true;
                    QTimer::singleShot(0, this, [this] {
                        if (!m_page || m_word.isEmpty())
                            return;
                        m_restarting = true;
                        m_page->findText(QString());
                        m_restarting = false;
                        m_page->findText(m_word, m_flags);
                    });
                    return;
                }
                m_active = result.activeMatch();
                m_matches = result.numberOfMatches();
                m_count->setText(findCountText(m_edit->text(), m_active, m_matches));
                emit searched();
            });
    }
    adjustSize();
    show();
    raise();
    m_edit->setFocus();
    m_edit->selectAll();
}

void FindBar::closeBar()
{
    m_word.clear();
    if (m_page)
        m_page->findText(QString());
    m_active = 0;
    m_matches = 0;
    m_count->clear();
    hide();
}

void FindBar::findNext()
{
    find(false);
}

void FindBar::findPrevious()
{
    find(true);
}

void FindBar::find(bool backward)
{
    const QString word = m_edit->text();
    if (!m_page) {
        m_count->setText(findCountText(word, 0, 0));
        emit searched();
        return;
    }
    if (word.isEmpty()) {
        m_word.clear();
        m_page->findText(QString());
        m_active = 0;
        m_matches = 0;
        m_count->clear();
        emit searched();
        return;
    }
    m_word = word;
    m_flags = backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    m_repeated = false;
    m_page->findText(word, m_flags);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            closeBar();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}
