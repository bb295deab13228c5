#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QAudioOutput;
class QComboBox;
class QLabel;
class QListWidget;
class QMediaPlayer;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTimer;
class QToolButton;
class QVideoWidget;

namespace common {
struct RunningValues;
struct Services;
}

namespace viewer {

class FormPicture;
class MediaSearch;
struct ViewerState;

// The media search window: finds the pictures, music, films or Flash files of a folder tree
// through the viewer's media search, lists them, previews the one chosen and copies, opens,
// saves, deletes or exports them. A picture search also becomes the viewer's list.
class FormSearch : public QDialog {
    Q_OBJECT
public:
    FormSearch(const common::Services &services,
        common::RunningValues &values,
        ViewerState &viewerState,
        FormPicture &viewer,
        QWidget *parent = nullptr);
    ~FormSearch() override;

    static QString caption() { return QStringLiteral("搜索图片（音乐、电影）子目录……"); }

    // The chosen category (the index of the checked option).
    int Seltype() const;

    // The questions and messages the commands put to the user; tests replace them.
    std::function<QString(const QString &prompt)> askFolder;
    std::function<QString(const QString &title, const QString &defaultName, int filterIndex)> askSavePath;
    std::function<bool(const QString &question)> confirm;
    std::function<void(const QString &message)> inform;

    // Controls, named as the commands refer to them.
    QLabel *PathLabel = nullptr;
    QComboBox *ComPath = nullptr;
    QToolButton *CmdSearch = nullptr;
    std::array<QRadioButton *, 4> Opt {};
    QPushButton *Command1 = nullptr;
    QListWidget *ListFile = nullptr;
    QLabel *Lab = nullptr;
    QStackedWidget *Preview = nullptr;
    QVideoWidget *VideoView = nullptr;
    QLabel *PicturePreview = nullptr;
    QLabel *PreviewNote = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;

    // The media player of the preview (made at the first music or film shown).
    QMediaPlayer *player() const { return m_player; }
    // The file the preview shows, "" for none.
    QString previewedPath() const { return m_previewed; }
    // True while "保存全部" copies.
    bool isCopyingAll() const;

    // Handlers, public so that buttons and tests reach the same code.
    void CmdSearch_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Opt_Click(int index);
    void ListFile_Click();
    void ListFile_DblClick();

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void Form_QueryUnload();
    void searchFinished();
    QString selectedPath() const;
    void showPreview(const QString &path);
    void stopPlayer();
    void copyNextFile();

    const common::Services &m_services;
    common::RunningValues &m_values;
    ViewerState &m_viewerState;
    FormPicture &m_viewer;
    MediaSearch &m_search;
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_audio = nullptr;
    QTimer *m_copyTimer = nullptr;
    QString m_copyFolder;
    int m_copyRow = 0;
    QString m_previewed;
    // The list shows the files of the search running or last run (a category change clears it).
    bool m_listShowsSearch = false;
    bool m_unloaded = false;
};

}
