#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace common::platform {
class Desktop;
}

namespace browser::page {

// "下载网络文件": asks for an address and hands it to the save dialog and the downloader. Stays on
// top of other windows; an address on the clipboard is taken when the address box gets the focus.
class FormDownload : public QDialog {
    Q_OBJECT
public:
    explicit FormDownload(common::platform::Desktop &desktop, QWidget *parent = nullptr);

    // Opens a new dialog over parent; it goes when closed.
    static FormDownload *open(common::platform::Desktop &desktop, QWidget *parent);

    QComboBox *CombUrl = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    // Asks for a folder; "" when cancelled. Defaults to the program's folder chooser.
    std::function<QString(const QString &prompt)> askFolder;
    // Saves an address. Defaults to the save dialog and the downloader with its progress, over
    // the dialog's parent window (the dialog itself closes at once).
    std::function<void(const QString &address)> startDownload;

    void CombUrl_GotFocus();
    void CombUrl_Change();
    void Command1_Click();
    void Command3_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();

    common::platform::Desktop &m_desktop;
};

}
