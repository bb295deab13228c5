// The real desktop layer against fake desktop tools: each test puts its own programs first on
// PATH (and nothing else), so no real tool of the machine ever runs.
#include "common/platform/Desktop.h"

#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

class SystemDesktopTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bin.isValid());
        m_savedPath = qgetenv("PATH");
        m_savedSession = qgetenv("XDG_CURRENT_DESKTOP");
        qputenv("PATH", QFile::encodeName(m_bin.path()));
        qunsetenv("XDG_CURRENT_DESKTOP");
        m_desktop = common::platform::createSystemDesktop();
    }

    void TearDown() override
    {
        m_desktop.reset();
        // A detached program the layer started is not the layer's to stop: end the fakes here.
        for (const QString &name : QDir(m_bin.path()).entryList({ QStringLiteral("*.pid") })) {
            const int pid = readFile(name).trimmed().toInt();
            if (pid > 1)
                ::kill(pid, SIGKILL);
        }
        qputenv("PATH", m_savedPath);
        if (m_savedSession.isNull())
            qunsetenv("XDG_CURRENT_DESKTOP");
        else
            qputenv("XDG_CURRENT_DESKTOP", m_savedSession);
    }

    // A fake tool that appends its arguments to <name>.args, one line per run, each followed by
    // "|", then runs `tail` (shell text).
    void writeTool(const QString &name, const QByteArray &tail = {})
    {
        QFile tool(m_bin.filePath(name));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n{ printf '%s|' \"$@\"; echo; } >> \"$0.args\"\n" + tail + "\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A fake tool that hangs: it writes its process id, then sleeps half a minute.
    void writeHungTool(const QString &name) { writeTool(name, "echo $$ > \"$0.pid\"\nexec /bin/sleep 30"); }

    QByteArray readFile(const QString &name) const
    {
        QFile file(m_bin.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList runs(const QString &tool) const
    {
        QStringList lines = QString::fromUtf8(readFile(tool + QStringLiteral(".args"))).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return lines;
    }

    // Turns the event loop until `ready` holds or `ms` pass.
    static bool waitUntil(const std::function<bool()> &ready, int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!ready() && clock.elapsed() < ms) {
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return ready();
    }

    QTemporaryDir m_bin;
    QByteArray m_savedPath;
    QByteArray m_savedSession;
    std::unique_ptr<common::platform::Desktop> m_desktop;
};

// A timer of a few milliseconds started right after the call must fire within 50 ms.
qint64 msUntilATimerFires()
{
    QElapsedTimer clock;
    clock.start();
    qint64 firedAfter = -1;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, [&] {
        firedAfter = clock.elapsed();
        loop.quit();
    });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    return firedAfter;
}

TEST_F(SystemDesktopTest, AHungHandlerNeitherBlocksTheCallNorTheEventLoop)
{
    writeHungTool(QStringLiteral("xdg-open"));
    std::optional<bool> started;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(m_desktop->openWithDesktop(
        QUrl::fromLocalFile(QStringLiteral("/tmp/a b.jpg")), [&started](bool ok) { started = ok; }));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_FALSE(started.has_value()) << "the outcome is reported from the event loop, not inside the call";
    const qint64 fired = msUntilATimerFires();
    EXPECT_GE(fired, 0);
    EXPECT_LT(fired, 50);
    ASSERT_TRUE(waitUntil([&] { return started.has_value() && !readFile(QStringLiteral("xdg-open.pid")).isEmpty(); }));
    EXPECT_TRUE(*started);
    EXPECT_EQ(runs(QStringLiteral("xdg-open")), QStringList { QStringLiteral("file:///tmp/a%20b.jpg|") });
}

TEST_F(SystemDesktopTest, AHungWallpaperToolIsStoppedWithTheDesktopObject)
{
    writeHungTool(QStringLiteral("feh"));
    bool reported = false;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.jpg"), [&reported](bool) { reported = true; }));
    EXPECT_LT(clock.elapsed(), 500);
    const qint64 fired = msUntilATimerFires();
    EXPECT_GE(fired, 0);
    EXPECT_LT(fired, 50);
    ASSERT_TRUE(waitUntil([&] { return !readFile(QStringLiteral("feh.pid")).isEmpty(); }));
    const int pid = readFile(QStringLiteral("feh.pid")).trimmed().toInt();
    ASSERT_GT(pid, 1);
    EXPECT_EQ(::kill(pid, 0), 0);
    EXPECT_FALSE(reported);
    m_desktop.reset();
    EXPECT_NE(::kill(pid, 0), 0) << "the tool outlived the desktop object";
    waitUntil([] { return false; }, 20);
    EXPECT_FALSE(reported) << "no outcome after the desktop object is gone";
}

// Every path handed to an editor or a wallpaper tool is absolute, and follows "--" where the tool
// reads it as the end of its options.
TEST_F(SystemDesktopTest, PathsReachEditorsAndWallpaperToolsAsOperands)
{
    const QString cwd = QDir::currentPath();
    const QString odd = QStringLiteral("/tmp/-rf x.jpg");
    const QString oddUri = QUrl::fromLocalFile(odd).toString(QUrl::FullyEncoded);
    const struct {
        const char *session;
        const char *tool;
        bool editor;
        QString path;
        QStringList expected;
    } rows[] = {
        { "", "feh", false, odd, { QStringLiteral("--bg-fill|--|") + odd + QLatin1Char('|') } },
        { "",
            "feh",
            false,
            QStringLiteral("-x.jpg"),
            { QStringLiteral("--bg-fill|--|") + cwd + QStringLiteral("/-x.jpg|") } },
        { "KDE", "plasma-apply-wallpaperimage", false, odd, { QStringLiteral("--|") + odd + QLatin1Char('|') } },
        { "XFCE",
            "xfconf-query",
            false,
            odd,
            // Nothing listed: the first monitor's first workspace.
            { QStringLiteral("-c|xfce4-desktop|-l|"),
                QStringLiteral("-c|xfce4-desktop|-p|/backdrop/screen0/monitor0/workspace0/last-image|-s|") + odd
                    + QLatin1Char('|') } },
        { "MATE",
            "gsettings",
            false,
            odd,
            { QStringLiteral("set|org.mate.background|picture-filename|") + odd + QLatin1Char('|'),
                QStringLiteral("set|org.mate.background|picture-options|zoom|") } },
        { "X-Cinnamon",
            "gsettings",
            false,
            odd,
            { QStringLiteral("set|org.cinnamon.desktop.background|picture-uri|") + oddUri + QLatin1Char('|'),
                QStringLiteral("set|org.cinnamon.desktop.background|picture-options|zoom|") } },
        { "ubuntu:GNOME",
            "gsettings",
            false,
            odd,
            { QStringLiteral("set|org.gnome.desktop.background|picture-uri|") + oddUri + QLatin1Char('|'),
                QStringLiteral("set|org.gnome.desktop.background|picture-uri-dark|") + oddUri + QLatin1Char('|'),
                QStringLiteral("set|org.gnome.desktop.background|picture-options|zoom|") } },
        { "", "kolourpaint", true, odd, { QStringLiteral("--|") + odd + QLatin1Char('|') } },
        { "", "pinta", true, odd, { QStringLiteral("--|") + odd + QLatin1Char('|') } },
        { "", "gimp", true, QStringLiteral("-x.jpg"), { QStringLiteral("--|") + cwd + QStringLiteral("/-x.jpg|") } },
        { "", "gimp", true, QString(), { QStringLiteral("|") } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.tool) + " in session '" + row.session + "' with " + row.path.toStdString());
        const QString tool = QString::fromLatin1(row.tool);
        QFile::remove(m_bin.filePath(tool + QStringLiteral(".args")));
        writeTool(tool);
        qputenv("XDG_CURRENT_DESKTOP", row.session);
        std::optional<bool> outcome;
        const auto done = [&outcome](bool ok) {
            outcome = ok;
        };
        EXPECT_TRUE(row.editor ? m_desktop->openImageEditor(row.path, done) : m_desktop->setWallpaper(row.path, done));
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value() && runs(tool).size() == row.expected.size(); }));
        EXPECT_TRUE(*outcome);
        EXPECT_EQ(runs(tool), row.expected);
        QFile::remove(m_bin.filePath(tool));
    }
}

