#include "desktop/ui/FormDir.h"

#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/platform/Desktop.h"
#include "desktop/HiddenItems.h"
#include "system/ui/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace desktop {

namespace {

    const QString kHonestTip = QStringLiteral(
        "隐藏选定的文件夹和文件：文件管理器不再显示它们。\n内容并没有加密，知道路径或显示隐藏文件时仍可看到。");

    QString refusalText(HideRefusal refusal)
    {
        switch (refusal) {
        case HideRefusal::Root:
            return QStringLiteral("不能隐藏根目录“/”。");
        case HideRefusal::Home:
            return QStringLiteral("不能隐藏您的主文件夹。");
        case HideRefusal::DataFolder:
            return QStringLiteral("不能隐藏本程序的数据文件夹。");
        case HideRefusal::Empty:
        case HideRefusal::None:
            break;
        }
        return {};
    }

}

FormDir::Prompts FormDir::dialogPrompts()
{
    Prompts prompts;
    prompts.chooseFolder = [](QWidget *owner, const QString &prompt) {
        return sys::BrowseForFolder(prompt, owner);
    };
    prompts.chooseFile = [](QWidget *owner, const QString &title) {
        QFileDialog dialog(owner, title);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setFilter(dialog.filter() | QDir::Hidden);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    prompts.inform = [](QWidget *owner, const QString &text) {
        QMessageBox::information(owner, QStringLiteral("文件夹加密"), text);
    };
    return prompts;
}

FormDir::FormDir(const common::Services &services, const common::RunningValues &values, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_values(values)
    , m_prompts(dialogPrompts())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormDir"));
    setWindowTitle(QStringLiteral("文件夹加密"));
    setToolTip(kHonestTip);
    setModal(true);

    ListDir = new QListWidget(this);
    ListDir->setObjectName(QStringLiteral("ListDir"));
    ListDir->setToolTip(kHonestTip);
    const auto button = [this](const char *name, const QString &caption, void (FormDir::*handler)()) {
        auto *command = new QPushButton(caption, this);
        command->setObjectName(QString::fromLatin1(name));
        connect(command, &QPushButton::clicked, this, handler);
        return command;
    };
    auto *grid = new QGridLayout(this);
    grid->addWidget(ListDir, 0, 0, 1, 4);
    grid->addWidget(button("Command1", QStringLiteral("加密文件夹(&D)"), &FormDir::Command1_Click), 1, 0);
    grid->addWidget(button("Command4", QStringLiteral("加密文件(&F)  "), &FormDir::Command4_Click), 1, 1);
    grid->addWidget(button("Command2", QStringLiteral("解密文件夹(&U)"), &FormDir::Command2_Click), 1, 2);
    grid->addWidget(button("Command3", QStringLiteral("开启文件(&R)"), &FormDir::Command3_Click), 1, 3);
    connect(ListDir, &QListWidget::itemDoubleClicked, this, &FormDir::Command3_Click);
    resize(520, 300);

    LoadHiddenList();
}

void FormDir::LoadHiddenList()
{
    ListDir->addItems(readHiddenList(hiddenListPath(m_values.DataFolder)));
}

QStringList FormDir::listed() const
{
    QStringList items;
    for (int row = 0; row < ListDir->count(); ++row)
        items.append(ListDir->item(row)->text());
    return items;
}

bool FormDir::hide(const QString &item)
{
    const HideRefusal refusal = hideRefusal(item, QDir::homePath(), m_values.DataFolder);
    if (refusal != HideRefusal::None) {
        const QString text = refusalText(refusal);
        if (!text.isEmpty() && m_prompts.inform)
            m_prompts.inform(this, text);
        return false;
    }
    LastChosenPath = item;
    if (!hideItem(item))
        return false;
    ListDir->addItem(item);
    appendHiddenList(hiddenListPath(m_values.DataFolder), item);
    return true;
}

void FormDir::Command1_Click()
{
    if (!m_prompts.chooseFolder)
        return;
    const QString folder = m_prompts.chooseFolder(this, QStringLiteral("请选择一个文件目录"));
    if (!folder.isEmpty())
        hide(folder);
}

void FormDir::Command4_Click()
{
    if (!m_prompts.chooseFile)
        return;
    const QString file = m_prompts.chooseFile(this, QStringLiteral("打开文件"));
    if (!file.isEmpty())
        hide(file);
}

void FormDir::Command2_Click()
{
    QListWidgetItem *item = ListDir->currentItem();
    if (!item)
        return;
    restoreItem(item->text());
    // The list file keeps the line: the item is listed again the next time.
    delete ListDir->takeItem(ListDir->row(item));
}

void FormDir::Command3_Click()
{
    const QListWidgetItem *item = ListDir->currentItem();
    if (item)
        m_services.desktop.openWithDesktop(QUrl::fromLocalFile(item->text()));
}

}
