#include "browser/page/SourceEditor.h"

#include "common/Files.h"
#include "common/TextCodec.h"

namespace browser::page {

SourceSearch::Step SourceSearch::findNext(const QString &text, const QString &word)
{
    Step step;
    step.addWord = m_position == 0;
    if (word.isEmpty()) {
        step.ignored = true;
        return step;
    }
    const qsizetype at = m_position <= text.size() ? text.indexOf(word, m_position, Qt::CaseInsensitive) : -1;
    if (at < 0) {
        step.message = searchDoneMessage(m_matches);
        reset();
        return step;
    }
    step.found = true;
    step.start = at;
    step.length = word.size();
    ++m_matches;
    m_position = at + word.size();
    return step;
}

QString searchDoneMessage(int matches)
{
    return QStringLiteral("关键词搜索完毕！共计 %1 个").arg(matches);
}

QString replaceAllExact(const QString &text, const QString &word, const QString &replacement)
{
    if (word.isEmpty() || replacement.isEmpty())
        return text;
    QString result = text;
    result.replace(word, replacement, Qt::CaseSensitive);
    return result;
}

QString linesWithCrLf(const QByteArray &bytes)
{
    const QString text = common::decodeText(bytes);
    QString result;
    result.reserve(text.size() + text.size() / 40 + 2);
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        result += QStringView(text).mid(start, end - start);
        result += common::kCrLf;
        if (end < n && text[end] == QLatin1Char('\r') && end + 1 < n && text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return result;
}

QByteArray sourceFileBytes(const QString &text)
{
    QString lines = text;
    lines.replace(common::kCrLf, QStringLiteral("\n"));
    lines.replace(QLatin1Char('\n'), common::kCrLf);
    return common::encodeLocal(lines + common::kCrLf);
}

bool writeWebTextFile(const QString &path, const QByteArray &bytes, QString *error)
{
    // The link itself is replaced, so the file written is always a new regular file at `path`.
    return common::writeFileAtomically(path, bytes, error, common::WriteFlag::ReplaceLinks);
}

SourceEditorLayout sourceEditorLayout(int widthTwips, int heightTwips)
{
    SourceEditorLayout l;
    l.frame1Left = widthTwips - 3650;
    l.text3Width = widthTwips - 4700;
    l.text2Width = l.text3Width;
    l.text1Width = widthTwips - 80;
    l.text1Height = heightTwips - 620;
    return l;
}

}
