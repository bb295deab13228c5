#include "browser/frame/FrameCommands.h"

namespace browser::frame {

const QList<Shortcut> &frameShortcuts()
{
    static const QList<Shortcut> table {
        { QStringLiteral("F1"), QStringLiteral("帮助主题(&S)") },
        { QStringLiteral("F2"), QStringLiteral("至页面顶部") },
        { QStringLiteral("F3"), QStringLiteral("至页面底部") },
        { QStringLiteral("F4"), QStringLiteral("新建标签") },
        { QStringLiteral("F5"), QStringLiteral("刷新(&R)") },
        { QStringLiteral("F6"), QStringLiteral("开启新窗口(&N)") },
        { QStringLiteral("F9"), QStringLiteral("关闭标签(鼠标双击)") },
        { QStringLiteral("F11"), QStringLiteral("全屏显示") },
        { QStringLiteral("Ctrl+Z"), QStringLiteral("撤消关闭窗口") },
        { QStringLiteral("Ctrl+C"), QStringLiteral("复制(&C)") },
        { QStringLiteral("Ctrl+X"), QStringLiteral("剪切(&T)") },
        { QStringLiteral("Ctrl+V"), QStringLiteral("粘贴(&P)") },
        { QStringLiteral("Ctrl+A"), QStringLiteral("全选(&A)") },
        { QStringLiteral("Ctrl+F"), QStringLiteral("查找(&F)") },
        { QStringLiteral("Ctrl+S"), QStringLiteral("保存 网页(&A)") },
        { QStringLiteral("Ctrl+P"), QStringLiteral("打印(&P)") },
        { QStringLiteral("Ctrl+D"), QStringLiteral("添加到收藏夹") },
    };
    return table;
}

QString helpMessageText()
{
    return QStringLiteral(
               "《Nimbrow》是一款基于IE内核的网页浏览器，绿色软件，大小只有100KB。它最大的特点是可以一边浏览网页，"
               "一边自动下载网页的风景图片到您本地的电脑目录里面，十分方便。 ")
        + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Nimbrow的快捷键：F2至页面顶端；F3至页面底端；F4新建选项卡；F5刷新当前窗口；F6开启新窗口；"
                         "F9关闭当前窗口；F11全屏 。");
}

QString frameCaption(const QString &title)
{
    return title + QStringLiteral(" - Nimbrow ");
}

}
