#include "FormScreen.h"

#include "PictureBox.h"
#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "slideshow/EffectList.h"
#include "slideshow/PictureFitting.h"
#include "slideshow/PictureSearch.h"
#include "web/ui/SilentPage.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace slideshow {

namespace {

    const QString &kSection = common::keys::kScreenSave;
    const QString &kFileIndexKey = common::keys::kFileIndex;
    const QString &kMusicPageKey = common::keys::kMusicPage;

}

FormScreen::FormScreen(
    const common::Services &services, const common::RunningValues &values, const QString &screenFolder, QWidget *opener)
    : QWidget(opener, Qt::Window)
    , ScreenFolder(common::withTrailingSlash(screenFolder))
    , m_services(services)
    , m_values(values)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("图片转场特效"));
    QScreen *screen = opener && opener->screen() ? opener->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }

    m_clock.start();
    TransitionState &effects = m_canvas.effects;
    effects.clock = [clock = m_clock] {
        return clock.elapsed();
    };
    m_runner = std::make_unique<TransitionRunner>(effects);
    connect(m_runner.get(), &TransitionRunner::ended, this, &FormScreen::effectEnded);
    createControls();
    effects.refresh = [box = QPointer<PictureBox>(Picture1)] {
        if (box)
            box->update();
    };
    Form_Load();
}

FormScreen::~FormScreen()
{
    // An effect still running draws nothing more; it goes before the surfaces it draws on.
    m_runner->abandon();
}

