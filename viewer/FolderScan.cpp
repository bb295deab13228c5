#include "FolderScan.h"

#include "common/FileNames.h"
#include "common/Paths.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace viewer {

namespace {

    // Sort keys of all entries live in one buffer; an entry holds its slice.
    struct SortEntry {
        // Four key units after the prefix that all keys share, packed so that integer order is
        // their order: most comparisons end here (names such as IMG_0001.JPG .. IMG_9999.JPG).
        std::uint64_t head = 0;
        size_t keyStart = 0;
        size_t keyLength = 0;
        QString name;
    };

    void setHeads(std::vector<SortEntry> &entries, std::u16string_view keys)
    {
        if (entries.empty())
            return;
        const std::u16string_view first = keys.substr(entries.front().keyStart, entries.front().keyLength);
        size_t shared = first.size();
        for (const SortEntry &entry : entries) {
            const std::u16string_view key = keys.substr(entry.keyStart, entry.keyLength);
            size_t k = 0;
            while (k < shared && k < key.size() && key[k] == first[k])
                ++k;
            shared = k;
        }
        for (SortEntry &entry : entries) {
            // Names hold no NUL, so a key that ends early pads with a unit below all others.
            std::uint64_t head = 0;
            for (size_t k = shared; k < shared + 4; ++k)
                head = (head << 16) | (k < entry.keyLength ? keys[entry.keyStart + k] : 0);
            entry.head = head;
        }
    }

    void appendUpperKey(std::u16string &keys, const QString &name)
    {
        for (const QChar c : name) {
            if (c.unicode() >= 0x80) {
                const QString upper = name.toUpper();
                keys.append(reinterpret_cast<const char16_t *>(upper.constData()), size_t(upper.size()));
                return;
            }
        }
        for (const QChar c : name) {
            const char16_t u = c.unicode();
            keys.push_back(u >= 'a' && u <= 'z' ? char16_t(u - 32) : u);
        }
    }

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
    template <typename Keep> std::vector<SortEntry> sortedEntries(const QString &folder, Keep keep)
    {
        if (folder.isEmpty())
            return {};
        DIR *dir = ::opendir(common::encodeFileName(folder).constData());
        if (!dir)
            return {};
        const int dirFd = ::dirfd(dir);
        std::vector<SortEntry> entries;
        std::u16string keys;
        while (const dirent *entry = ::readdir(dir)) {
            const char *raw = entry->d_name;
            if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
                continue;
            QString name = common::decodeFileName(raw, std::strlen(raw));
            if (!keep(name) || isFolderEntry(dirFd, entry))
                continue;
            const size_t keyStart = keys.size();
            appendUpperKey(keys, name);
            entries.push_back({ 0, keyStart, keys.size() - keyStart, std::move(name) });
        }
        ::closedir(dir);
        const std::u16string_view allKeys(keys);
        setHeads(entries, allKeys);
        std::sort(entries.begin(), entries.end(), [allKeys](const SortEntry &a, const SortEntry &b) {
            if (a.head != b.head)
                return a.head < b.head;
            const int order = allKeys.substr(a.keyStart, a.keyLength).compare(allKeys.substr(b.keyStart, b.keyLength));
            return order != 0 ? order < 0 : QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
        });
        return entries;
    }

    template <typename Keep> QStringList sortedFileNames(const QString &folder, Keep keep)
    {
        std::vector<SortEntry> entries = sortedEntries(folder, keep);
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
    const QStringView extension = QStringView(fileName).mid(fileName.lastIndexOf(QLatin1Char('.')) + 1);
    if (extension.size() > 4) {
        const QString needle = QLatin1Char(',') + extension.toString().toLower() + QLatin1Char(',');
        return kExtensions.indexOf(needle) + 1 > 2;
    }
    if (extension.size() < 3)
        return false;
    // Three or four characters cannot hold a comma-joined run of entries, so this is a plain
    // lookup; only ASCII letters can lower-case to the entries' letters.
    char lower[4] = {};
    for (qsizetype i = 0; i < extension.size(); ++i) {
        const char16_t c = extension.at(i).unicode();
        if (c >= 0x80)
            return false;
        lower[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    static constexpr std::string_view kEntries[] = { "bmp", "jpg", "jpeg", "gif", "png", "tif", "tiff" };
    const std::string_view candidate(lower, size_t(extension.size()));
    return std::find(std::begin(kEntries), std::end(kEntries), candidate) != std::end(kEntries);
}

QStringList folderFileNames(const QString &folder)
{
    return sortedFileNames(folder, [](const QString &) { return true; });
}

FolderScanResult scanFolder(const QString &folder, const QString &TargetFileName, int bound)
{
    FolderScanResult result;
    result.CurrentFolder = common::withTrailingSlash(folder);
    const std::vector<SortEntry> pictures = sortedEntries(folder, isPictureFileName);

    const auto total = qsizetype(pictures.size());
    qsizetype start = 0;
    if (!TargetFileName.isEmpty()) {
        const auto found = std::find_if(
            pictures.begin(), pictures.end(), [&](const SortEntry &entry) { return entry.name == TargetFileName; });
        start = found == pictures.end() ? 0 : found - pictures.begin();
    }
    const qsizetype taken = std::min<qsizetype>(total, std::max(bound, 0));
    result.boundReached = taken < total;
    result.ViewerList.reserve(taken);
    qsizetype textLength = 0;
    for (qsizetype i = 0; i < taken; ++i)
        textLength += result.CurrentFolder.size() + pictures[size_t((start + i) % total)].name.size() + 2;
    result.ViewerListText.reserve(textLength);
    for (qsizetype i = 0; i < taken; ++i) {
        QString path = result.CurrentFolder + pictures[size_t((start + i) % total)].name;
        result.ViewerListText += path;
        result.ViewerListText += QLatin1String("\r\n");
        result.ViewerList.append(std::move(path));
    }
    result.ViewerCount = int(taken);
    return result;
}

void applyFolderScan(const FolderScanResult &scan, ViewerState &state)
{
    state.CurrentFolder = scan.CurrentFolder;
    state.ViewerList = scan.ViewerList;
    state.ViewerListText = scan.ViewerListText;
    state.ViewerCount = scan.ViewerCount;
}

}
