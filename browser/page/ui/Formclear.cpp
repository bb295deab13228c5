#include "browser/page/ui/Formclear.h"

#include "common/Captions.h"
#include "common/Paths.h"
#include "common/Services.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace browser::page {

Formclear::Formclear(const common::Services &services, QString dataFolder, FrameTraces frame, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_dataFolder(std::move(dataFolder))
    , m_frame(std::move(frame))
{
    setObjectName(QStringLiteral("Formclear"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("清除浏览记录"));

    auto *layout = new QVBoxLayout(this);
    Frame1 = new QGroupBox(QStringLiteral("选项"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(Frame1);
    const QList<TraceBox> &boxes = traceBoxes();
    for (int i = 0; i < int(Chk.size()); ++i) {
        auto *box = new QCheckBox(boxes[i].caption, Frame1);
        box->setObjectName(QStringLiteral("Chk(%1)").arg(i));
        box->setToolTip(boxes[i].toolTip);
        // Two columns: boxes 0..4 on the left, 5..9 on the right.
        grid->addWidget(box, i % 5, i / 5);
        Chk[size_t(i)] = box;
    }
    layout->addWidget(Frame1);

    auto *row = new QHBoxLayout;
    CheckAll = new QCheckBox(QStringLiteral("全选"), this);
    CheckAll->setObjectName(QStringLiteral("CheckAll"));
    row->addWidget(CheckAll);
    row->addStretch();
    Command1 = new QPushButton(QStringLiteral("确定(&Y)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("取消(&C)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    row->addWidget(Command1);
    row->addWidget(Command2);
    layout->addLayout(row);

    connect(CheckAll, &QCheckBox::toggled, this, [this](bool on) {
        for (QCheckBox *box : Chk)
            box->setChecked(on);
    });
    connect(Command1, &QPushButton::clicked, this, &Formclear::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

QString Formclear::historyFolder() const
{
    return m_dataFolder.isEmpty() ? QString() : common::withTrailingSlash(m_dataFolder) + QStringLiteral("History");
}

void Formclear::Command1_Click()
{
    const QList<TraceBox> &boxes = traceBoxes();
    for (int i = 0; i < int(Chk.size()); ++i) {
        if (Chk[size_t(i)]->isChecked())
            clear(boxes[i].kind);
    }
    QWidget *owner = parentWidget();
    accept();
    QMessageBox::information(owner, common::kBrowserName, kClearDoneMessage);
}

void Formclear::clear(TraceKind kind)
{
    QWebEngineProfile &profile = m_services.webProfile;
    switch (kind) {
    case TraceKind::AddressList:
        if (m_frame.clearAddressList)
            m_frame.clearAddressList();
        break;
    case TraceKind::SearchList:
        if (m_frame.clearSearchList)
            m_frame.clearSearchList();
        break;
    case TraceKind::VisitHistory:
        if (!historyFolder().isEmpty())
            deleteConfinedFolder(historyFolder());
        break;
    case TraceKind::FormData:
        deleteFormData(profile.persistentStoragePath());
        break;
    case TraceKind::RecentDocuments:
        clearOwnRecentEntries();
        break;
    case TraceKind::Cookies:
        profile.cookieStore()->deleteAllCookies();
        break;
    case TraceKind::WebCache:
        profile.clearHttpCache();
        break;
    case TraceKind::TempFiles:
        deleteOwnPageFiles(common::pageFolder());
        break;
    case TraceKind::ClosedPages:
        if (m_frame.clearClosedPagesMenu)
            m_frame.clearClosedPagesMenu();
        break;
    case TraceKind::NetworkNeighbourhood:
        break;
    }
}

}
