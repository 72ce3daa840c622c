#include "pages/default_browser.h"

#include <gtest/gtest.h>

TEST(DefaultBrowser, ProgIdsMapToBrowserNamesFirstHitWins)
{
    EXPECT_EQ(browser_name_from_prog_id(L"ChromeHTML"), L"Google Chrome");
    EXPECT_EQ(browser_name_from_prog_id(L"MSEdgeHTM"), L"Microsoft Edge");
    EXPECT_EQ(browser_name_from_prog_id(L"FirefoxURL-308046B0AF4A39CB"), L"Mozilla Firefox");
    EXPECT_EQ(browser_name_from_prog_id(L"IE.HTTPS"), L"Internet Explorer");
    EXPECT_EQ(browser_name_from_prog_id(L"WhaleHTML"), L"Naver Whale");
    EXPECT_EQ(browser_name_from_prog_id(L"OperaStable"), L"OperaStable");
    EXPECT_EQ(browser_name_from_prog_id(L""), L"");
    // The substring test is case-sensitive.
    EXPECT_EQ(browser_name_from_prog_id(L"chromehtml"), L"chromehtml");
}

TEST(DefaultBrowser, ButtonPictureFollowsTheNameWithEdgeForTheRest)
{
    EXPECT_EQ(browser_image_id(L"Google Chrome"), 174);
    EXPECT_EQ(browser_image_id(L"Microsoft Edge"), 175);
    EXPECT_EQ(browser_image_id(L"Mozilla Firefox"), 176);
    EXPECT_EQ(browser_image_id(L"SAFARI"), 178);
    EXPECT_EQ(browser_image_id(L"OperaStable"), 175);
    EXPECT_EQ(browser_image_id(L""), 175);
    EXPECT_EQ(browser_image_id(L"chromehtml"), 174);
}

TEST(DefaultBrowser, AddressesCarryTheSchemeHostPortAndPath)
{
    EXPECT_EQ(help_http_address(L"www.vantu.co.kr", L"/download/checklist.json"),
              L"http://www.vantu.co.kr:80/download/checklist.json");
    EXPECT_EQ(help_https_address(L"www.vantu.co.kr", L"/download/checklist.json"),
              L"https://www.vantu.co.kr:443/download/checklist.json");
}
