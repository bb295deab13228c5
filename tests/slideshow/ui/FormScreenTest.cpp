#include "slideshow/ui/FormScreen.h"

#include "slideshow/EffectList.h"
#include "slideshow/PictureFitting.h"
#include "tests/ServicesUnderTest.h"
#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValidator>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace slideshow {

namespace {

    const QColor kColours[] = { Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta };

    class FormScreenTest : public ::testing::Test {
    protected:
        void SetUp() override { m_services.values.DownloadFolder = m_downloads.path() + QLatin1Char('/'); }

        void TearDown() override
        {
            if (m_window) {
                m_window->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
            delete m_window.data();
        }

        // A picture of more than 30000 bytes (a 24-bit BMP) in one colour.
        static void makePicture(const QString &path, QSize size, QColor colour)
        {
            QImage image(size, QImage::Format_RGB888);
            image.fill(colour);
            ASSERT_TRUE(image.save(path, "BMP")) << qPrintable(path);
        }

        void makePictures(int count)
        {
            for (int i = 0; i < count; ++i)
                makePicture(m_folder.filePath(QStringLiteral("p%1.bmp").arg(i)), { 300, 200 }, kColours[i]);
        }

        FormScreen &open()
        {
            m_window = new FormScreen(m_services.services, m_services.values, m_folder.path(), nullptr);
            return *m_window;
        }

        template <typename T> T *child(const QString &name)
        {
            T *found = m_window->findChild<T *>(name);
            EXPECT_NE(found, nullptr) << qPrintable(name);
            return found;
        }

        // Runs the event loop until the cycle's effect has ended and the cycle finished.
        static void waitForCycle(FormScreen &w)
        {
            EXPECT_TRUE(velmora::test::waitUntil([&w] { return !w.cycleRunning(); }, 20000));
        }

        QRadioButton *option1(int i) { return child<QRadioButton>(QStringLiteral("Option1_%1").arg(i)); }
        QRadioButton *option2(int i) { return child<QRadioButton>(QStringLiteral("Option2_%1").arg(i)); }

        int checkedDirection()
        {
            for (int i = 0; i < 6; ++i)
                if (option1(i)->isChecked())
                    return i;
            return -1;
        }

        Bgr centre() const { return m_window->display().pixel(m_window->width() / 2, m_window->height() / 2); }

        static Bgr bgr(QColor c)
        {
            return { static_cast<std::uint8_t>(c.blue()),
                static_cast<std::uint8_t>(c.green()),
                static_cast<std::uint8_t>(c.red()) };
        }

        QTemporaryDir m_folder;
        QTemporaryDir m_downloads;
        velmora::test::ServicesUnderTest m_services;
        QPointer<FormScreen> m_window;
    };

}

TEST_F(FormScreenTest, OpensFullScreenWithItsControlsAndTheFirstEntry)
{
    makePictures(2);
    FormScreen &w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("图片转场特效"));
    EXPECT_TRUE(w.isFullScreen());
    EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(child<QWidget>(QStringLiteral("Picture1"))->geometry(), w.rect());
    EXPECT_EQ(w.display().size(), w.size());

