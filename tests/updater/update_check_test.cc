#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/win/scoped_handle.h"
#include "updater/browser_updater.h"
#include "updater/file_digest.h"
#include "updater/random_index.h"

namespace {

using Reports = std::vector<std::pair<uint32_t, uint32_t>>;
Reports g_reports;

void RecordReport(uint32_t state, uint32_t param) {
  g_reports.emplace_back(state, param);
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { g_reports.clear(); }
};

// Builds the answer of a server offering |version| with the given lists.
std::string Answer(const std::string& version,
                   const std::string& defaults,
                   const std::string& backups) {
  return "{\"version\": \"" + version + "\", \"hash\": \"" + std::string(64, 'a') +
         "\", \"run_admin\": false, \"default\": [" + defaults + "], \"backup\": [" + backups +
         "],}";
}

TEST_F(UpdateCheckTest, NoUpdateWhenTheOfferIsNotNewer) {
  for (const char* answer : {R"({"version": "2.0"})", R"({"version": "1.9.9"})", R"({"other": 1})",
                             R"({"version": "abc"})", R"({"version": 5, "hash": 1})"}) {
    g_reports.clear();
    BrowserUpdater updater("2.0.0.0", "", "", "", "");
    updater.BeginCheckForTesting();
    updater.SetStateCallback(RecordReport);
    EXPECT_TRUE(updater.ParseUpdateResponse(answer)) << answer;
    EXPECT_EQ(g_reports, (Reports{{kCheckDone, 0}})) << answer;
    EXPECT_EQ(updater.GetState(), kCheckDone);
  }
}

TEST_F(UpdateCheckTest, NewerOfferNeedsHashAndElevationFlag) {
  BrowserUpdater updater("2.0", "", "", "", "");
  updater.BeginCheckForTesting();
  updater.SetStateCallback(RecordReport);
  EXPECT_FALSE(updater.ParseUpdateResponse(
      R"({"version": "2.0.0.1", "run_admin": true, "default": ["http://a/x"]})"));
  EXPECT_FALSE(updater.ParseUpdateResponse(
      R"({"version": "2.0.0.1", "hash": "ab", "default": ["http://a/x"]})"));
  EXPECT_FALSE(updater.ParseUpdateResponse(
      R"({"version": "2.0.0.1", "hash": "ab", "run_admin": "yes", "default": ["http://a/x"]})"));
  EXPECT_TRUE(g_reports.empty());
}

TEST_F(UpdateCheckTest, MalformedAnswersFail) {
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.BeginCheckForTesting();
  for (const char* answer : {"", "[1, 2]", "\"text\"", "{\"version\": ", "{} extra", "nul"})
    EXPECT_FALSE(updater.ParseUpdateResponse(answer)) << answer;
}

TEST_F(UpdateCheckTest, NewerOfferWithoutAnyUrlFails) {
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.BeginCheckForTesting();
  EXPECT_FALSE(updater.ParseUpdateResponse(Answer("2.0", "", "")));
  EXPECT_FALSE(updater.ParseUpdateResponse(Answer("2.0", "1, null", "")));
}

TEST_F(UpdateCheckTest, BackupServesWhenDefaultIsEmpty) {
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.BeginCheckForTesting();
  updater.SetStateCallback(RecordReport);
  ASSERT_TRUE(updater.ParseUpdateResponse(Answer("1.0.1", "", "\"http://backup/p.exe\"")));
  EXPECT_EQ(g_reports, (Reports{{kCheckDone, 1}}));
  EXPECT_EQ(updater.GetCurrentUrl(), "http://backup/p.exe");
  EXPECT_FALSE(updater.PickNextUrl());
}

TEST_F(UpdateCheckTest, EveryUrlIsTriedOnceDefaultsFirst) {
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.BeginCheckForTesting();
  ASSERT_TRUE(updater.ParseUpdateResponse(
      Answer("2.0", "\"http://d1/\", \"http://d2/\"", "\"http://b1/\", \"http://b2/\"")));
  std::vector<std::string> tried = {updater.GetCurrentUrl()};
  while (updater.PickNextUrl())
    tried.push_back(updater.GetCurrentUrl());
  ASSERT_EQ(tried.size(), 4u);
  EXPECT_EQ(std::set<std::string>(tried.begin(), tried.begin() + 2),
            (std::set<std::string>{"http://d1/", "http://d2/"}));
  EXPECT_EQ(std::set<std::string>(tried.begin() + 2, tried.end()),
            (std::set<std::string>{"http://b1/", "http://b2/"}));
}

TEST_F(UpdateCheckTest, FirstChoiceIsRandom) {
  std::set<std::string> firstChoices;
  for (int run = 0; run < 64 && firstChoices.size() < 2; ++run) {
    BrowserUpdater updater("1.0", "", "", "", "");
    updater.BeginCheckForTesting();
    ASSERT_TRUE(updater.ParseUpdateResponse(Answer("2.0", "\"http://d1/\", \"http://d2/\"", "")));
    firstChoices.insert(updater.GetCurrentUrl());
  }
  EXPECT_EQ(firstChoices.size(), 2u);
}

TEST_F(UpdateCheckTest, ClientsOfTheNewestVersionAreUpToDateAfterTheAnswer) {
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.BeginCheckForTesting();
  ASSERT_TRUE(updater.ParseUpdateResponse(Answer("3.1", "\"http://d/\"", "")));
  EXPECT_TRUE(updater.IsClientUpToDate(Version("3.1.0.0")));
  EXPECT_TRUE(updater.IsClientUpToDate(Version("3.2")));
  EXPECT_FALSE(updater.IsClientUpToDate(Version("3.0.255.255")));
}

TEST_F(UpdateCheckTest, CheckThatCannotStartEndsTheRun) {
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.SetStateCallback(RecordReport);
  updater.SetCheckUrl("not a url");
  updater.CheckForUpdate();
  EXPECT_EQ(g_reports, (Reports{{kFailed, 0}}));
}

// Each entry is tried once whatever its text, duplicates and empty ones included, so a list of
// unusable URLs ends the run after as many attempts as it has entries.
TEST_F(UpdateCheckTest, DownloadThatCannotStartMovesToTheNextUrl) {
  const struct {
    const char* defaults;
    const char* backups;
    size_t entries;
  } kLists[] = {{"\"nonsense\"", "\"also nonsense\"", 2},
                {"\"\"", "", 1},
                {"\"\", \"\"", "\"\", \"x\", \"x\"", 5}};
  for (const auto& lists : kLists) {
    BrowserUpdater updater("1.0", "", "", "", "");
    updater.BeginCheckForTesting();
    updater.SetStateCallback(RecordReport);
    ASSERT_TRUE(updater.ParseUpdateResponse(Answer("2.0", lists.defaults, lists.backups)));
    g_reports.clear();
    Reports expected(lists.entries - 1, {kRetryDownload, 0});
    expected.emplace_back(kFailed, 0);
    for (size_t attempt = 0; attempt < lists.entries + 2 && updater.GetState() != kFailed;
         ++attempt) {
      updater.DownloadPackage();
    }
    EXPECT_EQ(g_reports, expected) << lists.defaults << " / " << lists.backups;
  }
}

// A temporary folder of the test's own, made the process's TMP while it lives.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    ::GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
    path = std::wstring(base) + L"launch_test_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(path.c_str(), nullptr);
    ::SetEnvironmentVariableW(L"TMP", path.c_str());
  }
  ~PrivateTempFolder() {
    ::SetEnvironmentVariableW(L"TMP", savedTmp[0] ? savedTmp : nullptr);
    ::DeleteFileW(File().c_str());
    ::RemoveDirectoryW(path.c_str());
  }
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  std::wstring File() const { return path + L"orbavintel_browser_update.exe"; }
  void Write(const std::string& bytes) const {
    const UniqueHandle file(::CreateFileW(File().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid());
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ASSERT_EQ(written, bytes.size());
  }

 private:
  std::wstring path;
  wchar_t savedTmp[MAX_PATH] = {};
};

// What another process could do to the package file at the last moment before the start.
struct Tampering {
  std::wstring path;
  bool writable = false;
  bool deletable = false;
  bool renamable = false;
};
Tampering g_tampering;

// The pending-stop check runs after the verification, just before the start: the moment a
// swap would pay off.
bool TamperBeforeTheStart() {
  const std::wstring& path = g_tampering.path;
  g_tampering.writable =
      UniqueHandle(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr))
          .IsValid();
  g_tampering.renamable = ::MoveFileW(path.c_str(), (path + L".moved").c_str()) != FALSE;
  if (g_tampering.renamable)
    ::MoveFileW((path + L".moved").c_str(), path.c_str());
  g_tampering.deletable = ::DeleteFileW(path.c_str()) != FALSE;
  return false;
}

// The file that was verified is the file that runs: a package replaced between its download
// and its start is verified again and refused, and from the verification to the start nobody
// can write, rename or delete it.
TEST_F(UpdateCheckTest, PackageReplacedBeforeTheLaunchIsNeverStarted) {
  PrivateTempFolder temp;
  for (const bool replaced : {true, false}) {
    temp.Write("the genuine package");
    std::string digest;
    ASSERT_EQ(GetFileSha256Hex(temp.File(), &digest), S_OK);
    BrowserUpdater updater("1.0", "", "", "", "");
    updater.BeginCheckForTesting();
    updater.SetStateCallback(RecordReport);
    ASSERT_TRUE(updater.ParseUpdateResponse(R"({"version": "2.0", "hash": ")" + digest +
                                            R"(", "run_admin": false, "default": ["x"]})"));
    updater.DownloadPackage();  // finds the verified file: no transfer
    ASSERT_EQ(updater.GetState(), kDownloaded);
    g_tampering = Tampering{temp.File()};
    updater.SetPendingStopCheck(TamperBeforeTheStart);
    if (replaced)
      temp.Write("an impostor");
    g_reports.clear();
    updater.LaunchPackage();
    if (replaced) {
      EXPECT_EQ(g_reports, (Reports{{kVerifyFailed, 0}}));
      continue;
    }
    // The genuine bytes are no program, so their start fails; what matters is that nothing
    // could touch them first.
    EXPECT_EQ(g_reports, (Reports{{kFailed, 0}}));
    EXPECT_FALSE(g_tampering.writable);
    EXPECT_FALSE(g_tampering.renamable);
    EXPECT_FALSE(g_tampering.deletable);
  }
}

TEST(BrowserUpdaterTest, InstalledVersionFallsBackToZeros) {
  // Seen through IsClientUpToDate only after an answer; here the constructor must not choke.
  BrowserUpdater missing("", "", "", "", "");
  BrowserUpdater garbage("abc", "x64", "stable", "pc", "en");
  EXPECT_EQ(missing.GetState(), kIdle);
  EXPECT_FALSE(garbage.IsClientUpToDate(Version("254.255.255.255")));
  EXPECT_TRUE(garbage.IsClientUpToDate(Version("255.255.255.255")));
  EXPECT_FALSE(garbage.IsClientUpToDate(Version()));
}

}  // namespace
