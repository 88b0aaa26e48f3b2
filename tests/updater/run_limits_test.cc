#include <gtest/gtest.h>

#include <string>

#include "base/win/command_line.h"
#include "updater/run_limits.h"

namespace {

TEST(RunLimitsTest, SwitchesTightenThemOnlyWithPositiveNumbers) {
  const RunLimits defaults = GetRunLimits(CommandLineArgs::FromString(L"p"));
  EXPECT_EQ(defaults.checkMs, 120000u);
  EXPECT_EQ(defaults.lowSpeedWindowMs, 60000u);
  EXPECT_EQ(defaults.maxPackageBytes, uint64_t{ORBAVINTEL_MAX_PACKAGE_BYTES});
  const RunLimits shortened = GetRunLimits(CommandLineArgs::FromString(
      L"p --check-deadline-ms=1500 --low-speed-window-ms=1 --max-package-bytes=4096"));
  EXPECT_EQ(shortened.checkMs, 1500u);
  EXPECT_EQ(shortened.lowSpeedWindowMs, 1u);
  EXPECT_EQ(shortened.maxPackageBytes, 4096u);
  for (const wchar_t* bad : {L"0", L"-1", L"1s", L" 5", L"4294967296", L"0x10"}) {
    const RunLimits kept =
        GetRunLimits(CommandLineArgs::FromString(std::wstring(L"p --low-speed-window-ms=") + bad));
    EXPECT_EQ(kept.lowSpeedWindowMs, 60000u) << bad;
  }
  // The package limit can only be lowered.
  const RunLimits raised = GetRunLimits(CommandLineArgs::FromString(
      L"p --max-package-bytes=" + std::to_wstring(ORBAVINTEL_MAX_PACKAGE_BYTES + 1)));
  EXPECT_EQ(raised.maxPackageBytes, uint64_t{ORBAVINTEL_MAX_PACKAGE_BYTES});
}

}  // namespace
