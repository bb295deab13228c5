#include "viewer/search/MediaSearch.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace viewer {

namespace {

    struct CategorySpec {
        const char16_t *caption;
        const char16_t *extensions;
        // The entries of the list after "find", for the lookup of plain extensions.
        std::array<std::string_view, 9> entries;
    };

    const std::array<CategorySpec, kSearchCategoryCount> kCategories { {
        { u"图片", u"find,bmp,jpg,jpeg,gif,png,tif,tiff,png,", { "bmp", "jpg", "jpeg", "gif", "png", "tif", "tiff" } },
        { u"音乐", u"find,mp3,mid,wma,wav,", { "mp3", "mid", "wma", "wav" } },
        { u"电影",
            u"find,mpg,avi,rm,rmvb,vob,wmv,asf,mov,",
            { "mpg", "avi", "rm", "rmvb", "vob", "wmv", "asf", "mov" } },
        { u"Falsh动画", u"find,swf,", { "swf" } },
    } };

    bool validCategory(int Seltype)
    {
        return Seltype >= 0 && Seltype < kSearchCategoryCount;
    }

    // The rule on a file name's extension, as matchesCategory applies it to the full path: a name
    // without "." leaves an extension holding "/", which no list takes.
    bool nameMatches(const char *name, size_t length, int Seltype)
    {
        const std::string_view whole(name, length);
        const size_t dot = whole.rfind('.');
        if (dot == std::string_view::npos)
            return false;
        const std::string_view extension = whole.substr(dot + 1);
        char lower[8] = {};
        bool plain = extension.size() <= sizeof lower;
        for (size_t i = 0; plain && i < extension.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(extension[i]);
            if (c >= 0x80 || c == ',')
                plain = false;
            else
                lower[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
        if (!plain) // commas or letters beyond ASCII: the text rule itself
            return matchesCategory(QString::fromUtf8(name, qsizetype(length)), Seltype);
        const std::string_view candidate(lower, extension.size());
        if (candidate.empty())
            return false;
        const auto &entries = kCategories[size_t(Seltype)].entries;
        return std::find(entries.begin(), entries.end(), candidate) != entries.end();
    }

    char16_t upperAscii(char c)
    {
        return char16_t(c >= 'a' && c <= 'z' ? c - 32 : c);
    }

    std::u16string upperKey(const char *name, size_t length, bool ascii)
    {
        std::u16string key;
        if (ascii) {
            key.reserve(length);
            for (size_t i = 0; i < length; ++i)
                key.push_back(upperAscii(name[i]));
            return key;
        }
        const QString upper = QString::fromUtf8(name, qsizetype(length)).toUpper();
        key.assign(reinterpret_cast<const char16_t *>(upper.constData()), size_t(upper.size()));
        return key;
    }

    unsigned char typeOfMode(mode_t mode)
    {
        if (S_ISDIR(mode))
            return DT_DIR;
        if (S_ISREG(mode))
            return DT_REG;
        if (S_ISLNK(mode))
            return DT_LNK;
        return DT_UNKNOWN;
    }

}

QString categoryCaption(int Seltype)
{
    return validCategory(Seltype) ? QString::fromUtf16(kCategories[size_t(Seltype)].caption) : QString();
}

QString categoryExtensions(int Seltype)
{
    return validCategory(Seltype) ? QString::fromUtf16(kCategories[size_t(Seltype)].extensions) : QString();
}

bool matchesCategory(const QString &path, int Seltype)
{
    if (!validCategory(Seltype))
        return false;
    const QString extension = path.mid(path.lastIndexOf(QLatin1Char('.')) + 1).toLower();
    const QString needle = QLatin1Char(',') + extension + QLatin1Char(',');
    return categoryExtensions(Seltype).indexOf(needle) + 1 >= 3;
}

int categoryOfPath(const QString &path)
{
    for (int category = 0; category < kSearchCategoryCount; ++category) {
        if (matchesCategory(path, category))
            return category;
    }
    return -1;
}

bool isRecyclePath(const QString &path)
{
    // Compared letter by letter without making the upper-cased text: the only characters beyond
    // ASCII that upper-case to ASCII letters (dotless i, long s) give I and S, which "$RECYCLE"
    // does not hold, so ASCII alone decides.
    static constexpr char kBin[] = "$RECYCLE";
    if (path.size() < 3 + 8)
        return false;
    for (qsizetype i = 0; i < 8; ++i) {
        const char16_t c = path.at(3 + i).unicode();
        if ((c >= 'a' && c <= 'z' ? c - 32 : c) != char16_t(kBin[i]))
            return false;
    }
    return true;
}

QString searchingFolderText(const QString &folder)
{
    return QStringLiteral("正在搜索目录： ") + folder + QStringLiteral(" ……");
}

QString foundCountText(int FoundCount)
{
    return QStringLiteral("发现：") + QString::number(FoundCount);
}

QString pictureTotalText(int FoundCount)
{
    return QStringLiteral("图片总数：") + QString::number(FoundCount);
}

MediaSearch::MediaSearch(bool &SearchStop, QObject *parent)
    : QObject(parent)
    , m_stop(SearchStop)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &MediaSearch::runSlice);
}

