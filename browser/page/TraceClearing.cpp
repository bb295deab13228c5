#include "browser/page/TraceClearing.h"

#include "common/Files.h"
#include "common/Paths.h"
#include "system/ShellFileOp.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace browser::page {

namespace {

    // Removes one file or link of `folder`; a link is removed itself, never what it names.
    void removeEntry(const QString &folder, const QString &name)
    {
        const QString path = common::withTrailingSlash(folder) + name;
        const QFileInfo info(path);
        if (info.isSymLink() || info.isFile())
            QFile::remove(path);
    }

    // The application names of one bookmark element.
    QStringList applicationNames(QByteArrayView bookmark)
    {
        static const QRegularExpression name(QStringLiteral(R"re(<bookmark:application\b[^>]*?\bname="([^"]*)")re"));
        QStringList names;
        auto it = name.globalMatch(QString::fromUtf8(bookmark));
        while (it.hasNext())
            names.append(it.next().captured(1));
        return names;
    }

}

const QList<TraceBox> &traceBoxes()
{
    static const QList<TraceBox> boxes {
        { QStringLiteral("清除地址栏历史"), TraceKind::AddressList, QStringLiteral("清空地址栏的下拉列表") },
        { QStringLiteral("清除搜索栏历史"), TraceKind::SearchList, QStringLiteral("清空搜图框的下拉列表") },
        { QStringLiteral("清除网站访问历史"),
            TraceKind::VisitHistory,
            QStringLiteral("删除数据目录中的 History 文件夹（不会删除其外的任何文件）") },
        { QStringLiteral("清除上网的表单记录"),
            TraceKind::FormData,
            QStringLiteral("删除浏览器保存的表单与自动填写记录") },
        { QStringLiteral("清空“我的文档”列表"),
            TraceKind::RecentDocuments,
            QStringLiteral("只删除本程序加入“最近使用的文件”列表的条目，其他程序的条目保留") },
        { QStringLiteral("清除 Cookies 痕迹"), TraceKind::Cookies, QStringLiteral("删除浏览器保存的全部 Cookies") },
        { QStringLiteral("清除网页缓存"), TraceKind::WebCache, QStringLiteral("清空浏览器的网页缓存") },
        { QStringLiteral("清除临时目录"), TraceKind::TempFiles, QStringLiteral("删除本程序生成的临时网页文件") },
        { QStringLiteral("清除撤销记录"),
            TraceKind::ClosedPages,
            QStringLiteral("清空“历史”菜单中最近关闭的网页（已保存的记录保留）") },
        { QStringLiteral("清除“网上邻居”痕迹"),
            TraceKind::NetworkNeighbourhood,
            QStringLiteral("本系统没有“网上邻居”记录，此项不做任何清除") },
    };
    return boxes;
}

const QStringList &ownApplicationNames()
{
    static const QStringList names { QStringLiteral("Vistelle"),
        QStringLiteral("vistelle"),
        QStringLiteral("Nimbrow"),
        QStringLiteral("Melodesk"),
        QStringLiteral("Velmora") };
    return names;
}

QByteArray withoutOwnRecentEntries(const QByteArray &xbel, const QStringList &ownApplications, int *removed)
{
    static const QRegularExpression application(
        QStringLiteral(R"re(<bookmark:application\b[^>]*?\bname="([^"]*)"[^>]*?/>)re"));
    QByteArray out;
    out.reserve(xbel.size());
    int dropped = 0;
    qsizetype from = 0;
    while (true) {
        qsizetype start = xbel.indexOf("<bookmark ", from);
        if (start < 0)
            start = xbel.indexOf("<bookmark\n", from);
        const qsizetype close = start < 0 ? -1 : xbel.indexOf("</bookmark>", start);
        if (start < 0 || close < 0) {
            out += xbel.mid(from);
            break;
        }
        const qsizetype end = close + qsizetype(sizeof("</bookmark>") - 1);
        const QByteArray bookmark = xbel.mid(start, end - start);
        const QStringList names = applicationNames(bookmark);
        const bool anyOwn =
            std::any_of(names.begin(), names.end(), [&](const QString &n) { return ownApplications.contains(n); });
        const bool allOwn = anyOwn
            && std::all_of(names.begin(), names.end(), [&](const QString &n) { return ownApplications.contains(n); });
        if (allOwn) {
            // The bookmark goes with the indentation before it and the line end after it.
            qsizetype lineStart = start;
            while (lineStart > from && (xbel[lineStart - 1] == ' ' || xbel[lineStart - 1] == '\t'))
                --lineStart;
            out += xbel.mid(from, lineStart - from);
            qsizetype after = end;
            if (after < xbel.size() && xbel[after] == '\n')
                ++after;
            from = after;
            ++dropped;
            continue;
        }
        out += xbel.mid(from, start - from);
        if (!anyOwn) {
            out += bookmark;
        } else {
            // Only the program's own application elements go.
            QString text = QString::fromUtf8(bookmark);
            qsizetype pos = 0;
            QRegularExpressionMatch m;
            while ((m = application.match(text, pos)).hasMatch()) {
                if (ownApplications.contains(m.captured(1))) {
                    qsizetype s = m.capturedStart();
                    while (s > 0 && (text[s - 1] == QLatin1Char(' ') || text[s - 1] == QLatin1Char('\t')))
                        --s;
                    qsizetype e = m.capturedEnd();
                    if (e < text.size() && text[e] == QLatin1Char('\n') && s > 0 && text[s - 1] == QLatin1Char('\n'))
                        ++e;
                    text.remove(s, e - s);
                    pos = s;
                } else {
                    pos = m.capturedEnd();
                }
            }
            out += text.toUtf8();
        }
        from = end;
    }
    if (removed)
        *removed = dropped;
    return out;
}

QString recentlyUsedPath()
{
    return common::xdgFolder(common::XdgFolder::Data) + QStringLiteral("recently-used.xbel");
}

bool clearOwnRecentEntries(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray before = file.readAll();
    file.close();
    const QByteArray after = withoutOwnRecentEntries(before, ownApplicationNames());
    if (after == before)
        return true;
    return common::writeFileAtomically(path, after);
}

bool deleteConfinedFolder(const QString &folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty() || path == QLatin1String("/"))
        return false;
    return sys::ShellFileOp(sys::FileOpDelete, path);
}

void deleteOwnPageFiles(const QString &pageFolder)
{
    if (pageFolder.isEmpty())
        return;
    for (const char *name : { "Tpc.htm", "Quodra.htm", "img.htm" })
        removeEntry(pageFolder, QString::fromLatin1(name));
}

void deleteFormData(const QString &storageFolder)
{
    if (storageFolder.isEmpty())
        return;
    for (const char *name : { "Web Data", "Web Data-journal" })
        removeEntry(storageFolder, QString::fromLatin1(name));
}

}