    auto *list = child<QListWidget>(QStringLiteral("List1"));
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->item(i)->text());
    EXPECT_EQ(names, effectNames());
    EXPECT_EQ(names.size(), 19);
    EXPECT_EQ(names.at(4), QStringLiteral("从内缩放擦除"));
    EXPECT_EQ(list->currentRow(), 0);

    const QStringList directions = { "垂直", "水平", "向左", "向右", "向上", "向下" };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(option1(i)->text(), directions.at(i));
    const QStringList modes = { "推", "隐藏", "移动" };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(option2(i)->text(), modes.at(i));
    QStringList frames;
    for (const QGroupBox *frame : w.findChildren<QGroupBox *>())
        frames.append(frame->title());
    frames.sort();
    QStringList expectedFrames = { "选择特效", "方向", "速度", "模式", "单步刷新", "其他" };
    expectedFrames.sort();
    EXPECT_EQ(frames, expectedFrames);
    QStringList labels;
    for (const QLabel *label : w.findChildren<QLabel *>())
        labels.append(label->text());
    EXPECT_TRUE(labels.contains(QStringLiteral("计时 (快速=1) :")));
    EXPECT_TRUE(labels.contains(QStringLiteral("条大小:")));
    EXPECT_EQ(child<QPushButton>(QStringLiteral("cmdStart"))->text(), QStringLiteral("开始"));
    auto *timer = child<QTimer>(QStringLiteral("Timer1"));
    EXPECT_EQ(timer->interval(), 3000);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(w.transitionState().StepDelay, 1);
    EXPECT_EQ(w.GetFourWayDirection(), 4);

    auto *music = child<QWebEngineView>(QStringLiteral("WebMusic"));
    EXPECT_FALSE(music->isVisible());
    // The slideshow keeps its own list (it is given no access to the viewer's) and plays the
    // folder it was handed.
    EXPECT_EQ(w.ScreenFolder, m_folder.path() + QLatin1Char('/'));
    EXPECT_EQ(w.pictureList().size(), 2);
}

TEST_F(FormScreenTest, SelectingAnEntryAppliesItsDefaults)
{
    struct Row {
        int entry;
        const char *step;
        const char *speed;
        const char *barSize; // nullptr: the bar-size box is off
        bool modes;
        const char *enabledDirections; // one character per option
        int direction; // checked direction option, -1 when the set is off
        int mode;
    };
    const Row rows[] = {
        { 0, "5", "1", nullptr, false, "..XXXX", 2, -1 },
        { 1, "4", "1", nullptr, false, "XX....", 0, -1 },
        { 2, "4", "1", nullptr, false, "XX....", 0, -1 },
        { 3, "5", "1", nullptr, true, "..XX..", 2, 0 },
        { 5, "2", "1", nullptr, false, "XX....", 0, -1 },
        { 6, "5", "1", "1", false, "XX....", 1, -1 },
        { 7, "5", "1", "1", false, "XX....", 1, -1 },
        { 8, "8", "1", nullptr, false, "....XX", 4, -1 },
        { 9, "1", "50", "20", false, "..XXXX", 4, -1 },
        { 10, "30", "1", nullptr, false, "......", -1, -1 },
        { 11, "5", "1", nullptr, false, "......", -1, -1 },
        { 12, "25", "1", nullptr, false, "......", -1, -1 },
        { 13, "10", "1", nullptr, false, "......", -1, -1 },
        { 15, "10", "1", nullptr, false, "......", -1, -1 },
        { 16, "25", "1", "75", false, "......", -1, -1 },
        { 17, "10", "1", nullptr, false, "......", -1, -1 },
        { 18, "15", "1", "75", false, "......", -1, -1 },
    };
    makePictures(1);
    FormScreen &w = open();
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    auto *text1 = child<QLineEdit>(QStringLiteral("Text1"));
    auto *text2 = child<QLineEdit>(QStringLiteral("Text2"));
    auto *text3 = child<QLineEdit>(QStringLiteral("Text3"));
    for (const Row &r : rows) {
        SCOPED_TRACE(r.entry);
        list->setCurrentRow(r.entry);
        EXPECT_EQ(text2->text(), QString::fromLatin1(r.step));
        EXPECT_TRUE(text2->isEnabled());
        EXPECT_EQ(text1->text(), QString::fromLatin1(r.speed));
        EXPECT_EQ(w.transitionState().StepDelay, QString::fromLatin1(r.speed).toInt());
        EXPECT_EQ(text3->isEnabled(), r.barSize != nullptr);
        if (r.barSize) {
            EXPECT_EQ(text3->text(), QString::fromLatin1(r.barSize));
        }
        EXPECT_EQ(option2(0)->isEnabled(), r.modes);
        QString enabled;
        for (int i = 0; i < 6; ++i)
            enabled += option1(i)->isEnabled() ? QLatin1Char('X') : QLatin1Char('.');
        EXPECT_EQ(enabled, QString::fromLatin1(r.enabledDirections));
        if (r.direction >= 0) {
            EXPECT_EQ(checkedDirection(), r.direction);
        }
        if (r.mode >= 0) {
            EXPECT_TRUE(option2(r.mode)->isChecked());
        }
    }
    list->setCurrentRow(4);
    EXPECT_EQ(list->currentRow(), 5);
    EXPECT_EQ(text2->text(), QStringLiteral("2"));
}

