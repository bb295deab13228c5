#include "browser/frame/PageCommands.h"

#include <QtGlobal>

namespace browser::frame {

namespace {
    constexpr int kZoomFloor = 15;
    constexpr int kZoomStep = 10;
    constexpr int kCaptionTail = 14; // " - Nimbrow " and three characters more
}

const QList<PageActionEntry> &pageActionEntries()
{
    static const QList<PageActionEntry> entries {
        { QStringLiteral("文件(&F)"), QStringLiteral("保存 网页(&A)"), PageAction::SaveAs },
        { QStringLiteral("文件(&F)"), QStringLiteral("页面设置"), PageAction::PageSetup },
        { QStringLiteral("文件(&F)"), QStringLiteral("打印预览(&G)"), PageAction::PrintPreview },
        { QStringLiteral("文件(&F)"), QStringLiteral("打印(&P)"), PageAction::Print },
        { QStringLiteral("编辑(&E)"), QStringLiteral("复制(&C)"), PageAction::Copy },
        { QStringLiteral("编辑(&E)"), QStringLiteral("剪切(&T)"), PageAction::Cut },
        { QStringLiteral("编辑(&E)"), QStringLiteral("粘贴(&P)"), PageAction::Paste },
        { QStringLiteral("编辑(&E)"), QStringLiteral("页面属性"), PageAction::Properties },
        { QStringLiteral("编辑(&E)"), QStringLiteral("全选(&A)"), PageAction::SelectAll },
    };
    return entries;
}

int nextZoom(int bigSize, int index)
{
    const int z = qMax(bigSize, kZoomFloor);
    return index == 0 ? z + kZoomStep : z - kZoomStep;
}

QList<int> refreshAllPositions(int tabCount)
{
    QList<int> positions;
    for (int i = 1; i < tabCount; ++i)
        positions.append(i);
    return positions;
}

QString sourceFileName(const QString &frameCaption)
{
    return frameCaption.left(qMax(0, int(frameCaption.size()) - kCaptionTail)) + QStringLiteral(".txt");
}

QString findCountText(const QString &word, int activeMatch, int matches)
{
    if (word.isEmpty())
        return QString();
    if (matches <= 0)
        return QStringLiteral("找不到");
    return QStringLiteral("第 %1 个，共 %2 个").arg(activeMatch).arg(matches);
}

const QList<OfficeEntry> &officeEntries()
{
    static const QList<OfficeEntry> entries {
        { QStringLiteral("启动 OFFice Word"), QStringLiteral("libreoffice"), { QStringLiteral("--writer") } },
        { QStringLiteral("启动 OFFice Excel"), QStringLiteral("libreoffice"), { QStringLiteral("--calc") } },
    };
    return entries;
}

}
