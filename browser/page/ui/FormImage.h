#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QWebEngineView;

namespace common {
struct RunningValues;
struct Services;
}
namespace web {
class SilentPage;
}

namespace browser::page {

// "图片详情 -": one picture alone, large and centred on a black page, with zoom, the previous and
// next pictures of the list the harvester made last, an address box, save and open.
class FormImage : public QWidget {
    Q_OBJECT
public:
    FormImage(const common::Services &services, common::RunningValues &values, QWidget *parent = nullptr);
    ~FormImage() override;

    // The one details window: made when there is none (its gallery position starts at 1), shown
    // with the picture at url and restored to its normal state. Used by the gallery.
    static FormImage *showPicture(const common::Services &services, common::RunningValues &values, const QString &url);

    QString CurrentImage;
    int GalleryIndex = 1;
    int ZoomPercent = 100;

    QWebEngineView *Web = nullptr;
    web::SilentPage *page() const { return m_page; }
    QLabel *LabNet = nullptr;
    QComboBox *CombNet = nullptr;
    QPushButton *CmdSave = nullptr;
    QPushButton *CmdSearch = nullptr;
    // Cmd[1] previous, Cmd[2] next, Cmd[4] zoom in, Cmd[5] zoom out.
    std::array<QPushButton *, 6> Cmd {};
    QComboBox *Cmb = nullptr;

    // Saves an address where the user says. Defaults to the save dialog, then the downloader
    // with its progress (a copy for a local file).
    std::function<void(const QString &address)> saveAddress;

    void LoadImg(const QString &pict);
    void ZOOMIE(int percent);
    void Cmd_Click(int index);
    void CmdSave_Click();
    void CmdSearch_Click();
    void CombNet_Click();
    void CombNet_KeyDown(int key);
    void Cmb_KeyDown(int key);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void Form_Resize();
    void DownloadComplete();

    const common::Services &m_services;
    common::RunningValues &m_values;
    web::SilentPage *m_page = nullptr;
};

}
