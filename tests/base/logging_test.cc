#include "base/win/logging.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(LoggingTest, LineHasTheFixedPrefixAndTheFileNameOnly) {
  SYSTEMTIME time = {};
  time.wMonth = 3;
  time.wDay = 7;
  time.wHour = 9;
  time.wMinute = 5;
  time.wSecond = 4;
  time.wMilliseconds = 42;
  EXPECT_EQ(logging::FormatLogLine(time, "C:\\src\\base\\process\\launch_win.cc", 120,
                                   logging::kLogFatal, ": Access is denied. (0x5)"),
            "[0307/090504.042:FATAL:launch_win.cc(120)] : Access is denied. (0x5)\n");
  EXPECT_EQ(logging::FormatLogLine(time, "/home/x/logging.cc", 1, logging::kLogInfo, "hi"),
            "[0307/090504.042:INFO:logging.cc(1)] hi\n");
}

TEST(LoggingTest, SeverityNames) {
  EXPECT_EQ(logging::SeverityName(0), "INFO");
  EXPECT_EQ(logging::SeverityName(1), "WARNING");
  EXPECT_EQ(logging::SeverityName(2), "ERROR");
  EXPECT_EQ(logging::SeverityName(3), "FATAL");
  EXPECT_EQ(logging::SeverityName(-2), "VERBOSE2");
  EXPECT_EQ(logging::SeverityName(4), "UNKNOWN");
}

TEST(LoggingTest, ErrorDescriptionIsOneLineWithTheNumber) {
  const std::string text = logging::SystemErrorDescription(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_NE(text.front(), ' ');
  ASSERT_GE(text.size(), 6u);
  EXPECT_EQ(text.substr(text.size() - 6), " (0x2)");
}

TEST(LoggingTest, UnknownErrorNamesTheLookUpFailureAndTheNumber) {
  const std::string text = logging::SystemErrorDescription(0x2BADBEEF);
  EXPECT_TRUE(std::regex_match(
      text, std::regex(R"(Error \(0x[0-9A-F]+\) while retrieving error\. \(0x2BADBEEF\))")))
      << text;
}

TEST(LoggingTest, LoggingWithAnErrorKeepsTheLastError) {
  logging::LogSettings settings;
  settings.destinations = logging::kLogToSystemDebugLog;
  ASSERT_TRUE(logging::InitLogging(settings));
  ::SetLastError(ERROR_ACCESS_DENIED);
  LOG_LAST_ERROR(logging::kLogWarning, "test line");
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
