#include "installer/installer_switches.h"

#include <gtest/gtest.h>

namespace {

bool Same(const InstallerSwitches& a, const InstallerSwitches& b) {
  return a.silent == b.silent && a.autoLaunch == b.autoLaunch && a.makeDefault == b.makeDefault;
}

TEST(InstallerSwitchesTest, ThreeSwitchesInAnyOrderAndRepeated) {
  EXPECT_TRUE(Same(ParseInstallerSwitches("/s /r /d"), {true, true, true}));
  EXPECT_TRUE(Same(ParseInstallerSwitches("\t/d  /d\r\n/s "), {true, false, true}));
  EXPECT_TRUE(Same(ParseInstallerSwitches(""), {}));
}

TEST(InstallerSwitchesTest, OtherSpellingsAreIgnoredWords) {
  for (const char* line : {"/S", "-s", "/silent", "/s/r", "s", "/", "//s", "/R /D", "\"/s\""})
    EXPECT_TRUE(Same(ParseInstallerSwitches(line), {})) << line;
  EXPECT_TRUE(Same(ParseInstallerSwitches("/x /r foo"), {false, true, false}));
}

}  // namespace
