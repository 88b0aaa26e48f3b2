// The signed path when the platform lets it down: no random bytes for the nonce, or no
// cryptography to check a signature. Either must end the run with no answer trusted.
//
// The random source and bcrypt.dll are looked up once per process, on first use, so each
// test needs a process of its own in which nothing used them before: CTest runs each one
// alone (tests/updater/CMakeLists.txt), and a second test in one process is skipped.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "debug_line_capture.h"
#include "import_patch.h"
#include "updater/answer_signature.h"
#include "updater/browser_updater.h"
#include "updater/update_keys.h"  // test keys a and b

namespace {

using Reports = std::vector<std::pair<uint32_t, uint32_t>>;
Reports g_reports;

void RecordReport(uint32_t state, uint32_t param) {
  g_reports.emplace_back(state, param);
}

// A random source that is there but fails, as RtlGenRandom may.
BOOLEAN WINAPI FailingGenRandom(PVOID, ULONG) {
  return FALSE;
}

ScopedImportPatch* g_getProcAddress = nullptr;

FARPROC WINAPI GetProcAddressWithFailingRandom(HMODULE module, LPCSTR name) {
  // A name below 0x10000 is an ordinal, not a string.
  if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && std::strcmp(name, "SystemFunction036") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FailingGenRandom));
  return g_getProcAddress->Original<decltype(&::GetProcAddress)>()(module, name);
}

ScopedImportPatch* g_loadLibraryEx = nullptr;

HMODULE WINAPI LoadLibraryExWithoutBCrypt(LPCWSTR name, HANDLE file, DWORD flags) {
  if (_wcsicmp(name, L"bcrypt.dll") == 0) {
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return g_loadLibraryEx->Original<decltype(&::LoadLibraryExW)>()(name, file, flags);
}

// An answer signed with test key a by tools/release for this request: authentic, so only
// the missing cryptography can refuse it.
const std::string kRequest = "version=1.0.0.0&miner=none&nonce=00112233445566778899aabbccddeeff";
const std::string kAnswer = R"({"version": "2.0"})";
const std::string kSigned =
    "keyid=7da7c3169787ac44;sig=4ad94297840cdcf698292b597986745fc9202bbba803c9666e428ec6ea0b1f16"
    "a9f08eb2c90a589ea634c89fd81b68b9f56ca654b24c12dee55362042d175ac5";

class FailClosedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool processUsed = false;
    if (processUsed)
      GTEST_SKIP() << "needs a fresh process: run it alone (--gtest_filter)";
    processUsed = true;
    g_reports.clear();
  }
};

TEST_F(FailClosedTest, NoRandomBytesSendsNoCheck) {
  ScopedImportPatch patch("kernel32.dll", "GetProcAddress",
                          reinterpret_cast<void*>(&GetProcAddressWithFailingRandom));
  g_getProcAddress = &patch;
  ASSERT_TRUE(patch.IsActive());
  DebugLineCapture capture;
  BrowserUpdater updater("1.0", "", "", "", "");
  updater.SetStateCallback(RecordReport);
  updater.SetAnswerKeys(kUpdateKeys);
  updater.CheckForUpdate();
  // Ended before any request was made: nothing can answer it, nothing is downloaded.
  EXPECT_EQ(g_reports, (Reports{{kFailed, 0}}));
  EXPECT_EQ(updater.GetState(), kFailed);
  EXPECT_FALSE(updater.IsUpdateOffered());
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{"No random bytes for the request nonce.\n"});
}

TEST_F(FailClosedTest, NoCryptographyTrustsNoAnswer) {
  ScopedImportPatch patch("kernel32.dll", "LoadLibraryExW",
                          reinterpret_cast<void*>(&LoadLibraryExWithoutBCrypt));
  g_loadLibraryEx = &patch;
  ASSERT_TRUE(patch.IsActive());
  DebugLineCapture capture;
  EXPECT_EQ(CheckAnswerSignature(kUpdateKeys, {kSigned}, kRequest, kAnswer),
            AnswerCheck::kUnverifiable);
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{
                                 "Update answer refused: the signature could not be checked.\n"});
}

}  // namespace
