#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace browser::frame {

// "添加到收藏夹": adds a page to the favorites list under a name of at most 30 characters.
class Favorites : public QDialog {
    Q_OBJECT
public:
    // `addFavor` rebuilds the frame's favorites menu once a line was added.
    Favorites(const QString &dataFolder,
        const QString &title,
        const QString &address,
        std::function<void()> addFavor,
        QWidget *parent = nullptr);

    QLineEdit *txtTitle = nullptr;
    QLineEdit *txtUrl = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *Command1 = nullptr;
    QCheckBox *Check1 = nullptr;
    // The category folders below "Favorites/", for the user to see what "新建目录" made.
    QListWidget *ListDir = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
    void Command1_Click();

private:
    void listCategories();

    QString m_dataFolder;
    std::function<void()> m_addFavor;
};

}
