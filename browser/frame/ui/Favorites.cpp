#include "browser/frame/ui/Favorites.h"

#include "browser/frame/Favorites.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser::frame {

Favorites::Favorites(const QString &dataFolder,
    const QString &title,
    const QString &address,
    std::function<void()> addFavor,
    QWidget *parent)
    : QDialog(parent)
    , m_dataFolder(dataFolder)
    , m_addFavor(std::move(addFavor))
{
    setObjectName(QStringLiteral("Favorites"));
    setWindowTitle(QStringLiteral("添加到收藏夹"));

    auto *intro = new QLabel(QStringLiteral("将把该页添加到您的收藏夹列表中……"), this);
    Check1 = new QCheckBox(QStringLiteral("允许脱机使用"), this);
    Check1->setObjectName(QStringLiteral("Check1"));

    txtTitle = new QLineEdit(this);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtUrl = new QLineEdit(this);
    txtUrl->setObjectName(QStringLiteral("txtUrl"));
    auto *titleLabel = new QLabel(QStringLiteral("网站名称(&U)："), this);
    titleLabel->setBuddy(txtTitle);
    auto *urlLabel = new QLabel(QStringLiteral("网站地址(&P)："), this);
    urlLabel->setBuddy(txtUrl);
    // Each box shows its whole text as its tool tip, also when it is too long for the box.
    for (QLineEdit *box : { txtTitle, txtUrl })
        connect(box, &QLineEdit::textChanged, box, [box](const QString &text) { box->setToolTip(text); });

    ListDir = new QListWidget(this);
    ListDir->setObjectName(QStringLiteral("ListDir"));
    ListDir->setFocusPolicy(Qt::NoFocus);
    ListDir->setSelectionMode(QAbstractItemView::NoSelection);
    ListDir->setMaximumHeight(90);
    auto *dirLabel = new QLabel(QStringLiteral("选择目录(&S)："), this);
    dirLabel->setBuddy(ListDir);

    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    Command1 = new QPushButton(QStringLiteral("新建目录"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto *fields = new QGridLayout;
    fields->addWidget(titleLabel, 0, 0);
    fields->addWidget(txtTitle, 0, 1);
    fields->addWidget(urlLabel, 1, 0);
    fields->addWidget(txtUrl, 1, 1);
    fields->addWidget(dirLabel, 2, 0, Qt::AlignTop);
    fields->addWidget(ListDir, 2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Check1);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &Favorites::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &Favorites::cmdCancel_Click);
    connect(Command1, &QPushButton::clicked, this, &Favorites::Command1_Click);

    txtUrl->setText(address);
    txtTitle->setText(title);
    txtUrl->setCursorPosition(0);
    txtTitle->setCursorPosition(0);
    listCategories();
    resize(460, sizeHint().height());
}

void Favorites::cmdOK_Click()
{
    const QString line = favoriteLine(txtTitle->text(), txtUrl->text());
    if (line.isEmpty())
        return;
    // A list that cannot be written leaves the menu as it was; the dialog closes all the same.
    appendFavoriteLine(favoritesPath(m_dataFolder), line);
    if (m_addFavor)
        m_addFavor();
    accept();
}

void Favorites::cmdCancel_Click()
{
    reject();
}

void Favorites::Command1_Click()
{
    bool ok = false;
    const QString answer = QInputDialog::getText(this,
        QStringLiteral("新建目录"),
        QStringLiteral("请输入新的分类目录"),
        QLineEdit::Normal,
        QStringLiteral("网址之家"),
        &ok);
    if (!ok)
        return;
    const QString folder = favoritesCategoryFolder(m_dataFolder, answer);
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    listCategories();
}

void Favorites::listCategories()
{
    ListDir->clear();
    const QDir dir(m_dataFolder + kFavoritesFolderName);
    ListDir->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
}

}
