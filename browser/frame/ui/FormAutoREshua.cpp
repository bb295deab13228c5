#include "browser/frame/ui/FormAutoREshua.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser::frame {

FormAutoREshua::FormAutoREshua(std::function<void()> refresh, std::unique_ptr<TickSource> ticks, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_ticks(ticks ? std::move(ticks) : std::make_unique<TimerTickSource>())
    , m_refresher(std::make_unique<AutoRefresher>(*m_ticks, std::move(refresh)))
{
    setObjectName(QStringLiteral("FormAutoREshua"));
    setWindowTitle(QStringLiteral("网页刷屏器"));
    setAttribute(Qt::WA_DeleteOnClose);

    Frame1 = new QGroupBox(QStringLiteral("选项"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("刷新频率："), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Comb = new QComboBox(Frame1);
    Comb->setObjectName(QStringLiteral("Comb"));
    Comb->setEditable(true);
    Comb->setInsertPolicy(QComboBox::NoInsert);
    Comb->addItems(refreshIntervals());
    Comb->setEditText(kDefaultRefreshInterval);
    Label1->setBuddy(Comb);
    Command1 = new QPushButton(m_refresher->buttonCaption(), Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Lab = new QLabel(QStringLiteral("0"), Frame1);
    Lab->setObjectName(QStringLiteral("Lab"));
    Lab->setMinimumWidth(40);
    Lab->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *row = new QHBoxLayout(Frame1);
    row->addWidget(Label1);
    row->addWidget(Comb, 1);
    row->addWidget(Lab);
    row->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);

    connect(
        Comb, &QComboBox::editTextChanged, this, [this](const QString &text) { m_refresher->setIntervalText(text); });
    connect(Command1, &QPushButton::clicked, this, &FormAutoREshua::Command1_Click);
    m_refresher->onCountdown = [this](int seconds) {
        Lab->setText(QString::number(seconds));
    };
    resize(360, sizeHint().height());
}

FormAutoREshua::~FormAutoREshua()
{
    // The refresher lets go of the clock before the clock goes.
    m_refresher.reset();
}

void FormAutoREshua::Command1_Click()
{
    Command1->setText(m_refresher->toggle());
}

}