void FormScreen::createControls()
{
    m_panel = new QWidget(this);
    auto *grid = new QGridLayout(m_panel);

    m_effectFrame = new QGroupBox(QStringLiteral("选择特效"), m_panel);
    List1 = new QListWidget(m_effectFrame);
    List1->setObjectName(QStringLiteral("List1"));
    (new QVBoxLayout(m_effectFrame))->addWidget(List1);
    grid->addWidget(m_effectFrame, 0, 0, 4, 1);

    m_directionFrame = new QGroupBox(QStringLiteral("方向"), m_panel);
    auto *directions = new QVBoxLayout(m_directionFrame);
    const char *directionCaptions[] = { "垂直", "水平", "向左", "向右", "向上", "向下" };
    for (int i = 0; i < 6; ++i) {
        Option1[i] = new QRadioButton(QString::fromUtf8(directionCaptions[i]), m_directionFrame);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        directions->addWidget(Option1[i]);
    }
    grid->addWidget(m_directionFrame, 0, 1);

    m_modeFrame = new QGroupBox(QStringLiteral("模式"), m_panel);
    auto *modes = new QVBoxLayout(m_modeFrame);
    const char *modeCaptions[] = { "推", "隐藏", "移动" };
    for (int i = 0; i < 3; ++i) {
        Option2[i] = new QRadioButton(QString::fromUtf8(modeCaptions[i]), m_modeFrame);
        Option2[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        modes->addWidget(Option2[i]);
    }
    grid->addWidget(m_modeFrame, 1, 1);

    m_speedFrame = new QGroupBox(QStringLiteral("速度"), m_panel);
    auto *speed = new QHBoxLayout(m_speedFrame);
    m_speedLabel = new QLabel(QStringLiteral("计时 (快速=1) :"), m_speedFrame);
    Text1 = new QLineEdit(QStringLiteral("1"), m_speedFrame);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text1));
    speed->addWidget(m_speedLabel);
    speed->addWidget(Text1);
    grid->addWidget(m_speedFrame, 0, 2);

    m_stepFrame = new QGroupBox(QStringLiteral("单步刷新"), m_panel);
    Text2 = new QLineEdit(QStringLiteral("1"), m_stepFrame);
    Text2->setObjectName(QStringLiteral("Text2"));
    (new QHBoxLayout(m_stepFrame))->addWidget(Text2);
    grid->addWidget(m_stepFrame, 1, 2);

    m_otherFrame = new QGroupBox(QStringLiteral("其他"), m_panel);
    auto *other = new QHBoxLayout(m_otherFrame);
    m_barSizeLabel = new QLabel(QStringLiteral("条大小:"), m_otherFrame);
    Text3 = new QLineEdit(QStringLiteral("10"), m_otherFrame);
    Text3->setObjectName(QStringLiteral("Text3"));
    other->addWidget(m_barSizeLabel);
    other->addWidget(Text3);
    grid->addWidget(m_otherFrame, 2, 2);

    cmdStart = new QPushButton(QStringLiteral("开始"), m_panel);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    grid->addWidget(cmdStart, 3, 2);
    m_panel->adjustSize();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);

    // The picture lies over the control panel and fills the window.
    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setSurface(&m_canvas.display);
    Picture1->setGeometry(rect());
    Picture1->raise();

    WebMusic = new QWebEngineView(this);
    WebMusic->setObjectName(QStringLiteral("WebMusic"));
    auto *music = new web::SilentPage(&m_services.webProfile, WebMusic);
    music->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    WebMusic->setPage(music);
    WebMusic->hide();

    connect(List1, &QListWidget::currentRowChanged, this, &FormScreen::List1_Click);
    connect(Text1, &QLineEdit::textChanged, this, &FormScreen::Text1_Change);
    connect(Text2, &QLineEdit::textChanged, this, [this] { guardBox(Text2, true); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { guardBox(Text3, true); });
    connect(cmdStart, &QPushButton::clicked, this, &FormScreen::cmdStart_Click);
    connect(Timer1, &QTimer::timeout, this, &FormScreen::Timer1_Timer);
    connect(Picture1, &PictureBox::clicked, this, &FormScreen::CloseSlideshow);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

void FormScreen::Form_Load()
{
    setCursor(Qt::BlankCursor);
    PictureList = SearchPictureFile(ScreenFolder);
    m_canvas.display = RasterSurface(width(), height());
    showFullScreen();
    if (PictureList.isEmpty()) {
        Timer1->stop();
        return;
    }
    List1->addItems(effectNames());
    StopRequested = false;
    m_canvas.effects.StepDelay = 1;
    List1->setCurrentRow(0);
    Picture1->setGeometry(rect());

    FileIndex = -1;
    {
        bool ok = false;
        const int stored = m_services.settings.read(kSection, kFileIndexKey).trimmed().toInt(&ok);
        // A damaged value must not point before the list.
        if (ok && stored >= -1 && stored <= 32767)
            FileIndex = stored;
    }
    LoadFittedPicture(m_canvas.display);
    Picture1->update();

    WebMusic->load(musicPage());
    if (!m_stopped)
        Timer1->start();
}

QUrl FormScreen::musicPage() const
{
    const QString stored = m_services.settings.read(kSection, kMusicPageKey).trimmed();
    QUrl url = QUrl::fromUserInput(stored);
    const QStringList allowed = { QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file") };
    if (stored.isEmpty() || !url.isValid() || !allowed.contains(url.scheme()))
        return QUrl(QStringLiteral("about:blank"));
    return url;
}

bool FormScreen::LoadFittedPicture(RasterSurface &target)
{
    return loadFitted(target, true);
}

bool FormScreen::loadFitted(RasterSurface &target, bool mayRetry)
{
    ++FileIndex;
    if (FileIndex >= PictureList.size())
        FileIndex = 0;
    std::optional<QImage> picture;
    if (FileIndex < PictureList.size())
        picture = readPicture(PictureList.at(FileIndex), size());
    if (!picture) {
        if (!mayRetry) {
            // Neither list gives a picture: stop here rather than retry for ever.
            m_stopped = true;
            Timer1->stop();
            return false;
        }
        PictureList = SearchPictureFile(m_values.DownloadFolder);
        return loadFitted(target, false);
    }
    Picture3 = *picture;
    target = RasterSurface::fromImage(fitPicture(Picture3, size()));
    return true;
}

void FormScreen::CloseSlideshow()
{
    StopRequested = true;
    unsetCursor();
    m_canvas.effects.TransitionBusy = false;
    close();
}

void FormScreen::Form_QueryUnload()
{
    unsetCursor();
    // A running effect is dropped where it stands: nothing of it is on the call stack, and it
    // draws nothing more on the surfaces that go with the window.
    m_runner->abandon();
    m_inCycle = false;
    StopRequested = true;
    Timer1->stop();
    if (!m_closed && !PictureList.isEmpty())
        m_services.settings.save(kSection, kFileIndexKey, QString::number(FileIndex));
    m_closed = true;
}

void FormScreen::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
}

bool FormScreen::event(QEvent *event)
{
    // Every key closes, Tab and Shift+Tab included: seen here, before the focus chain takes
    // them when the window itself has the focus.
    if (event->type() == QEvent::KeyPress) {
        CloseSlideshow();
        return true;
    }
    return QWidget::event(event);
}

void FormScreen::keyPressEvent(QKeyEvent *)
{
    CloseSlideshow();
}

void FormScreen::mousePressEvent(QMouseEvent *)
{
    CloseSlideshow();
}

bool FormScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        CloseSlideshow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FormScreen::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!Picture1)
        return;
    Picture1->setGeometry(rect());
    if (m_inCycle || m_canvas.display.size() == size())
        return;
    m_canvas.display =
        Picture3.isNull() ? RasterSurface(width(), height()) : RasterSurface::fromImage(fitPicture(Picture3, size()));
    Picture1->update();
}

const RasterSurface &FormScreen::display() const
{
    return m_canvas.display;
}

TransitionState &FormScreen::transitionState()
{
    return m_canvas.effects;
}

}