TEST_F(SystemDesktopTest, AWallpaperToolThatFailsOrIsMissingReportsFailure)
{
    std::optional<bool> outcome;
    const auto done = [&outcome](bool ok) {
        outcome = ok;
    };
    EXPECT_FALSE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.jpg"), done));
    EXPECT_FALSE(outcome.has_value());
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_FALSE(*outcome);

    writeTool(QStringLiteral("feh"), "exit 3");
    outcome.reset();
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.jpg"), done));
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_FALSE(*outcome);
}

// Xfce's properties are listed first; every monitor's and workspace's picture is then set, in the
// order listed, and the outcome is the first setting's.
TEST_F(SystemDesktopTest, XfceSetsEveryListedPictureInOrder)
{
    writeTool(QStringLiteral("xfconf-query"),
        "if [ \"$3\" = -l ]; then printf '%s\\n' /backdrop/screen0/monitorHDMI-1/workspace0/color-style "
        "/backdrop/screen0/monitorHDMI-1/workspace0/last-image /backdrop/screen0/monitoreDP-1/workspace1/last-image; "
        "fi");
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    std::optional<bool> outcome;
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.bmp"), [&outcome](bool ok) { outcome = ok; }));
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value() && runs(QStringLiteral("xfconf-query")).size() == 3; }));
    EXPECT_TRUE(*outcome);
    EXPECT_EQ(runs(QStringLiteral("xfconf-query")),
        (QStringList { "-c|xfce4-desktop|-l|",
            "-c|xfce4-desktop|-p|/backdrop/screen0/monitorHDMI-1/workspace0/last-image|-s|/tmp/a.bmp|",
            "-c|xfce4-desktop|-p|/backdrop/screen0/monitoreDP-1/workspace1/last-image|-s|/tmp/a.bmp|" }));
}

