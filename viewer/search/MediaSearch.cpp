#include "viewer/search/MediaSearch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <array>
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
    bool nameMatches(const std::string &name, int Seltype)
    {
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos)
            return false;
        const std::string_view extension = std::string_view(name).substr(dot + 1);
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
            return matchesCategory(QFile::decodeName(name.c_str()), Seltype);
        const std::string_view candidate(lower, extension.size());
        if (candidate.empty())
            return false;
        const auto &entries = kCategories[size_t(Seltype)].entries;
        return std::find(entries.begin(), entries.end(), candidate) != entries.end();
    }

    void appendUpperKey(std::u16string &key, const std::string &name)
    {
        key.reserve(name.size());
        for (const char c : name) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                const QString upper = QFile::decodeName(name.c_str()).toUpper();
                key.assign(reinterpret_cast<const char16_t *>(upper.constData()), size_t(upper.size()));
                return;
            }
            key.push_back(char16_t(c >= 'a' && c <= 'z' ? c - 32 : c));
        }
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
    return path.mid(3, 8).toUpper() == QLatin1String("$RECYCLE");
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
    enterFolder(AT_FDCWD, QFile::encodeName(folder).toStdString(), folder);
    // Even a folder that cannot be read ends from the event loop, as every search does.
    m_timer.start();
}

void MediaSearch::enterFolder(int parentFd, const std::string &name, const QString &folderText)
{
    emit folderEntered(folderText);
    if (name.empty())
        return;
    // Below the start folder a link is never followed: only a real folder opens.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parentFd == AT_FDCWD ? 0 : O_NOFOLLOW);
    const int fd = ::openat(parentFd, name.c_str(), flags);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    auto frame = std::make_unique<Frame>();
    frame->folder = folderText.endsWith(QLatin1Char('/')) ? folderText : folderText + QLatin1Char('/');
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        Entry item;
        item.name = raw;
        item.type = entry->d_type;
        appendUpperKey(item.key, item.name);
        frame->entries.push_back(std::move(item));
    }
    // The handle stays open for the stats of the folder's files; the entries are all read.
    frame->fd = ::dup(fd);
    ::closedir(dir);
    if (frame->fd < 0)
        return;
    std::sort(frame->entries.begin(), frame->entries.end(), [](const Entry &a, const Entry &b) {
        const int order = a.key.compare(b.key);
        if (order != 0)
            return order < 0;
        return QString::compare(QFile::decodeName(a.name.c_str()), QFile::decodeName(b.name.c_str()), Qt::CaseSensitive)
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
            ::close(frame.fd);
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
    unsigned char type = entry.type;
    if (type == DT_UNKNOWN) {
        struct stat info { };
        if (::fstatat(frame.fd, entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        type = typeOfMode(info.st_mode);
    }
    switch (type) {
    case DT_DIR:
        if (entry.name[0] != '.')
            enterFolder(frame.fd, entry.name, frame.folder + QFile::decodeName(entry.name.c_str()));
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
    if (!nameMatches(entry.name, m_category))
        return;
    // A link is looked through to its file, and listed under its own path.
    struct stat info { };
    if (::fstatat(frame.fd, entry.name.c_str(), &info, isLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISREG(info.st_mode) || info.st_size <= m_minBytes)
        return;
    QString path = frame.folder + QFile::decodeName(entry.name.c_str());
    if (isRecyclePath(path))
        return;
    m_foundText += path;
    m_foundText += QLatin1String("\r\n");
    m_found.append(path);
    emit fileFound(path);
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
        ::close(frame->fd);
    m_frames.clear();
}

bool copyFileReplacing(const QString &source, const QString &target)
{
    QFile in(source);
    if (target.isEmpty() || !in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 read = in.read(buffer.data(), buffer.size());
        if (read < 0) {
            out.cancelWriting();
            return false;
        }
        if (read == 0)
            break;
        if (out.write(buffer.constData(), read) != read) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

}
