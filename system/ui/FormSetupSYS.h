#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace common {
struct RunningValues;
struct Services;
}

namespace sys {

// The viewer's settings dialog "系统设置中心": remember the last folder, pictures per page and the
// smallest picture size taken by the search.
class FormSetupSYS : public QDialog {
    Q_OBJECT
public:
    explicit FormSetupSYS(const common::Services &services, common::RunningValues &values, QWidget *parent = nullptr);

    // Only box 1 exists in this dialog; index 0 stays empty.
    std::array<QCheckBox *, 2> Chk {};
    QLineEdit *TextFile = nullptr;
    QLineEdit *TextSize = nullptr;
    QPushButton *CmdOK = nullptr;
    QPushButton *CmdCancel = nullptr;

    void Form_Load();
    void CmdOK_Click();

private:
    const common::Services &m_services;
    common::RunningValues &m_values;
};

}
