#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace common {
struct RunningValues;
struct Services;
}

namespace viewer {

struct ViewerState;

// The commands of the viewer's picture menu, each acting on the picture path it is given (the
// picture right-clicked in the page), and the list export of its file menu. Every command does nothing when there is no
// picture or when a step fails; none reports an error.
class PictureCommands {
public:
    PictureCommands(const common::Services &services,
        common::RunningValues &values,
        const ViewerState &viewerState,
        QWidget *owner);

    // Asks for a path to save to (title, proposed name, filter index); "" when cancelled.
    // Defaults to sys::ShowSaveDialog over the owner.
    std::function<QString(const QString &title, const QString &defaultName, int filterIndex)> askSavePath;

    // Pictures larger than this many pixels are not decoded for the clipboard.
    static constexpr qint64 kClipboardPixelLimit = 64LL * 1024 * 1024;

    // "打开图片(&O)": the desktop's default program.
    bool openPicture(const QString &path);
    // "查看图片路径(&P)": the file manager with the picture selected.
    bool showPicturePath(const QString &path);
    // "另存图片(&C)": a copy at the path the save dialog gives (its own question guards an existing
    // file, which is then replaced whole).
    bool savePictureCopy(const QString &path);
    // "删除图片(&D)": moves the picture to the desktop's trash, without asking. Folders and links to
    // folders are refused. True when the file went, so the page should be reloaded.
    bool deletePicture(const QString &path);
    // "设置桌面背景(&E)", and the wallpaper value kept under "Control Panel\Desktop".
    bool setDesktopBackground(const QString &path);
    // "复制图片(剪贴板)": the decoded picture on the clipboard.
    bool copyToClipboard(const QString &path);
    // "编辑图片(画图板)": the image editor, with the path as one argument.
    bool editPicture(const QString &path);
    // "图片属性(&A)".
    bool showProperties(const QString &path);
    // "导出图像文件列表": the list text and one more CR LF, in the locale's charset, then opened.
    bool exportList();
    // "系统设置中心(&S)": the viewer's settings dialog, modal. True when confirmed.
    bool openSystemSettings();

private:
    const common::Services &m_services;
    common::RunningValues &m_values;
    const ViewerState &m_viewerState;
    QWidget *m_owner = nullptr;
};

}
