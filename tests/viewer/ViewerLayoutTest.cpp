#include "viewer/ViewerLayout.h"

#include "viewer/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using viewer::ViewerLayout;

TEST(ViewerLayout, ResizeKeepsA40TwipMarginRightOfThePageWithOrWithoutThePanel)
{
    for (const bool panel : { false, true }) {
        ViewerLayout layout;
        layout.setPanelShown(panel);
        for (const auto &[width, height] : { std::pair { 15000, 9000 }, { 9000, 4000 }, { 20010, 12345 } }) {
            layout.resize(width, height);
            EXPECT_EQ(layout.webLeft + layout.webWidth, width - 40) << panel << " " << width;
            EXPECT_EQ(layout.webLeft, panel ? width / 5 + 80 : 40);
            EXPECT_EQ(layout.webHeight, height - 970);
            EXPECT_EQ(layout.dir1Height, height - 1300);
            EXPECT_EQ(layout.labelsTop, height - 255);
            EXPECT_EQ(layout.lab6Width, width - 11550);
            EXPECT_EQ(layout.lawLeft, width / 5 + 40);
            EXPECT_EQ(layout.lawHeight, layout.webHeight);
        }
    }
}

TEST(ViewerLayout, PanelToggleMovesThePage)
{
    ViewerLayout layout;
    layout.resize(15000, 9000);
    layout.setPanelShown(true);
    EXPECT_EQ(layout.webLeft, 3000 + 80);
    EXPECT_EQ(layout.webWidth, 15000 - 3080 - 40);
    layout.setPanelShown(false);
    EXPECT_EQ(layout.webLeft, 40);
    EXPECT_EQ(layout.webWidth, 15000 - 80);
}

TEST(ViewerLayout, DraggingTheSplitterTo3000ResizesThePanelAndThePage)
{
    ViewerLayout layout;
    layout.resize(15000, 9000);
    layout.setPanelShown(true);
    // The splitter starts at 3040; a mouse 25 twips into it moved 40 twips left brings it to 3000.
    layout.dragSplitter(25 - 40);
    EXPECT_EQ(layout.lawLeft, 3000);
    layout.releaseSplitter();
    EXPECT_EQ(layout.drive1Width, 2960);
    EXPECT_EQ(layout.dir1Width, 2960);
    EXPECT_EQ(layout.webLeft, 3050);
    EXPECT_EQ(layout.webWidth, 15000 - 3050 - 40);
}

void writeBytes(const QString &path, int size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
}

TEST(CommandLine, PicturesLongerThan30BytesListTheirFolderStartingAtThem)
{
    QTemporaryDir dir;
    const QString pics = dir.filePath(QStringLiteral("pics"));
    ASSERT_TRUE(QDir().mkpath(pics));
    writeBytes(pics + QStringLiteral("/a.jpg"), 31);
    writeBytes(pics + QStringLiteral("/small.jpg"), 20);
    writeBytes(pics + QStringLiteral("/edge.jpg"), 30);

    auto target = viewer::parseStartTarget(QLatin1Char('"') + pics + QStringLiteral("/a.jpg\""));
    EXPECT_EQ(target.folder, pics);
    EXPECT_EQ(target.targetFileName, QStringLiteral("a.jpg"));

    target = viewer::parseStartTarget(pics + QStringLiteral("/small.jpg"));
    EXPECT_EQ(target.folder, pics + QStringLiteral("/small.jpg"));
    EXPECT_TRUE(target.targetFileName.isEmpty());
    target = viewer::parseStartTarget(pics + QStringLiteral("/edge.jpg"));
    EXPECT_EQ(target.folder, pics + QStringLiteral("/edge.jpg"));

    target = viewer::parseStartTarget(QLatin1Char('"') + pics + QLatin1Char('"'));
    EXPECT_EQ(target.folder, pics);
    EXPECT_TRUE(target.targetFileName.isEmpty());

    // Nothing of that name: split as for a file.
    target = viewer::parseStartTarget(pics + QStringLiteral("/gone.jpg"));
    EXPECT_EQ(target.folder, pics);
    EXPECT_EQ(target.targetFileName, QStringLiteral("gone.jpg"));

    EXPECT_TRUE(viewer::parseStartTarget(QStringLiteral("\"\"")).isEmpty());
    EXPECT_TRUE(viewer::parseStartTarget(QString()).isEmpty());
    EXPECT_EQ(viewer::parseStartTarget(QStringLiteral("/gone.jpg")).folder, QStringLiteral("/"));
    EXPECT_EQ(
        viewer::commandLineText({ QStringLiteral("/a b"), QStringLiteral("c.jpg") }), QStringLiteral("/a b c.jpg"));
}

}
