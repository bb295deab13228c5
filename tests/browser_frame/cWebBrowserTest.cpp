#include "browser/frame/cWebBrowser.h"

#include <gtest/gtest.h>

namespace {

using browser::frame::cWebBrowser;
using browser::frame::PageContentSettings;

TEST(cWebBrowser, TheFlagRuleGivesItsValues)
{
    struct Case {
        const char *name;
        void (*change)(cWebBrowser &);
        int flags;
    };
    const Case cases[] = {
        { "all allowed", [](cWebBrowser &) {}, 112 },
        { "no scripts", [](cWebBrowser &b) { b.setDL_Script(false); }, 240 },
        { "no ActiveX downloads", [](cWebBrowser &b) { b.setDl_DlActiveX(false); }, 1136 },
        { "all refused", [](cWebBrowser &b) { b.Dl_EnableAll(false); }, 1920 },
        { "all allowed again",
            [](cWebBrowser &b) {
                b.Dl_EnableAll(false);
                b.Dl_EnableAll(true);
            },
            112 },
        { "no images", [](cWebBrowser &b) { b.setDL_Image(false); }, 112 - 0x10 },
        { "no sounds", [](cWebBrowser &b) { b.setDL_BgSound(false); }, 112 - 0x40 },
        { "no videos", [](cWebBrowser &b) { b.setDL_Video(false); }, 112 - 0x20 },
        { "no ActiveX", [](cWebBrowser &b) { b.setDL_ActiveX(false); }, 112 | 0x200 },
        { "no Java", [](cWebBrowser &b) { b.setDL_JavaApplet(false); }, 112 | 0x100 },
        { "batch",
            [](cWebBrowser &b) { b.Dl_BatchSet(true, false, true, false, true, true, false); },
            1136 - 0x20 + 0x80 },
    };
    for (const Case &c : cases) {
        cWebBrowser host;
        c.change(host);
        EXPECT_EQ(host.DownloadCtrlEX(), c.flags) << c.name;
    }
    EXPECT_EQ(cWebBrowser::flagRule(false, false, false, false, false, false, false), 1920);
}

TEST(cWebBrowser, FlagsMapToThePageSettings)
{
    struct Case {
        int flags;
        PageContentSettings settings;
    };
    const Case cases[] = {
        { 112, { true, true, true, false, false, false } },
        { 240, { true, false, true, false, false, false } },
        { 1920, { false, false, false, true, true, true } },
        { 112 | 0x100, { true, true, false, false, false, true } },
        { 0x10 | 0x40, { true, true, true, true, false, false } },
    };
    for (const Case &c : cases)
        EXPECT_EQ(browser::frame::pageContentSettings(c.flags), c.settings) << c.flags;
    EXPECT_TRUE(browser::frame::pageContentSettings(0x10 | 0x20).blockMedia());
    EXPECT_FALSE(browser::frame::pageContentSettings(112).blockMedia());
}

TEST(cWebBrowser, ChangesAreStoredButNotSentBeforeTheAttach)
{
    struct Sent {
        PageContentSettings settings;
        bool refresh;
    };
    std::vector<Sent> sent;
    cWebBrowser host;
    host.setDL_Script(false);
    host.setDownloadCtrlEX(host.DownloadCtrlEX());
    EXPECT_EQ(host.DownloadCtrlEX(), 240);
    EXPECT_FALSE(host.isAttached());

    host.INIAll([&](const PageContentSettings &settings, bool refresh) { sent.push_back({ settings, refresh }); });
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(sent[0].settings.javascriptEnabled);
    EXPECT_FALSE(sent[0].refresh);

    host.setDL_Image(false); // a switch: sent and reloaded
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_FALSE(sent[1].settings.autoLoadImages);
    EXPECT_TRUE(sent[1].refresh);

    host.setDownloadCtrlEX(112); // the value itself: sent, not reloaded
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(sent[2].settings.javascriptEnabled);
    EXPECT_FALSE(sent[2].refresh);

    EXPECT_FALSE(host.pvReleaseWBControl());
    host.Dl_EnableAll(false);
    EXPECT_EQ(sent.size(), 3u);
    EXPECT_EQ(host.DownloadCtrlEX(), 1920);
}

}
