#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "installer/browser_launch.h"

namespace {

TEST(StripLaunchQuotesTest, DropsOneSurroundingPair) {
  EXPECT_EQ(StripLaunchQuotes(L"\"C:\\b\\browser.exe\""), L"C:\\b\\browser.exe");
  EXPECT_EQ(StripLaunchQuotes(L"C:\\b\\browser.exe"), L"C:\\b\\browser.exe");
  // The last character goes whatever it is, as the stored form is "quoted path".
  EXPECT_EQ(StripLaunchQuotes(L"\"C:\\b\\browser.exe\" --flag"), L"C:\\b\\browser.exe\" --fla");
}

TEST(StripLaunchQuotesTest, TooShortToStripBecomesEmpty) {
  EXPECT_EQ(StripLaunchQuotes(L"\""), L"");
  EXPECT_EQ(StripLaunchQuotes(L"\"\""), L"");
  EXPECT_EQ(StripLaunchQuotes(L""), L"");
}

TEST(TermsPageTest, AddressCarriesLanguageAndRegionUnescaped) {
  EXPECT_EQ(TermsPageAddress(L"en", L"US"),
            L"http://www.orbavintel.example/orbavintel/terms/pc/?l=en&r=US");
  EXPECT_EQ(TermsPageAddress(L"zh", L""),
            L"http://www.orbavintel.example/orbavintel/terms/pc/?l=zh&r=");
}

TEST(TermsPageTest, UiLanguageOfThisSession) {
  std::wstring language = L"unchanged";
  std::wstring region = L"unchanged";
  ASSERT_TRUE(GetUiLanguage(language, region));
  // The unit tests run with Wine's default English (United States) interface.
  const LANGID id = ::GetUserDefaultUILanguage();
  if (id == 0x0409) {
    EXPECT_EQ(language, L"en");
    EXPECT_EQ(region, L"US");
  } else {
    EXPECT_FALSE(language.empty());
  }
}

}  // namespace
