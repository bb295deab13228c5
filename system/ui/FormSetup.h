#pragma once

#include <QComboBox>
#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QPushButton;

namespace common {
struct RunningValues;
struct Services;
}

namespace sys {

// A drop-down that asks for a folder instead of opening a list when the user activates it.
class FolderChooserBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override { emit chooseRequested(); }

signals:
    void chooseRequested();
};

// The browser's options dialog "选项设置": start page, safe mode, history, background tabs,
// automatic saving and the download folder.
class FormSetup : public QDialog {
    Q_OBJECT
public:
    explicit FormSetup(const common::Services &services, common::RunningValues &values, QWidget *parent = nullptr);

    // Asks for the download folder; "" means cancelled. Defaults to BrowseForFolder.
    std::function<QString(QWidget *owner)> askFolder;

    QComboBox *ComUrl = nullptr;
    std::array<QCheckBox *, 4> Chk {};
    FolderChooserBox *ComPath = nullptr;
    QPushButton *CmdOK = nullptr;
    QPushButton *CmdCancel = nullptr;

    void Form_Load();
    void ComPath_Click();
    void CmdOK_Click();

private:
    const common::Services &m_services;
    common::RunningValues &m_values;
};

}
