#include "base/win/launch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/win/text_conversion.h"

namespace {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// A copy of the stand-in package in a folder whose name has a space, recording into a
// file of its own.
class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"launch test " + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    program = folder + L"\\stand in package.exe";
    record = folder + L"\\record.json";
    ASSERT_TRUE(
        ::CopyFileW((ProgramFolder() + L"stand_in_package.exe").c_str(), program.c_str(), FALSE));
    ::SetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_RECORD", record.c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_RECORD", nullptr);
    ::DeleteFileW(program.c_str());
    ::DeleteFileW(record.c_str());
    ::RemoveDirectoryW(folder.c_str());
  }

  std::string ReadRecord() const {
    std::ifstream in(WideToUtf8(record), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::wstring folder;
  std::wstring program;
  std::wstring record;
};

std::string JsonField(const std::string& text, const std::string& field) {
  const std::string key = "\"" + field + "\": ";
  const size_t start = text.find(key);
  if (start == std::string::npos)
    return std::string();
  const size_t valueStart = start + key.size();
  if (text[valueStart] != '"')
    return text.substr(valueStart, text.find_first_of(",}", valueStart) - valueStart);
  std::string value;
  for (size_t i = valueStart + 1; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] == '\\')
      ++i;
    value += text[i];
  }
  return value;
}

TEST_F(LaunchTest, PathWithSpacesStartsWithTheQuotedPathAsItsOnlyElement) {
  LaunchSettings settings;
  settings.wait = true;
  ProcessHandle process = StartProcess(CommandLineArgs::FromProgram(program), settings);
  ASSERT_TRUE(process.IsValid());
  DWORD exitCode = 1;
  ASSERT_TRUE(::GetExitCodeProcess(process.get(), &exitCode));
  EXPECT_EQ(exitCode, 0u);

  const std::string line = ReadRecord();
  // Built with append: GCC 12 warns falsely (-Wrestrict) on a literal plus a string here.
  std::string quotedProgram = "\"";
  quotedProgram.append(WideToUtf8(program)).append("\"");
  EXPECT_EQ(JsonField(line, "command_line"), quotedProgram);
  wchar_t ours[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, ours);
  EXPECT_EQ(JsonField(line, "cwd"), WideToUtf8(ours));
}

// A program started by its path gets the command text as written, even one whose first
// element is an unquoted path with spaces; no text gives it a command line naming it.
TEST_F(LaunchTest, ProgramAtPathGetsItsCommandTextVerbatim) {
  LaunchSettings settings;
  settings.wait = true;
  settings.showAsProgramChooses = true;
  const std::wstring verbatim = program + L" --make-chrome-default";
  ASSERT_TRUE(StartProgramAt(program, verbatim, settings).IsValid());
  EXPECT_EQ(JsonField(ReadRecord(), "command_line"), WideToUtf8(verbatim));

  ::DeleteFileW(record.c_str());
  ASSERT_TRUE(StartProgramAt(program, std::wstring(), settings).IsValid());
  EXPECT_NE(JsonField(ReadRecord(), "command_line").find(WideToUtf8(program)), std::string::npos);
}

TEST_F(LaunchTest, DefaultSettingsReturnAtOnceWithTheProcessRunning) {
  ::SetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_EXIT_CODE", L"7");
  ProcessHandle process = StartProcess(CommandLineArgs::FromProgram(program), LaunchSettings());
  ::SetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_EXIT_CODE", nullptr);
  ASSERT_TRUE(process.IsValid());
  ASSERT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.get(), &exitCode);
  // The child saw our environment.
  EXPECT_EQ(exitCode, 7u);
}

TEST_F(LaunchTest, WorkingDirectoryAndJobAreApplied) {
  UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
  ASSERT_TRUE(job.IsValid());
  LaunchSettings settings;
  settings.wait = true;
  settings.job = job.get();
  settings.currentDirectory = folder;
  ProcessHandle process = StartProcess(CommandLineArgs::FromProgram(program), settings);
  ASSERT_TRUE(process.IsValid());
  BOOL inJob = FALSE;
  ASSERT_TRUE(::IsProcessInJob(process.get(), job.get(), &inJob));
  EXPECT_TRUE(inJob);
  EXPECT_EQ(JsonField(ReadRecord(), "cwd"), WideToUtf8(folder));
}

TEST_F(LaunchTest, ListedHandlesAreInheritedThroughTheAttributeList) {
  SECURITY_ATTRIBUTES noInherit = {sizeof(noInherit), nullptr, FALSE};
  UniqueHandle event(::CreateEventW(&noInherit, TRUE, FALSE, nullptr));
  LaunchSettings settings;
  settings.wait = true;
  settings.handlesToInherit = {event.get()};
  ProcessHandle process = StartProcess(CommandLineArgs::FromProgram(program), settings);
  ASSERT_TRUE(process.IsValid());
  DWORD flags = 0;
  ASSERT_TRUE(::GetHandleInformation(event.get(), &flags));
  EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);
}

// The child is told the value of an inheritable, signalled event of ours; only a launch that
// passes every inheritable handle lets it find that event there.
TEST_F(LaunchTest, DefaultLaunchInheritsNoHandle) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  UniqueHandle event(::CreateEventW(&inheritable, TRUE, TRUE, nullptr));
  ASSERT_TRUE(event.IsValid());
  const std::wstring value = std::to_wstring(reinterpret_cast<uintptr_t>(event.get()));
  ::SetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_PROBE_HANDLE", value.c_str());
  for (const auto mode : {LaunchSettings::kInheritListed, LaunchSettings::kInheritAll}) {
    LaunchSettings settings;
    settings.wait = true;
    settings.inheritMode = mode;
    ::DeleteFileW(record.c_str());
    ASSERT_TRUE(StartProcess(CommandLineArgs::FromProgram(program), settings).IsValid());
    EXPECT_EQ(JsonField(ReadRecord(), "probed_handle_signalled"),
              mode == LaunchSettings::kInheritAll ? "true" : "false");
  }
  ::SetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_PROBE_HANDLE", nullptr);
}

TEST_F(LaunchTest, MissingProgramGivesAnInvalidHandle) {
  const auto missing = CommandLineArgs::FromProgram(folder + L"\\missing.exe");
  EXPECT_FALSE(StartProcess(missing, LaunchSettings()).IsValid());
  EXPECT_FALSE(StartProcessElevated(missing, LaunchSettings()).IsValid());
}

TEST_F(LaunchTest, ElevatedStartRunsTheProgramThroughTheShell) {
  LaunchSettings settings;
  settings.wait = true;
  ProcessHandle process = StartProcessElevated(CommandLineArgs::FromProgram(program), settings);
  ASSERT_TRUE(process.IsValid());
  // Wine has no consent prompt: "runas" starts the program with a full token.
  EXPECT_EQ(JsonField(ReadRecord(), "elevated"), "true");
}

}  // namespace
