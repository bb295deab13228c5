#pragma once

#include <QPointer>
#include <QWebEnginePage>
#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace browser::frame {

// The frame's find bar: a word searched in the active page, with the next and previous match and
// "第 n 个，共 m 个". Enter finds the next match, Shift+Enter the previous, Escape closes the bar.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent);

    // Shows the bar for `page`, with its word selected and the focus in it.
    void open(QWebEnginePage *page);
    // Hides the bar and clears the page's highlighting.
    void closeBar();
    void findNext();
    void findPrevious();

    QLineEdit *edit() const { return m_edit; }
    QLabel *countLabel() const { return m_count; }
    // The last result: the active match (from 1) and the number of matches.
    int activeMatch() const { return m_active; }
    int matchCount() const { return m_matches; }

signals:
    // A search answered.
    void searched();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void find(bool backward);

    QPointer<QWebEnginePage> m_page;
    QLineEdit *m_edit = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_close = nullptr;
    QLabel *m_count = nullptr;
    QString m_word; // the word of the search under way
    QWebEnginePage::FindFlags m_flags;
    bool m_repeated = false;
    bool m_restarting = false; // the engine's answer to clearing a search before asking again
    int m_active = 0;
    int m_matches = 0;
};

}