// The first call's failure is the outcome; the calls after it still run.
TEST_F(SystemDesktopTest, TheOutcomeIsTheFirstCallsAndTheOthersStillRun)
{
    writeTool(QStringLiteral("gsettings"), "[ \"$3\" = picture-uri ] && exit 1; exit 0");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    std::optional<bool> outcome;
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.bmp"), [&outcome](bool ok) { outcome = ok; }));
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value() && runs(QStringLiteral("gsettings")).size() == 3; }));
    EXPECT_FALSE(*outcome);
}

// A listing longer than the layer keeps is cut to whole lines, never to half a property name.
TEST_F(SystemDesktopTest, AnOverlongXfceListingKeepsWholeLines)
{
    writeTool(QStringLiteral("xfconf-query"),
        "if [ \"$3\" = -l ]; then echo /backdrop/screen0/monitorA/workspace0/last-image; "
        "/usr/bin/head -c 400000 /dev/zero | /usr/bin/tr '\\0' x; echo "
        "/backdrop/screen0/monitorB/workspace0/last-image; fi");
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    std::optional<bool> outcome;
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.bmp"), [&outcome](bool ok) { outcome = ok; }));
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(runs(QStringLiteral("xfconf-query")),
        (QStringList { "-c|xfce4-desktop|-l|",
            "-c|xfce4-desktop|-p|/backdrop/screen0/monitorA/workspace0/last-image|-s|/tmp/a.bmp|" }));
}

// A newer change drops the calls an older one has not yet started.
TEST_F(SystemDesktopTest, ANewerWallpaperSupersedesTheRestOfAnOlderOne)
{
    writeTool(QStringLiteral("gsettings"), "[ \"$3\" = picture-uri ] && exec /bin/sleep 0.3; exit 0");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    int reported = 0;
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.bmp"), [&reported](bool) { ++reported; }));
    EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/b.bmp"), [&reported](bool) { ++reported; }));
    // The two first calls run at once and may write their records into one line.
    const auto log = [this] {
        return QString::fromUtf8(readFile(QStringLiteral("gsettings.args")));
    };
    ASSERT_TRUE(waitUntil([&] { return reported == 2 && log().count(QStringLiteral("set|")) >= 4; }));
    waitUntil([] { return false; }, 200);
    const QString all = log();
    EXPECT_EQ(all.count(QStringLiteral("set|")), 4) << qPrintable(all);
    for (const char *call : { "picture-uri|file:///tmp/a.bmp|",
             "picture-uri|file:///tmp/b.bmp|",
             "picture-uri-dark|file:///tmp/b.bmp|",
             "picture-options|zoom|" })
        EXPECT_EQ(all.count(QString::fromLatin1(call)), 1) << call;
}

// Neither a hung listing nor a hung query holds the caller or the event loop.
TEST_F(SystemDesktopTest, HungXfceAndGsettingsToolsNeverBlock)
{
    for (const char *session : { "XFCE", "GNOME" }) {
        SCOPED_TRACE(session);
        const QString tool = QString::fromLatin1(qstrcmp(session, "XFCE") == 0 ? "xfconf-query" : "gsettings");
        writeHungTool(tool);
        qputenv("XDG_CURRENT_DESKTOP", session);
        bool reported = false;
        std::optional<QString> answer;
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(m_desktop->setWallpaper(QStringLiteral("/tmp/a.jpg"), [&reported](bool) { reported = true; }));
        EXPECT_TRUE(m_desktop->currentWallpaper([&answer](const QString &path) { answer = path; }));
        EXPECT_LT(clock.elapsed(), 500);
        const qint64 fired = msUntilATimerFires();
        EXPECT_GE(fired, 0);
        EXPECT_LT(fired, 50);
        EXPECT_FALSE(reported);
        EXPECT_FALSE(answer.has_value());
        m_desktop = common::platform::createSystemDesktop();
        waitUntil([] { return false; }, 20);
        EXPECT_FALSE(reported) << "no outcome after the desktop object is gone";
        EXPECT_FALSE(answer.has_value());
        QFile::remove(m_bin.filePath(tool));
    }
}

