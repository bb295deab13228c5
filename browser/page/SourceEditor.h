#pragma once

#include <QByteArray>
#include <QString>

namespace browser::page {

inline const QString kSourceCaption = QStringLiteral("源文件");
inline const QString kSelectionSourceCaption = QStringLiteral("源文件 - 选中区域");
inline const QString kReplacePrompt = QStringLiteral("输入的字符串将会替换文本中的全部关键词……");
inline const QString kReplaceTitle = QStringLiteral("替换字符串");
inline const QString kSaveSourceTitle = QStringLiteral("保存源文件");
inline constexpr int kSourceFilterIndex = 4;

// The search of the source editor: case-insensitive, from the position after the last match.
// Positions count characters from 0 here.
class SourceSearch {
public:
    struct Step {
        bool found = false;
        qsizetype start = 0; // the match to select
        qsizetype length = 0;
        bool addWord = false; // a new search: the word joins the list of search words
        QString message; // after the last match: "关键词搜索完毕！共计 N 个"
        bool ignored = false; // an empty word does nothing
    };

    Step findNext(const QString &text, const QString &word);
    // Any change of the word or of the text: the next search starts at the top again.
    void reset()
    {
        m_position = 0;
        m_matches = 0;
    }
    qsizetype position() const { return m_position; }
    int matches() const { return m_matches; }

private:
    qsizetype m_position = 0;
    int m_matches = 0;
};

QString searchDoneMessage(int matches);

// Every occurrence of `word` replaced, comparing letter case exactly. An empty word or an empty
// replacement changes nothing.
QString replaceAllExact(const QString &text, const QString &word, const QString &replacement);

// The text of a file read line by line, every line (the last one too) ending in CR LF. The bytes
// are read as UTF-8, else as GBK.
QString linesWithCrLf(const QByteArray &bytes);

// What "保存源文件(&S)" writes: the text followed by CR LF, in the locale's charset; its own line
// ends are written as CR LF too.
QByteArray sourceFileBytes(const QString &text);

// Writes web text into a file the user chose: always as a regular file, replaced at once (never
// half written), never through a symbolic link: a link at `path` is replaced by the file, and what
// it pointed at is left as it was. A folder or device is refused. False when nothing was written.
bool writeWebTextFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// The editor's layout, in twips, for an inner size of W by H.
struct SourceEditorLayout {
    int frame1Left = 0;
    int text3Width = 0;
    int text2Width = 0;
    int text1Width = 0;
    int text1Height = 0;
};
SourceEditorLayout sourceEditorLayout(int widthTwips, int heightTwips);

}
