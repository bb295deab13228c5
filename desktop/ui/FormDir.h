#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QListWidget;
class QPushButton;

namespace common {
struct RunningValues;
struct Services;
}

namespace desktop {

// "文件夹加密": hides chosen folders and files from the file managers (the hidden and system
// marks; the contents are not encrypted) and keeps their list in the data folder, so they can
// be opened or made visible again. Modal; it deletes itself when closed.
class FormDir : public QDialog {
    Q_OBJECT
public:
    // The questions the window asks; tests answer them without dialogs.
    struct Prompts {
        std::function<QString(QWidget *owner, const QString &prompt)> chooseFolder;
        std::function<QString(QWidget *owner, const QString &title)> chooseFile;
        std::function<void(QWidget *owner, const QString &text)> inform;
    };
    static Prompts dialogPrompts();

    FormDir(const common::Services &services, const common::RunningValues &values, QWidget *parent = nullptr);

    void setPrompts(Prompts prompts) { m_prompts = std::move(prompts); }

    void Command1_Click(); // hide a folder
    void Command2_Click(); // restore the selected item
    void Command3_Click(); // open the selected item
    void Command4_Click(); // hide a file
    // Hides one item and lists it; false when it is refused or cannot be marked.
    bool hide(const QString &item);

    QStringList listed() const;
    QListWidget *list() const { return ListDir; }

private:
    void LoadHiddenList();

    const common::Services &m_services;
    const common::RunningValues &m_values;
    Prompts m_prompts;
    QString LastChosenPath;
    QListWidget *ListDir = nullptr;
};

}
