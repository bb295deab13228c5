#include "browser/frame/FrameMenus.h"

#include "browser/frame/AddressRules.h"

namespace browser::frame {

namespace {
    FrameMenuItem item(const char16_t *text)
    {
        return { FrameMenuItem::Command, QString::fromUtf16(text) };
    }
    FrameMenuItem hiddenItem(const char16_t *text, bool checked = false)
    {
        return { FrameMenuItem::Command, QString::fromUtf16(text), true, checked };
    }
    FrameMenuItem separator(bool hidden = false)
    {
        return { FrameMenuItem::Separator, {}, hidden };
    }
    FrameMenuItem list(FrameMenuItem::ListKind kind)
    {
        return { FrameMenuItem::List, {}, false, false, kind };
    }
}

const QList<FrameMenu> &frameMenus()
{
    static const QList<FrameMenu> menus {
        { QStringLiteral("文件(&F)"),
            false,
            { item(u"开启新窗口(&N)"),
                item(u"新建标签"),
                item(u"打开本地文件(&O)..."),
                separator(),
                item(u"保存 网页(&A)"),
                item(u"保存 源文件(&M)"),
                item(u"保存 网页截屏(&P)"),
                separator(),
                item(u"提取全部图片 另存为(&S)"),
                separator(),
                item(u"页面设置"),
                item(u"打印预览(&G)"),
                item(u"打印(&P)"),
                separator(),
                item(u"电子邮件"),
                item(u"我的电脑"),
                item(u"创建桌面快捷方式"),
                separator(),
                item(u"拨号上网(&N)"),
                item(u"脱机工作(&T)"),
                separator(),
                item(u"立即关闭电脑(&C)"),
                item(u"退出(&X)") } },
        { QStringLiteral("编辑(&E)"),
            false,
            { item(u"撤消关闭窗口"),
                item(u"关闭当前网页"),
                separator(),
                item(u"复制(&C)"),
                item(u"剪切(&T)"),
                item(u"粘贴(&P)"),
                separator(),
                item(u"网页编辑模式"),
                item(u"页面属性"),
                separator(),
                item(u"全选(&A)"),
                item(u"查找(&F)") } },
        { QStringLiteral("标签(&B)"),
            true,
            { item(u"关闭标签(鼠标双击)"),
                item(u"新建标签               Ctri+T"),
                item(u"恢复关闭的标签"),
                separator(),
                item(u"至页面顶部                      F2"),
                item(u"至页面底部                      F3"),
                item(u"用其它浏览器访问"),
                separator(),
                item(u"关闭其他窗口"),
                item(u"关闭左侧窗口"),
                item(u"关闭右侧窗口"),
                separator(),
                item(u"复制网站标题"),
                item(u"复制网站地址"),
                item(u"复制所选文字") } },
        { QStringLiteral("查看(&V)"),
            false,
            { item(u"至页面顶部"),
                item(u"至页面底部"),
                item(u"允许播放电影/音乐"),
                separator(),
                item(u"查看网页图片"),
                item(u"下载网页图片（手动）"),
                item(u"图片下载目录"),
                separator(),
                item(u"刷新(&R)"),
                item(u"全部刷新"),
                item(u"停止(&S)"),
                separator(),
                item(u"缓慢向上滚动"),
                item(u"缓慢向下滚动"),
                item(u"用其他浏览器查看"),
                separator(),
                item(u"源文件"),
                item(u"选中区域的源文件"),
                separator(),
                item(u"页面屏幕放大       (+)"),
                item(u"页面屏幕缩小       (-)"),
                separator(),
                item(u"全屏显示") } },
        { QStringLiteral("收藏夹(&A)"),
            false,
            { item(u"添加到收藏夹"),
                item(u"刷新收藏夹"),
                item(u"整理收藏夹"),
                separator(),
                list(FrameMenuItem::OutsideSites),
                separator(),
                list(FrameMenuItem::FavoritesList) } },
        { QStringLiteral("工具(&T)"),
            false,
            { item(u"清除网页广告"),
                item(u"清除浏览记录(&C)"),
                item(u"网站访问历史(&H)"),
                separator(),
                hiddenItem(u"Melodesk"),
                hiddenItem(u"启动 OFFice Word"),
                hiddenItem(u"启动 OFFice Excel"),
                item(u"网页刷屏器(&R)"),
                item(u"下载网络文件"),
                item(u"文件夹加密(&J)"),
                separator(),
                item(u"屏幕保护程序(下载目录)"),
                item(u"关闭电脑声音"),
                item(u"关闭电脑屏幕"),
                separator(true),
                hiddenItem(u"启动 （安全看图模式）", true),
                hiddenItem(u"启动 （广告拦截模式）", true),
                separator(),
                item(u"选项设置(&S)") } },
        { QStringLiteral("历史(&L)"),
            false,
            { list(FrameMenuItem::ClosedPagesList), separator(), item(u"清除历史记录(&C)") } },
        { QStringLiteral("帮助(&H)"),
            false,
            { item(u"帮助主题(&S)"), separator(), list(FrameMenuItem::VersionCheck), item(u"关于(&A)") } },
    };
    return menus;
}

const QList<ToolbarButton> &toolbarButtons()
{
    static const QList<ToolbarButton> buttons {
        { QStringLiteral("CmdPage(0)"), QStringLiteral("后退") },
        { QStringLiteral("CmdPage(1)"), QStringLiteral("前进") },
        { QStringLiteral("Command2"), QStringLiteral("页面刷新") },
        { QStringLiteral("MoveUp(0)"), QStringLiteral("至页面顶部") },
        { QStringLiteral("MoveUp(1)"), QStringLiteral("至页面底部") },
        { QStringLiteral("Command8"), QStringLiteral("关闭当前网页") },
        { QStringLiteral("Command3"), QStringLiteral("恢复关闭的网页") },
        { QStringLiteral("Command11"), QStringLiteral("查看源文件") },
        { QStringLiteral("ImgComb"), QStringLiteral("成批阅读网页") },
        { QStringLiteral("Command1"), QStringLiteral("屏幕保护程序（下载目录）") },
        { QStringLiteral("Command5"), QStringLiteral("网站导航") },
        { QStringLiteral("Command7"), QStringLiteral("百度搜图 / 成批下载") },
        { QStringLiteral("Command4"), QStringLiteral("成批下载图片") },
        { QStringLiteral("Command6"), QStringLiteral("图片下载目录") },
        { QStringLiteral("Chk"), QStringLiteral("提取网页图片") },
        { QStringLiteral("CmdGo"), QStringLiteral("转到") },
        { QStringLiteral("CmdSearch"), QStringLiteral("百度搜图 / 成批下载") },
    };
    return buttons;
}

NewTabView newTabView(const QString &address, bool opensActive)
{
    NewTabView view;
    if (!opensActive) {
        view.sendToBack = true;
        return view;
    }
    view.showAddress = true;
    view.addressText = addressBoxText(shownAddress(address));
    view.blankCaption = address == QLatin1String("about:blank");
    return view;
}

}