TEST_F(FormScreenTest, AdvanceEffectWalksTheDirectionsThenTheList)
{
    makePictures(1);
    FormScreen &w = open();
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    QStringList walk;
    for (int k = 0; k < 40; ++k) {
        w.AdvanceEffect();
        const int entry = list->currentRow();
        walk.append(entry >= 10 ? QString::number(entry) : QStringLiteral("%1/%2").arg(entry).arg(checkedDirection()));
    }
    EXPECT_EQ(walk.join(QLatin1Char(' ')).toStdString(),
        std::string("0/3 0/4 0/5 1/0 1/1 2/0 2/1 3/2 3/3 5/0 5/1 6/1 6/1 7/1 7/1 8/4 8/5 9/4 9/3 9/4 9/5 "
                    "10 11 12 13 14 15 0/2 0/3 0/4 0/5 1/0 1/1 2/0 2/1 3/2 3/3 5/0 5/1 6/1"));
    list->setCurrentRow(16);
    w.AdvanceEffect();
    EXPECT_EQ(list->currentRow(), 17);
    w.AdvanceEffect();
    w.AdvanceEffect();
    w.AdvanceEffect();
    EXPECT_EQ(list->currentRow(), 18);
}

TEST_F(FormScreenTest, SavedFileIndexThreeShowsPictureFourFirst)
{
    makePictures(6);
    m_services.settings.save(QStringLiteral("ScreenSave"), QStringLiteral("FileIndex"), QStringLiteral("3"));
    FormScreen &w = open();
    EXPECT_EQ(w.fileIndex(), 4);
    EXPECT_EQ(centre(), bgr(kColours[4]));
    w.close();
    EXPECT_EQ(m_services.settings.read(QStringLiteral("ScreenSave"), QStringLiteral("FileIndex")), QStringLiteral("4"));
}

