#pragma once

#include "browser/frame/AutoRefresh.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace browser::frame {

// "网页刷屏器": reloads the active tab again and again at the chosen interval until paused or
// closed.
class FormAutoREshua : public QWidget {
    Q_OBJECT
public:
    // `refresh` reloads the tab that is active when it is called. Without `ticks` the window runs
    // on a one-second timer.
    explicit FormAutoREshua(
        std::function<void()> refresh, std::unique_ptr<TickSource> ticks = nullptr, QWidget *parent = nullptr);
    ~FormAutoREshua() override;

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *Comb = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Lab = nullptr;

    void Command1_Click();
    const AutoRefresher &refresher() const { return *m_refresher; }

private:
    std::unique_ptr<TickSource> m_ticks;
    std::unique_ptr<AutoRefresher> m_refresher;
};

}
