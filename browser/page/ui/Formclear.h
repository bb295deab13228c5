#pragma once

#include "browser/page/TraceClearing.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace common {
struct Services;
}

namespace browser::page {

// What the trace cleaner clears in the browser frame itself.
struct FrameTraces {
    std::function<void()> clearAddressList;
    std::function<void()> clearSearchList;
    std::function<void()> clearClosedPagesMenu;
};

// "清除浏览记录": ten boxes of traces to clear, "全选", and the two buttons. Confirming clears
// what is ticked, in box order, closes the dialog and says that the work is done.
class Formclear : public QDialog {
    Q_OBJECT
public:
    Formclear(const common::Services &services, QString dataFolder, FrameTraces frame, QWidget *parent = nullptr);

    QGroupBox *Frame1 = nullptr;
    std::array<QCheckBox *, 10> Chk {};
    QCheckBox *CheckAll = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    void Command1_Click();

    // The folder of the history the dialog clears: the data folder's History/.
    QString historyFolder() const;

private:
    void clear(TraceKind kind);

    const common::Services &m_services;
    const QString m_dataFolder;
    FrameTraces m_frame;
};

}