TEST_F(FormScreenTest, DamagedFileIndexStartsAtTheFirstPicture)
{
    makePictures(3);
    for (const char *stored : { "-7", "abc", "99999" }) {
        SCOPED_TRACE(stored);
        m_services.settings.save(
            QStringLiteral("ScreenSave"), QStringLiteral("FileIndex"), QString::fromLatin1(stored));
        FormScreen &w = open();
        EXPECT_EQ(w.fileIndex(), 0);
        EXPECT_EQ(centre(), bgr(kColours[0]));
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FormScreenTest, TallPictureIsDrawnTwiceSideBySide)
{
    makePicture(m_folder.filePath(QStringLiteral("tall.bmp")), { 200, 400 }, Qt::darkGreen);
    FormScreen &w = open();
    const RasterSurface &shown = w.display();
    const int half = w.width() / 2;
    ASSERT_GT(half, 10);
    for (int y = 0; y < w.height(); y += 37)
        for (int x = 0; x < half; x += 29) {
            EXPECT_EQ(shown.pixel(x, y), shown.pixel(x + half, y));
            EXPECT_EQ(shown.pixel(x, y), bgr(Qt::darkGreen));
        }
}

TEST_F(FormScreenTest, FolderOfSmallPicturesGivesAnEmptyShow)
{
    makePicture(m_folder.filePath(QStringLiteral("small.bmp")), { 50, 50 }, Qt::red);
    makePicture(m_folder.filePath(QStringLiteral("large.png")), { 400, 400 }, Qt::red);
    FormScreen &w = open();
    EXPECT_TRUE(w.pictureList().isEmpty());
    EXPECT_EQ(child<QListWidget>(QStringLiteral("List1"))->count(), 0);
    EXPECT_FALSE(child<QTimer>(QStringLiteral("Timer1"))->isActive());
    EXPECT_EQ(centre(), Bgr::black());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(FormScreenTest, CycleBringsInTheNextPictureAndMovesOn)
{
    makePictures(2);
    FormScreen &w = open();
    EXPECT_EQ(centre(), bgr(kColours[0]));
    w.Timer1_Timer();
    EXPECT_TRUE(w.cycleRunning());
    EXPECT_FALSE(child<QTimer>(QStringLiteral("Timer1"))->isActive());
    EXPECT_EQ(child<QPushButton>(QStringLiteral("cmdStart"))->text(), QStringLiteral("停止"));
    waitForCycle(w);
    EXPECT_EQ(w.fileIndex(), 1);
    EXPECT_EQ(centre(), bgr(kColours[1]));
    EXPECT_TRUE(IsIdle(w.transitionState()));
    EXPECT_TRUE(child<QTimer>(QStringLiteral("Timer1"))->isActive());
    EXPECT_EQ(child<QPushButton>(QStringLiteral("cmdStart"))->text(), QString());
    EXPECT_EQ(checkedDirection(), 3);
    // With one picture left in the list every cycle reloads the same one.
    w.Timer1_Timer();
    waitForCycle(w);
    EXPECT_EQ(w.fileIndex(), 0);
    EXPECT_EQ(centre(), bgr(kColours[0]));
}

TEST_F(FormScreenTest, EveryEntryRunsToTheIncomingPicture)
{
    makePictures(2);
    FormScreen &w = open();
    auto *list = child<QListWidget>(QStringLiteral("List1"));
    for (int entry = 0; entry < 19; ++entry) {
        if (entry == kEmptyEffect)
            continue;
        SCOPED_TRACE(entry);
        list->setCurrentRow(entry);
        // Larger steps keep the test short; the effects themselves are tested elsewhere.
        child<QLineEdit>(QStringLiteral("Text2"))->setText(QStringLiteral("60"));
        child<QLineEdit>(QStringLiteral("Text1"))->setText(QStringLiteral("00"));
        const int next = (w.fileIndex() + 1) % 2;
        w.cmdStart_Click();
        waitForCycle(w);
        const RasterSurface expected =
            RasterSurface::fromImage(fitPicture(*readPicture(w.pictureList().at(next)), w.size()));
        EXPECT_TRUE(w.display() == expected);
    }
}

TEST_F(FormScreenTest, KeyPressClosesAndSavesTheIndex)
{
    makePictures(3);
    FormScreen &w = open();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(child<QLineEdit>(QStringLiteral("Text2")), &key);
    EXPECT_NE(w.cursor().shape(), Qt::BlankCursor);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text2"))->text(), QStringLiteral("5"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
    EXPECT_EQ(m_services.settings.read(QStringLiteral("ScreenSave"), QStringLiteral("FileIndex")), QStringLiteral("0"));
}

TEST_F(FormScreenTest, EveryKeyClosesWhenTheWindowItselfHasTheFocus)
{
    struct Key {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Key k : { Key { "Tab", Qt::Key_Tab, Qt::NoModifier },
             Key { "Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier },
             Key { "Space", Qt::Key_Space, Qt::NoModifier } }) {
        SCOPED_TRACE(k.name);
        makePictures(1);
        FormScreen &w = open();
        w.setFocus();
        QTest::keyClick(&w, k.key, k.modifiers);
        EXPECT_FALSE(w.isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(m_window.isNull());
    }
}

TEST_F(FormScreenTest, WindowDestroyedWhileAnEffectRunsLeavesNothingBehind)
{
    makePictures(2);
    FormScreen &w = open();
    child<QListWidget>(QStringLiteral("List1"))->setCurrentRow(16);
    child<QLineEdit>(QStringLiteral("Text2"))->setText(QStringLiteral("1"));
    child<QLineEdit>(QStringLiteral("Text1"))->setText(QStringLiteral("5"));
    w.Timer1_Timer();
    ASSERT_TRUE(w.cycleRunning());
    velmora::test::serveEvents(20);
    delete m_window.data();
    // The runner went with the window: no tick draws on surfaces that are gone.
    velmora::test::serveEvents(30);
    EXPECT_TRUE(m_window.isNull());
}

TEST_F(FormScreenTest, ClickOnThePictureCloses)
{
    makePictures(1);
    open();
    QTest::mouseClick(child<QWidget>(QStringLiteral("Picture1")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
}

TEST_F(FormScreenTest, ClosingDuringAnEffectStopsItAndClosesAfterwards)
{
    makePictures(2);
    FormScreen &w = open();
    child<QListWidget>(QStringLiteral("List1"))->setCurrentRow(17);
    child<QLineEdit>(QStringLiteral("Text2"))->setText(QStringLiteral("1"));
    // Delivered once the event loop turns, while the effect is running.
    QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    w.Timer1_Timer();
    ASSERT_TRUE(w.cycleRunning());
    QCoreApplication::processEvents();
    ASSERT_FALSE(m_window.isNull());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(IsIdle(w.transitionState()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
    EXPECT_EQ(m_services.settings.read(QStringLiteral("ScreenSave"), QStringLiteral("FileIndex")), QStringLiteral("1"));
}

TEST_F(FormScreenTest, UnreadablePictureFallsBackToTheDownloadFolderOnce)
{
    QFile broken(m_folder.filePath(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(50000, 'x'));
    broken.close();
    makePicture(m_downloads.filePath(QStringLiteral("saved.bmp")), { 300, 200 }, Qt::blue);
    FormScreen &w = open();
    EXPECT_FALSE(w.isStopped());
    EXPECT_EQ(w.pictureList(), QStringList { m_downloads.filePath(QStringLiteral("saved.bmp")) });
    EXPECT_EQ(centre(), bgr(Qt::blue));
}

TEST_F(FormScreenTest, NothingReadableAnywhereStopsQuietly)
{
    QFile broken(m_folder.filePath(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(50000, 'x'));
    broken.close();
    QFile::copy(broken.fileName(), m_downloads.filePath(QStringLiteral("also-broken.gif")));
    FormScreen &w = open();
    EXPECT_TRUE(w.isStopped());
    EXPECT_FALSE(child<QTimer>(QStringLiteral("Timer1"))->isActive());
    w.Timer1_Timer();
    EXPECT_TRUE(w.isStopped());
}

TEST_F(FormScreenTest, InputBoxesNeverHoldZeroOrNothing)
{
    makePictures(1);
    FormScreen &w = open();
    auto *text1 = child<QLineEdit>(QStringLiteral("Text1"));
    auto *text2 = child<QLineEdit>(QStringLiteral("Text2"));
    auto *text3 = child<QLineEdit>(QStringLiteral("Text3"));
    for (QLineEdit *box : { text1, text2, text3 }) {
        box->setText(QString());
        EXPECT_EQ(box->text(), QStringLiteral("1"));
        box->setText(QStringLiteral("0"));
        EXPECT_EQ(box->text(), QStringLiteral("1"));
    }
    EXPECT_EQ(text2->selectedText(), QStringLiteral("1"));
    text1->setText(QStringLiteral("250"));
    EXPECT_EQ(w.transitionState().StepDelay, 250);
    int position = 0;
    QString typed = QStringLiteral("12");
    EXPECT_EQ(text1->validator()->validate(typed, position), QValidator::Acceptable);
    typed = QStringLiteral("1a");
    EXPECT_EQ(text1->validator()->validate(typed, position), QValidator::Invalid);
}

}
