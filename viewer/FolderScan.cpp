#include "FolderScan.h"

#include "common/Paths.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace viewer {

namespace {

    struct SortEntry {
        QString upper;
        QString name;
    };

    bool isFolderEntry(int dirFd, const dirent *entry)
    {
        if (entry->d_type == DT_DIR)
            return true;
        if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
            return false;
        // A link counts as what it points to; a dangling link is not a folder.
        struct stat info { };
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0)
            return false;
        return S_ISDIR(info.st_mode);
    }

    // Reads the folder, keeping the non-folder entries whose names pass `keep`, sorted.
    template <typename Keep> QStringList sortedFileNames(const QString &folder, Keep keep)
    {
        if (folder.isEmpty())
            return {};
        DIR *dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            return {};
        const int dirFd = ::dirfd(dir);
        std::vector<SortEntry> entries;
        while (const dirent *entry = ::readdir(dir)) {
            const char *raw = entry->d_name;
            if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
                continue;
            QString name = QFile::decodeName(raw);
            if (!keep(name) || isFolderEntry(dirFd, entry))
                continue;
            entries.push_back({ name.toUpper(), std::move(name) });
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end(), [](const SortEntry &a, const SortEntry &b) {
            const int order = QString::compare(a.upper, b.upper, Qt::CaseSensitive);
            return order != 0 ? order < 0 : QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
        });
        QStringList names;
        names.reserve(qsizetype(entries.size()));
        for (SortEntry &entry : entries)
            names.append(std::move(entry.name));
        return names;
    }

}

bool isPictureFileName(const QString &fileName)
{
    static const QString kExtensions = QStringLiteral("$$$,bmp,jpg,jpeg,gif,png,tif,tiff,");
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = fileName.mid(dot + 1).toLower();
    const qsizetype position = kExtensions.indexOf(QLatin1Char(',') + extension + QLatin1Char(','));
    return position + 1 > 2;
}

QStringList folderFileNames(const QString &folder)
{
    return sortedFileNames(folder, [](const QString &) { return true; });
}

FolderScanResult scanFolder(const QString &folder, const QString &TargetFileName, int bound)
{
    FolderScanResult result;
    result.CurrentFolder = common::withTrailingSlash(folder);
    const QStringList pictures = sortedFileNames(folder, isPictureFileName);

    qsizetype start = 0;
    if (!TargetFileName.isEmpty()) {
        start = pictures.indexOf(TargetFileName);
        if (start < 0)
            start = 0;
    }
    const qsizetype total = pictures.size();
    const qsizetype taken = std::min<qsizetype>(total, std::max(bound, 0));
    result.boundReached = taken < total;
    result.ViewerList.reserve(taken);
    result.ViewerListText.reserve(taken * (result.CurrentFolder.size() + 16));
    for (qsizetype i = 0; i < taken; ++i) {
        QString path = result.CurrentFolder + pictures.at((start + i) % total);
        result.ViewerListText += path;
        result.ViewerListText += QLatin1String("\r\n");
        result.ViewerList.append(std::move(path));
    }
    result.ViewerCount = int(taken);
    return result;
}

void applyFolderScan(const FolderScanResult &scan, common::AppState &state)
{
    state.CurrentFolder = scan.CurrentFolder;
    state.ViewerList = scan.ViewerList;
    state.ViewerListText = scan.ViewerListText;
    state.ViewerCount = scan.ViewerCount;
}

}
