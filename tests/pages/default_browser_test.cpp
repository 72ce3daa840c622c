#include "pages/default_browser.h"

#include <gtest/gtest.h>

TEST(DefaultBrowser, KnownProgIdsNameTheirBrowserAndPicture)
{
    struct Case {
        const wchar_t* prog_id;
        const wchar_t* name;
        int image;
    } cases[] = {
        {L"ChromeHTML", L"Google Chrome", kBrowserImageChrome},
        {L"MSEdgeHTM", L"Microsoft Edge", kBrowserImageEdge},
        {L"FirefoxURL-308046B0AF4A39CB", L"Mozilla Firefox", kBrowserImageFirefox},
        {L"IE.HTTP", L"Internet Explorer", kBrowserImageEdge},
        {L"IE.HTTPS", L"Internet Explorer", kBrowserImageEdge},
        {L"WhaleHTML", L"Naver Whale", kBrowserImageEdge},
        // Safari has no name of its own: its ProgId is its name, found in any case.
        {L"SafariURL", L"SafariURL", kBrowserImageSafari},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ProgId " << testing::PrintToString(std::wstring(c.prog_id)));
        const std::wstring name = browser_name_from_prog_id(c.prog_id);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(browser_image_id(name), c.image);
    }
    EXPECT_EQ(kBrowserImageChrome, 174);
    EXPECT_EQ(kBrowserImageEdge, 175);
    EXPECT_EQ(kBrowserImageFirefox, 176);
    EXPECT_EQ(kBrowserImageSafari, 178);
}

TEST(DefaultBrowser, FirstMatchWinsAndTheNameTestIsCaseSensitive)
{
    // "Chrome" comes before "Edge" in the name rules.
    EXPECT_EQ(browser_name_from_prog_id(L"EdgeChromeHybrid"), L"Google Chrome");
    // Lower-case "chrome" names nothing, but the picture test ignores case.
    EXPECT_EQ(browser_name_from_prog_id(L"chromiumhtml"), L"chromiumhtml");
    EXPECT_EQ(browser_image_id(browser_name_from_prog_id(L"mychromehtm")), kBrowserImageChrome);
    // Picture order: chrome before safari before firefox.
    EXPECT_EQ(browser_image_id(L"FIREFOX safari"), kBrowserImageSafari);
    EXPECT_EQ(browser_image_id(L"Firefox Chrome"), kBrowserImageChrome);
}

TEST(DefaultBrowser, UnknownOrMissingBrowsersShowEdgesPicture)
{
    EXPECT_EQ(browser_name_from_prog_id(L"OperaStable"), L"OperaStable");
    EXPECT_EQ(browser_image_id(L"OperaStable"), kBrowserImageEdge);
    EXPECT_EQ(browser_name_from_prog_id(L""), L"");
    EXPECT_EQ(browser_image_id(L""), kBrowserImageEdge);
    // "IE.HTTP" is matched as a whole, "Whale" only with "HTM".
    EXPECT_EQ(browser_name_from_prog_id(L"IE.FTP"), L"IE.FTP");
    EXPECT_EQ(browser_name_from_prog_id(L"WhaleURL"), L"WhaleURL");
}

TEST(DefaultBrowser, AddressesJoinSchemeHostPortAndPath)
{
    EXPECT_EQ(help_http_address(L"127.0.0.1", L"/download/checklist.json"),
              L"http://127.0.0.1:80/download/checklist.json");
    EXPECT_EQ(help_https_address(L"127.0.0.1", L"/download/checklist.json"),
              L"https://127.0.0.1:443/download/checklist.json");
    EXPECT_EQ(help_https_address(L"웹.예시", L"/a b"), L"https://웹.예시:443/a b");
    EXPECT_EQ(help_http_address(L"", L""), L"http://:80");
}