MediaSearch::~MediaSearch()
{
    closeFrames();
}

void MediaSearch::start(const QString &folder, qint64 minBytes)
{
    if (isRunning())
        finish();
    m_stop = false;
    m_found.clear();
    m_foundText.clear();
    m_minBytes = minBytes;
    m_startFolder = folder;
    m_category = validCategory(Seltype) ? Seltype : kSearchPictures;
    enterFolder(AT_FDCWD, QFile::encodeName(folder).constData(), folder);
    // Even a folder that cannot be read ends from the event loop, as every search does.
    m_timer.start();
}

void MediaSearch::enterFolder(int parentFd, const char *name, const QString &folderText)
{
    emit folderEntered(folderText);
    if (!*name)
        return;
    // Below the start folder a link is never followed: only a real folder opens.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parentFd == AT_FDCWD ? 0 : O_NOFOLLOW);
    const int fd = ::openat(parentFd, name, flags);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    auto frame = std::make_unique<Frame>();
    frame->dir = dir;
    frame->fd = fd;
    frame->folder = folderText.endsWith(QLatin1Char('/')) ? folderText : folderText + QLatin1Char('/');
    frame->names.reserve(2048);
    frame->upper.reserve(2048);
    frame->entries.reserve(64);
    // Only the entries that can lead somewhere are kept and ordered: folders that will be
    // entered, files whose names fit the category, and entries whose kind readdir leaves open.
    // Leaving out the rest changes nothing the search shows.
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        const unsigned char type = entry->d_type;
        if (type == DT_DIR && raw[0] == '.')
            continue;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        const size_t length = std::strlen(raw);
        if ((type == DT_REG || type == DT_LNK) && !nameMatches(raw, length, m_category))
            continue;
        if (type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            continue;
        Entry item;
        item.offset = quint32(frame->names.size());
        item.type = type;
        for (size_t i = 0; i < length; ++i)
            item.ascii = item.ascii && static_cast<unsigned char>(raw[i]) < 0x80;
        item.length = quint16(length);
        frame->names.append(raw, length + 1);
        frame->upper.resize(frame->names.size());
        char *upper = frame->upper.data() + item.offset;
        for (size_t i = 0; i < length; ++i)
            upper[i] = raw[i] >= 'a' && raw[i] <= 'z' ? char(raw[i] - 32) : raw[i];
        if (!item.ascii) {
            item.key = quint32(frame->keys.size());
            frame->keys.push_back(upperKey(raw, length, false));
        }
        frame->entries.push_back(item);
    }
    // The viewer's folder order: ordinal comparison of the upper-cased names, then of the names.
    const Frame &f = *frame;
    std::sort(frame->entries.begin(), frame->entries.end(), [&f](const Entry &a, const Entry &b) {
        const char *an = f.name(a);
        const char *bn = f.name(b);
        if (a.ascii && b.ascii) {
            // For ASCII the bytes order as the UTF-16 units do.
            const auto *ua = reinterpret_cast<const unsigned char *>(f.upper.data() + a.offset);
            const auto *ub = reinterpret_cast<const unsigned char *>(f.upper.data() + b.offset);
            const size_t common = std::min(a.length, b.length);
            for (size_t i = 0; i < common; ++i) {
                if (ua[i] != ub[i])
                    return ua[i] < ub[i];
            }
            if (a.length != b.length)
                return a.length < b.length;
            return std::memcmp(an, bn, a.length) < 0;
        }
        const std::u16string ak = a.ascii ? upperKey(an, a.length, true) : f.keys[a.key];
        const std::u16string bk = b.ascii ? upperKey(bn, b.length, true) : f.keys[b.key];
        const int order = ak.compare(bk);
        if (order != 0)
            return order < 0;
        return QString::compare(QString::fromUtf8(an, a.length), QString::fromUtf8(bn, b.length), Qt::CaseSensitive)
            < 0;
    });
    m_frames.push_back(std::move(frame));
}