// Each desktop is asked in its own way; its answer becomes a local path.
TEST_F(SystemDesktopTest, CurrentWallpaperFromEachDesktop)
{
    const QString plasmaFile = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/plasma-org.kde.plasma.desktop-appletsrc");
    const QString fehbg = QDir::homePath() + QStringLiteral("/.fehbg");
    const struct {
        const char *session;
        const char *tool; // nullptr: a file is read
        QByteArray script; // the tool's script, or the file's text
        QString expected;
        QStringList expectedRuns;
    } rows[] = {
        { "ubuntu:GNOME",
            "gsettings",
            "echo \"'file:///home/u/my%20pics/sea.jpg'\"",
            QStringLiteral("/home/u/my pics/sea.jpg"),
            { QStringLiteral("get|org.gnome.desktop.background|picture-uri|") } },
        { "X-Cinnamon",
            "gsettings",
            "echo \"'file:///a.png'\"",
            QStringLiteral("/a.png"),
            { QStringLiteral("get|org.cinnamon.desktop.background|picture-uri|") } },
        { "MATE",
            "gsettings",
            "echo \"'/usr/share/backgrounds/mate.jpg'\"",
            QStringLiteral("/usr/share/backgrounds/mate.jpg"),
            { QStringLiteral("get|org.mate.background|picture-filename|") } },
        { "GNOME",
            "gsettings",
            "exit 1",
            QString(),
            { QStringLiteral("get|org.gnome.desktop.background|picture-uri|") } },
        { "XFCE",
            "xfconf-query",
            "if [ \"$3\" = -l ]; then printf '%s\\n' /backdrop/screen0/monitorDP-2/workspace0/color-style "
            "/backdrop/screen0/monitorDP-2/workspace0/last-image /backdrop/screen0/monitorDP-2/workspace1/last-image; "
            "else echo /usr/share/xfce.png; fi",
            QStringLiteral("/usr/share/xfce.png"),
            { QStringLiteral("-c|xfce4-desktop|-l|"),
                QStringLiteral("-c|xfce4-desktop|-p|/backdrop/screen0/monitorDP-2/workspace0/last-image|") } },
        { "KDE",
            nullptr,
            "[Containments][1][Wallpaper][org.kde.image][General]\nImage=file:///home/u/kde%20sky.jpg\n",
            QStringLiteral("/home/u/kde sky.jpg"),
            {} },
        { "",
            nullptr,
            "#!/bin/sh\nfeh --no-fehbg --bg-fill '/home/u/it'\\''s.jpg' \n",
            QStringLiteral("/home/u/it's.jpg"),
            {} },
        { "sway", nullptr, "", QString(), {} },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.session);
        qputenv("XDG_CURRENT_DESKTOP", row.session);
        const QString tool = row.tool ? QString::fromLatin1(row.tool) : QString();
        const QString file = qstrcmp(row.session, "KDE") == 0 ? plasmaFile : fehbg;
        if (row.tool) {
            QFile::remove(m_bin.filePath(tool + QStringLiteral(".args")));
            writeTool(tool, row.script);
        } else if (!row.script.isEmpty()) {
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(row.script);
        }
        std::optional<QString> answer;
        EXPECT_TRUE(m_desktop->currentWallpaper([&answer](const QString &path) { answer = path; }));
        EXPECT_FALSE(answer.has_value()) << "answered from the event loop, not inside the call";
        ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
        EXPECT_EQ(*answer, row.expected);
        if (row.tool) {
            EXPECT_EQ(runs(tool), row.expectedRuns);
            QFile::remove(m_bin.filePath(tool));
        } else {
            QFile::remove(file);
        }
    }
    // Without the tool the answer is "".
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    std::optional<QString> answer;
    m_desktop->currentWallpaper([&answer](const QString &path) { answer = path; });
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, QString());
}

TEST_F(SystemDesktopTest, WithoutAFileManagerTheFolderOpensAndThePropertiesSheetIsRefused)
{
    if (QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "a session bus runs here; its file manager is not ours to start";
    writeTool(QStringLiteral("xdg-open"));
    std::optional<bool> shown;
    std::optional<bool> properties;
    EXPECT_TRUE(m_desktop->showInFileManager(QStringLiteral("/tmp/some dir/a.jpg"), [&shown](bool ok) { shown = ok; }));
    EXPECT_FALSE(m_desktop->showFileProperties(
        QStringLiteral("/tmp/some dir/a.jpg"), [&properties](bool ok) { properties = ok; }));
    ASSERT_TRUE(waitUntil(
        [&] { return shown.has_value() && properties.has_value() && !runs(QStringLiteral("xdg-open")).isEmpty(); }));
    EXPECT_TRUE(*shown);
    EXPECT_FALSE(*properties);
    EXPECT_EQ(runs(QStringLiteral("xdg-open")), QStringList { QStringLiteral("file:///tmp/some%20dir|") });
}

}
