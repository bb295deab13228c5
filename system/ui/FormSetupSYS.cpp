#include "system/ui/FormSetupSYS.h"

#include "common/Numbers.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "system/ui/Dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sys {

FormSetupSYS::FormSetupSYS(const common::Services &services, common::RunningValues &values, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_values(values)
{
    setWindowTitle(QStringLiteral("系统设置中心"));
    auto *layout = new QVBoxLayout(this);

    Chk[1] = new QCheckBox(QStringLiteral("退出时保留图片的最后访问路径。"), this);
    layout->addWidget(Chk[1]);

    auto *numbers = new QGridLayout;
    TextFile = new QLineEdit(QStringLiteral("30"), this);
    TextSize = new QLineEdit(QStringLiteral("30"), this);
    auto *fileLabel = new QLabel(QStringLiteral("每页能够显示的图片最大数目："), this);
    auto *sizeLabel = new QLabel(QStringLiteral("搜索图片时的最小尺寸（KB）："), this);
    fileLabel->setBuddy(TextFile);
    sizeLabel->setBuddy(TextSize);
    numbers->addWidget(fileLabel, 0, 0);
    numbers->addWidget(TextFile, 0, 1);
    numbers->addWidget(sizeLabel, 1, 0);
    numbers->addWidget(TextSize, 1, 1);
    numbers->addWidget(new QLabel(QStringLiteral("范围在[30，200]之间。"), this), 0, 2, 2, 1);
    layout->addLayout(numbers);

    addConfirmButtons(this, layout, CmdOK, CmdCancel);

    connect(CmdOK, &QPushButton::clicked, this, &FormSetupSYS::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void FormSetupSYS::Form_Load()
{
    using namespace common::keys;
    Chk[1]->setChecked(common::checkFromText(m_services.settings.read(kSetup, kSetMenu1), Chk[1]->isChecked()));
    TextFile->setText(QString::number(m_values.viewer.PageSize));
    TextSize->setText(QString::number(m_values.viewer.MinPictureKB));
}

void FormSetupSYS::CmdOK_Click()
{
    using namespace common::keys;
    common::SettingsStore &settings = m_services.settings;
    settings.save(kSetup, kSetMenu1, common::checkText(Chk[1]->isChecked()));
    const int pageSize = common::rangeRuleFromText(TextFile->text());
    settings.save(kMain, kPageFileCount, QString::number(pageSize));
    m_values.viewer.PageSize = pageSize;
    const int pictureKB = common::rangeRuleFromText(TextSize->text());
    settings.save(kMain, kPictureSize, QString::number(pictureKB));
    m_values.viewer.MinPictureKB = pictureKB;
    accept();
}

}
