#pragma once

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace common::platform {
class Desktop;
}

namespace browser::frame {

// "整理收藏夹": the favorites list, one line per favorite, for deleting lines and copying an
// address. Leaving writes the list back and rebuilds the menu, unless left with "撤销(&S)".
class FormDfg : public QDialog {
    Q_OBJECT
public:
    FormDfg(const QString &dataFolder,
        common::platform::Desktop &desktop,
        std::function<void()> addFavor,
        QWidget *parent = nullptr);

    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    void List1_Click();
    void Command1_Click();
    void Command2_Click();
    // The address of the line clicked last.
    const QString &copiedAddress() const { return m_address; }

    // Every way of leaving ends here: the close box, Escape and the buttons.
    void done(int result) override;

private:
    void Form_Load();
    void Form_Unload();

    QString m_path;
    common::platform::Desktop &m_desktop;
    std::function<void()> m_addFavor;
    QString m_address;
    bool m_leaveUnsaved = false;
    bool m_unloaded = false;
};

}
