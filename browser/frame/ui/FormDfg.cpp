#include "browser/frame/ui/FormDfg.h"

#include "browser/frame/Favorites.h"
#include "common/platform/Desktop.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser::frame {

FormDfg::FormDfg(
    const QString &dataFolder, common::platform::Desktop &desktop, std::function<void()> addFavor, QWidget *parent)
    : QDialog(parent)
    , m_path(favoritesPath(dataFolder))
    , m_desktop(desktop)
    , m_addFavor(std::move(addFavor))
{
    setObjectName(QStringLiteral("FormDfg"));
    setWindowTitle(QStringLiteral("整理收藏夹"));
    setModal(true);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(QStringLiteral("鼠标单击可以复制网址"));
    Command1 = new QPushButton(QStringLiteral("删除(&D)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setEnabled(false);
    Command2 = new QPushButton(QStringLiteral("撤销(&S)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    layout->addLayout(buttons);

    connect(List1, &QListWidget::itemClicked, this, &FormDfg::List1_Click);
    connect(Command1, &QPushButton::clicked, this, &FormDfg::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormDfg::Command2_Click);
    resize(520, 360);
    Form_Load();
}

void FormDfg::Form_Load()
{
    m_leaveUnsaved = false;
    List1->addItems(readFavoritesFileLines(m_path));
}

void FormDfg::List1_Click()
{
    const QListWidgetItem *item = List1->currentItem();
    if (!item)
        return;
    Command1->setEnabled(true);
    m_address = splitFavoriteLine(item->text()).address;
    m_desktop.setClipboardText(m_address);
}

void FormDfg::Command1_Click()
{
    const int removed = List1->currentRow();
    if (removed < 0)
        return;
    delete List1->takeItem(removed);
    const int next = selectionAfterDelete(removed, List1->count());
    List1->setCurrentRow(next);
    if (next < 0)
        List1->clearSelection();
}

void FormDfg::Command2_Click()
{
    m_leaveUnsaved = true;
    reject();
}

void FormDfg::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void FormDfg::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_leaveUnsaved)
        return;
    QStringList lines;
    for (int i = 0; i < List1->count(); ++i)
        lines.append(List1->item(i)->text());
    writeFavoritesLines(m_path, lines);
    if (m_addFavor)
        m_addFavor();
}

}
