#pragma once

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace common {
class SettingsStore;
}

namespace browser::frame {

// "成批阅读网页": lists the web-page files of a folder and opens one, or all of them in list
// order, each in a new tab. The folder is kept in the settings from one use to the next.
class FormReader : public QWidget {
    Q_OBJECT
public:
    // `open` opens a local file's path in a new tab.
    FormReader(common::SettingsStore &settings,
        const QString &dataFolder,
        std::function<void(const QString &path)> open,
        QWidget *parent = nullptr);
    ~FormReader() override;

    QComboBox *ComPath = nullptr;
    QPushButton *CmdSearch = nullptr;
    QListWidget *ListFile = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Label1 = nullptr;

    // The folder ListFile lists.
    const QString &currentFolder() const { return m_folder; }
    void CmdSearch_Click();
    void ComPath_Click(int index);
    void ComPath_KeyEnter();
    void ListFile_Click(int row);
    void Command1_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void listFolder(const QString &folder);
    void addToPathList(const QString &folder);
    void information(const QString &text);
    void saveFolder();

    common::SettingsStore &m_settings;
    QString m_dataFolder;
    std::function<void(const QString &)> m_open;
    QString m_folder;
    bool m_saved = false;
};

}
