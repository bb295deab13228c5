#include "browser/page/ui/FormHtml.h"

#include "common/Numbers.h"
#include "common/Services.h"
#include "common/platform/Desktop.h"
#include "system/RegistryOps.h"
#include "system/ui/Dialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace browser::page {

namespace {

    using common::px;

    // Design sizes, in twips.
    constexpr int kHtmlWidth = 12000;
    constexpr int kHtmlHeight = 8400;
    constexpr int kBoxLeft = 40;
    constexpr int kHtmlRowHeight = 285;
    constexpr int kText2Top = 15;
    constexpr int kText3Top = 315;
    constexpr int kText1Top = 620;
    constexpr int kFrameWidth = 3610;
    constexpr int kFrameHeight = 600;
    // A file larger than this is not opened: the editor holds page sources, not archives.
    constexpr qint64 kMaxOpenBytes = qint64(64) * 1024 * 1024;

}

FormHtml::FormHtml(const common::Services &services, QString startFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_startFolder(std::move(startFolder))
{
    setObjectName(QStringLiteral("FormHtml"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kSourceCaption);
    createControls();
    resize(px(kHtmlWidth), px(kHtmlHeight));
}

void FormHtml::createControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    Text2 = new QLineEdit(QStringLiteral("http://www."), central);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text3 = new QLineEdit(QStringLiteral("网络未知"), central);
    Text3->setObjectName(QStringLiteral("Text3"));

    Frame1 = new QGroupBox(QStringLiteral("查找"), central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    // A flat box: its two controls fit under the caption in the row above the source.
    Frame1->setFlat(true);
    TextFind = new QComboBox(Frame1);
    TextFind->setObjectName(QStringLiteral("TextFind"));
    TextFind->setEditable(true);
    TextFind->setInsertPolicy(QComboBox::NoInsert);
    TextFind->lineEdit()->installEventFilter(this);
    CmdFind = new QPushButton(QStringLiteral("下一个(&N)"), Frame1);
    CmdFind->setObjectName(QStringLiteral("CmdFind"));

    Text1 = new QPlainTextEdit(central);
    Text1->setObjectName(QStringLiteral("Text1"));
    // Plain text without wrapping keeps a page source of several megabytes quick to show and edit.
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);

    QMenu *mFile = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    mFile->setObjectName(QStringLiteral("mFile"));
    mOpen = mFile->addAction(QStringLiteral("打开文件"));
    Fsave = mFile->addAction(QStringLiteral("保存源文件(&S)"));
    mFile->addSeparator();
    Fexit = mFile->addAction(QStringLiteral("退出"));
    QMenu *mEdit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    mEdit->setObjectName(QStringLiteral("mEdit"));
    eCopy = mEdit->addAction(QStringLiteral("复制"));
    eCut = mEdit->addAction(QStringLiteral("剪切"));
    eCast = mEdit->addAction(QStringLiteral("粘贴"));
    mEdit->addSeparator();
    Find = mEdit->addAction(QStringLiteral("替换字符串(&S)"));
    eFind = mEdit->addAction(QStringLiteral("查找"));

    connect(mOpen, &QAction::triggered, this, &FormHtml::mOpen_Click);
    connect(Fsave, &QAction::triggered, this, &FormHtml::Fsave_Click);
    connect(Fexit, &QAction::triggered, this, &QWidget::close);
    connect(eCopy, &QAction::triggered, this, &FormHtml::eCopy_Click);
    connect(eCut, &QAction::triggered, this, &FormHtml::eCut_Click);
    connect(eCast, &QAction::triggered, this, &FormHtml::eCast_Click);
    connect(Find, &QAction::triggered, this, &FormHtml::Find_Click);
    connect(eFind, &QAction::triggered, this, &FormHtml::CmdFind_Click);
    connect(CmdFind, &QPushButton::clicked, this, &FormHtml::CmdFind_Click);
    connect(TextFind, &QComboBox::editTextChanged, this, [this] { m_search.reset(); });
    connect(Text1, &QPlainTextEdit::textChanged, this, [this] {
        m_textStale = true;
        m_search.reset();
    });
}

void FormHtml::setSource(const QString &source, const QString &address, const QString &title)
{
    Text1->setPlainText(source);
    Text2->setText(address);
    Text3->setText(title);
}

const QString &FormHtml::plainText()
{
    if (m_textStale) {
        m_text = Text1->toPlainText();
        m_textStale = false;
    }
    return m_text;
}

void FormHtml::CmdFind_Click()
{
    const QString word = TextFind->currentText();
    const SourceSearch::Step step = m_search.findNext(plainText(), word);
    if (step.addWord && !word.isEmpty()
        && TextFind->findText(word, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
        TextFind->addItem(word);
        TextFind->setEditText(word);
        // Adding the word is no change of the search.
    }
    if (step.ignored)
        return;
    if (step.found) {
        Text1->setFocus();
        QTextCursor cursor = Text1->textCursor();
        cursor.setPosition(int(step.start));
        cursor.setPosition(int(step.start + step.length), QTextCursor::KeepAnchor);
        Text1->setTextCursor(cursor);
        return;
    }
    QMessageBox::information(this, kSourceCaption, step.message);
}

void FormHtml::Find_Click()
{
    bool ok = false;
    const QString replacement =
        QInputDialog::getText(this, kReplaceTitle, kReplacePrompt, QLineEdit::Normal, QString(), &ok);
    if (!ok || replacement.isEmpty())
        return;
    m_lastPath = replacement;
    const QString &before = plainText();
    const QString after = replaceAllExact(before, TextFind->currentText(), replacement);
    if (after != before)
        Text1->setPlainText(after);
}

void FormHtml::eCopy_Click()
{
    m_services.desktop.setClipboardText(
        Text1->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

void FormHtml::eCut_Click()
{
    eCopy_Click();
    Text1->textCursor().removeSelectedText();
}

void FormHtml::eCast_Click()
{
    Text1->insertPlainText(m_services.desktop.clipboardText());
}

void FormHtml::mOpen_Click()
{
    const QString path = sys::ShowFileDialog(m_services.settings,
        m_startFolder,
        QStringLiteral("open"),
        QStringLiteral("打开文件"),
        QString(),
        kSourceFilterIndex,
        this);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxOpenBytes)
        return;
    const QByteArray bytes = file.read(kMaxOpenBytes);
    if (file.error() != QFileDevice::NoError)
        return;
    m_lastPath = path;
    Text1->setPlainText(linesWithCrLf(bytes));
}

void FormHtml::Fsave_Click()
{
    const QString path = sys::ShowFileDialog(m_services.settings,
        m_startFolder,
        QStringLiteral("save"),
        kSaveSourceTitle,
        sys::SafeFileName(Text3->text() + QStringLiteral(".txt")),
        kSourceFilterIndex,
        this);
    if (path.isEmpty())
        return;
    m_lastPath = path;
    writeWebTextFile(path, sourceFileBytes(plainText()));
}

bool FormHtml::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TextFind->lineEdit()) {
        if (event->type() == QEvent::FocusIn) {
            TextFind->setEditText(m_services.desktop.clipboardText());
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                CmdFind_Click();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FormHtml::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void FormHtml::Form_Resize()
{
    const QWidget *inner = centralWidget();
    const SourceEditorLayout l = sourceEditorLayout(inner->width() * 15, inner->height() * 15);
    // A window too small for the layout keeps what fits.
    Text2->setGeometry(px(kBoxLeft), px(kText2Top), qMax(0, px(l.text2Width)), px(kHtmlRowHeight));
    Text3->setGeometry(px(kBoxLeft), px(kText3Top), qMax(0, px(l.text3Width)), px(kHtmlRowHeight));
    Frame1->setGeometry(px(l.frame1Left), 0, px(kFrameWidth), px(kFrameHeight));
    const int inside = Frame1->contentsRect().top();
    const int rowHeight = qMax(px(kHtmlRowHeight), Frame1->height() - inside - 1);
    TextFind->setGeometry(px(100), inside, px(2200), rowHeight);
    CmdFind->setGeometry(px(2380), inside, px(1130), rowHeight);
    Text1->setGeometry(px(kBoxLeft), px(kText1Top), qMax(0, px(l.text1Width)), qMax(0, px(l.text1Height)));
}

}
