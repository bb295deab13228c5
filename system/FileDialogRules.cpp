#include "system/FileDialogRules.h"

#include "common/Numbers.h"
#include "system/RegistryOps.h"

namespace sys {

QString qtNameFilter(const QString &description, const QString &patterns)
{
    QStringList globs;
    for (const QString &pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString glob = pattern.trimmed();
        if (glob.isEmpty())
            continue;
        globs.append(glob == QLatin1String("*.*") ? QStringLiteral("*") : glob);
    }
    if (globs.isEmpty())
        globs.append(QStringLiteral("*"));
    return description + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList qtNameFiltersFromPipeText(const QString &pipeText)
{
    const QStringList parts = pipeText.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(qtNameFilter(parts[i], parts[i + 1]));
    return filters;
}

QStringList fileDialogNameFilters()
{
    return {
        qtNameFilter(QStringLiteral("全部文件(*.*)"), QStringLiteral("*.*")),
        qtNameFilter(QStringLiteral("图像文件(BMP,JPG,GIF,PNG,TIF)"), QStringLiteral("*.jpg;*.bmp;*.gif;*.png;*.tif")),
        qtNameFilter(
            QStringLiteral("网页文件 (HTM,HTML)"), QStringLiteral("*.htm;*.html;*.shtml;*.mht;*.asp;*.php;*.css")),
        qtNameFilter(QStringLiteral("文本文件 (TXT)"), QStringLiteral("*.txt")),
    };
}

QString filterAt(const QStringList &filters, int filterIndex)
{
    if (filters.isEmpty())
        return {};
    if (filterIndex < 1 || filterIndex > filters.size())
        return filters.first();
    return filters[filterIndex - 1];
}

FileDialogRules fileDialogRules(const QString &mode,
    const QString &title,
    const QString &defaultName,
    int filterIndex,
    const QString &setMenu1,
    const QString &currentFolder)
{
    FileDialogRules rules;
    rules.mode = mode.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0 ? FileDialogRules::Mode::Open
                                                                               : FileDialogRules::Mode::Save;
    rules.title = title;
    rules.nameFilters = fileDialogNameFilters();
    rules.selectedFilter = filterAt(rules.nameFilters, filterIndex);
    // A proposed name is at most 255 characters, the longest file name the dialog takes.
    rules.proposedName = defaultName.left(255);
    if (setMenu1.trimmed().isEmpty() || common::leadingNumber(setMenu1) == 0)
        rules.startFolder = currentFolder;
    return rules;
}

FileDialogRules saveDialogRules(const QString &title, const QString &defaultName, int filterIndex)
{
    FileDialogRules rules;
    rules.mode = FileDialogRules::Mode::Save;
    rules.title = title;
    rules.nameFilters = qtNameFiltersFromPipeText(kSaveDialogFilter);
    rules.selectedFilter = filterAt(rules.nameFilters, filterIndex);
    rules.proposedName = SafeFileName(defaultName).left(255);
    return rules;
}

QString folderPickerTitle(const QString &prompt)
{
    return prompt.isEmpty() ? kDefaultFolderPrompt : prompt;
}

}