bool MediaSearch::advance(int entries)
{
    if (!isRunning())
        return false;
    for (int i = 0; i < entries; ++i) {
        if (m_stop || m_frames.empty()) {
            finish();
            return false;
        }
        Frame &frame = *m_frames.back();
        if (frame.next >= frame.entries.size()) {
            ::closedir(frame.dir);
            m_frames.pop_back();
            continue;
        }
        const Entry &entry = frame.entries[frame.next++];
        processEntry(frame, entry);
    }
    if (m_frames.empty()) {
        finish();
        return false;
    }
    return true;
}

void MediaSearch::processEntry(Frame &frame, const Entry &entry)
{
    const char *name = frame.name(entry);
    unsigned char type = entry.type;
    if (type == DT_UNKNOWN) {
        struct stat info { };
        if (::fstatat(frame.fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        type = typeOfMode(info.st_mode);
    }
    switch (type) {
    case DT_DIR:
        if (name[0] != '.')
            enterFolder(frame.fd, name, frame.folder + QString::fromUtf8(name, entry.length));
        break;
    case DT_REG:
        considerFile(frame, entry, false);
        break;
    case DT_LNK:
        considerFile(frame, entry, true);
        break;
    default:
        break;
    }
}

void MediaSearch::considerFile(Frame &frame, const Entry &entry, bool isLink)
{
    const char *name = frame.name(entry);
    if (!nameMatches(name, entry.length, m_category))
        return;
    // A link is looked through to its file, and listed under its own path.
    struct stat info { };
    if (::fstatat(frame.fd, name, &info, isLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISREG(info.st_mode) || info.st_size <= m_minBytes)
        return;
    QString path;
    if (entry.ascii) {
        path.reserve(frame.folder.size() + entry.length);
        path.append(frame.folder);
        path.append(QLatin1String(name, entry.length));
    } else {
        path = frame.folder + QString::fromUtf8(name, entry.length);
    }
    if (isRecyclePath(path))
        return;
    m_foundText += path;
    m_foundText += QLatin1String("\r\n");
    m_found.append(std::move(path));
    emit fileFound(m_found.constLast());
    if (m_found.size() >= kSearchBound)
        m_stop = true;
}

void MediaSearch::runSlice()
{
    QElapsedTimer clock;
    clock.start();
    constexpr qint64 sliceNs = qint64(kSliceMs) * 1000000;
    while (advance(16)) {
        if (clock.nsecsElapsed() >= sliceNs)
            return;
    }
}

void MediaSearch::finish()
{
    closeFrames();
    m_timer.stop();
    emit finished();
}

void MediaSearch::closeFrames()
{
    for (const auto &frame : m_frames)
        ::closedir(frame->dir);
    m_frames.clear();
}

}
