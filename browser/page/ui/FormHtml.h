#pragma once

#include "browser/page/SourceEditor.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace common {
struct Services;
}

namespace browser::page {

// The source editor "源文件": a page's markup as plain text, with a search, a replace-all, the
// clipboard commands, and opening and saving text files. Each request opens a new one.
class FormHtml : public QMainWindow {
    Q_OBJECT
public:
    // `startFolder`: where the file dialogs start unless the settings say otherwise.
    FormHtml(const common::Services &services, QString startFolder, QWidget *parent = nullptr);

    // Fills the editor: the source, the page address and the page title.
    void setSource(const QString &source, const QString &address, const QString &title);

    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QComboBox *TextFind = nullptr;
    QPushButton *CmdFind = nullptr;
    QAction *mOpen = nullptr;
    QAction *Fsave = nullptr;
    QAction *Fexit = nullptr;
    QAction *eCopy = nullptr;
    QAction *eCut = nullptr;
    QAction *eCast = nullptr;
    QAction *Find = nullptr;
    QAction *eFind = nullptr;

    void CmdFind_Click();
    void Find_Click();
    void eCopy_Click();
    void eCut_Click();
    void eCast_Click();
    void mOpen_Click();
    void Fsave_Click();
    const SourceSearch &search() const { return m_search; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void Form_Resize();
    const QString &plainText();

    const common::Services &m_services;
    const QString m_startFolder;
    SourceSearch m_search;
    QString m_text; // the source as plain text, made again after a change
    bool m_textStale = true;
    QString m_lastPath;
};

}
