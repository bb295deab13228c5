#include "system/ShellFileOp.h"

#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace sys {

namespace {

    fs::path toPath(const QString &path)
    {
        return fs::path(QFile::encodeName(path).toStdString());
    }

    bool hasWildcard(const QString &name)
    {
        return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
    }

    QRegularExpression wildcardExpression(const QString &pattern)
    {
        QString expression;
        for (const QChar c : pattern) {
            if (c == QLatin1Char('*'))
                expression += QStringLiteral(".*");
            else if (c == QLatin1Char('?'))
                expression += QLatin1Char('.');
            else
                expression += QRegularExpression::escape(QString(c));
        }
        return QRegularExpression(
            QRegularExpression::anchoredPattern(expression), QRegularExpression::DotMatchesEverythingOption);
    }

    bool matchesPattern(const QRegularExpression &expression, const QString &pattern, const QString &name)
    {
        if (expression.match(name).hasMatch())
            return true;
        // "x.*" also takes "x": the old wildcard rule that lets "*.*" take every name.
        return pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.'))
            && expression.match(name + QLatin1Char('.')).hasMatch();
    }

    bool isEntered(const fs::path &path)
    {
        std::error_code error;
        return fs::symlink_status(path, error).type() == fs::file_type::directory;
    }

    bool itemExists(const fs::path &path)
    {
        std::error_code error;
        return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
    }

    // Writes a copy of one file or link next to the target and renames it into place, so that an
    // existing target (even a link) is replaced rather than written through.
    bool copyOne(const fs::path &source, const fs::path &target)
    {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(source, error);
        if (error)
            return false;
        if (status.type() == fs::file_type::regular)
            return common::copyFileReplacing(QFile::decodeName(source.c_str()),
                QFile::decodeName(target.c_str()),
                nullptr,
                common::WriteFlag::NoSync | common::WriteFlag::ReplaceLinks);
        if (status.type() != fs::file_type::symlink)
            return false;
        fs::path temporary = target;
        temporary += ".velmora-copy";
        fs::remove(temporary, error);
        fs::copy_symlink(source, temporary, error);
        if (error) {
            fs::remove(temporary, error);
            return false;
        }
        fs::rename(temporary, target, error);
        if (error) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
        return true;
    }

    bool copyTree(const fs::path &source, const fs::path &target)
    {
        if (!isEntered(source))
            return copyOne(source, target);
        std::error_code error;
        if (!isEntered(target)) {
            fs::create_directory(target, error);
            if (error)
                return false;
        }
        bool ok = true;
        for (fs::directory_iterator it(source, error), end; !error && it != end; it.increment(error))
            ok = copyTree(it->path(), target / it->path().filename()) && ok;
        return ok && !error;
    }

    bool removeItem(const fs::path &path)
    {
        std::error_code error;
        // remove_all deletes links as links and never enters them.
        fs::remove_all(path, error);
        return !error;
    }

    bool contains(const fs::path &folder, const fs::path &inner)
    {
        const std::string outer = folder.lexically_normal().string();
        const std::string candidate = inner.lexically_normal().string();
        return candidate == outer || candidate.starts_with(outer.ends_with('/') ? outer : outer + '/');
    }

    bool moveOne(const fs::path &source, const fs::path &target)
    {
        std::error_code error;
        fs::rename(source, target, error);
        if (!error)
            return true;
        if (error != std::errc::cross_device_link)
            return false;
        return copyTree(source, target) && removeItem(source);
    }

    bool transfer(int function, const fs::path &source, const fs::path &target)
    {
        if (isEntered(source) && contains(source, target))
            return false;
        std::error_code error;
        if (target.has_parent_path() && !isEntered(target.parent_path()))
            fs::create_directories(target.parent_path(), error);
        if (function == FileOpMove)
            return moveOne(source, target);
        return copyTree(source, target);
    }

}

bool ShellFileOp(int function, const QString &from, const QString &to)
{
    if (function < FileOpMove || function > FileOpRename)
        return false;
    QString source = QDir::cleanPath(from);
    if (!QDir::isAbsolutePath(from) || source == QLatin1String("/"))
        return false;
    const qsizetype cut = source.lastIndexOf(QLatin1Char('/'));
    const QString folder = cut == 0 ? QStringLiteral("/") : source.left(cut);
    const QString name = source.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || hasWildcard(folder))
        return false;
    const fs::path folderPath = toPath(folder);
    if (!isEntered(folderPath))
        return false;

    std::vector<fs::path> items;
    const bool pattern = hasWildcard(name);
    if (pattern) {
        const QRegularExpression expression = wildcardExpression(name);
        std::error_code error;
        for (fs::directory_iterator it(folderPath, error), end; !error && it != end; it.increment(error)) {
            const fs::file_type type = it->symlink_status(error).type();
            if (type != fs::file_type::regular && type != fs::file_type::symlink)
                continue;
            const QString entry = QFile::decodeName(it->path().filename().string().c_str());
            if (matchesPattern(expression, name, entry))
                items.push_back(it->path());
        }
    } else if (itemExists(toPath(source))) {
        items.push_back(toPath(source));
    }
    if (items.empty())
        return false;

    if (function == FileOpDelete) {
        bool ok = true;
        for (const fs::path &item : items)
            ok = removeItem(item) && ok;
        return ok;
    }

    if (to.isEmpty())
        return false;
    if (function == FileOpRename) {
        if (pattern || items.size() != 1)
            return false;
        const QString newPath = to.contains(QLatin1Char('/')) ? to : folder + QLatin1Char('/') + to;
        if (!QDir::isAbsolutePath(newPath) || itemExists(toPath(newPath)))
            return false;
        return moveOne(items.front(), toPath(QDir::cleanPath(newPath)));
    }

    if (!QDir::isAbsolutePath(to))
        return false;
    const fs::path destination = toPath(QDir::cleanPath(to));
    const bool intoFolder = pattern || isEntered(destination);
    if (pattern && !isEntered(destination)) {
        std::error_code error;
        fs::create_directories(destination, error);
        if (error)
            return false;
    }
    bool ok = true;
    for (const fs::path &item : items) {
        const fs::path target = intoFolder ? destination / item.filename() : destination;
        if (target == item)
            continue;
        ok = transfer(function, item, target) && ok;
    }
    return ok;
}

}
