#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "installer/browser_launch.h"
#include "installer/embedded_resource.h"
#include "base/win/scoped_handle.h"
#include "base/win/text_conversion.h"
#include "installer/worker_thread.h"

namespace {

// |name| in the temporary folder.
std::wstring TempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

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

TEST(EmbeddedResourceTest, MissingResourceIsInvalidAndWritesNothing) {
  const EmbeddedResource missing(L"NO_SUCH_RESOURCE", L"XBIN", ::GetModuleHandleW(nullptr));
  EXPECT_FALSE(missing.IsValid());
  EXPECT_EQ(missing.Size(), 0u);
  const std::wstring path = TempFile(L"embedded_resource_test.bin");
  ::DeleteFileW(path.c_str());
  EXPECT_FALSE(missing.WriteToFile(path.c_str()));
  EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The bytes of LARGE_TEST_PAYLOAD, which the build writes: several write chunks, the last one
// partial.
std::string LargeTestPayload() {
  std::string bytes;
  for (int i = 0; i < 163840; ++i)
    bytes += "0123456789abcdef";
  return bytes + "end\n";
}

// The payload is written whole, in chunks, over no file, and over a longer one an earlier run
// left, which must end up cut to the payload's length.
TEST(EmbeddedResourceTest, WritesTheBytesAndReplacesAFile) {
  const std::pair<const wchar_t*, std::string> payloads[] = {
      {L"TEST_PAYLOAD", "embedded payload bytes\n"}, {L"LARGE_TEST_PAYLOAD", LargeTestPayload()}};
  for (const auto& [name, expected] : payloads) {
    for (const bool previous : {false, true}) {
      SCOPED_TRACE(WideToUtf8(name) + (previous ? " over a longer file" : ""));
      const EmbeddedResource payload(name, L"XBIN", ::GetModuleHandleW(nullptr));
      ASSERT_TRUE(payload.IsValid());
      EXPECT_EQ(payload.Size(), expected.size());
      EXPECT_TRUE(payload.Bytes() == expected);
      const std::wstring path = TempFile(L"embedded_resource_test.bin");
      ::DeleteFileW(path.c_str());
      if (previous) {
        std::ofstream old(std::filesystem::path(path), std::ios::binary);
        old << std::string(expected.size() + 1000, 'x');
      }
      ASSERT_TRUE(payload.WriteToFile(path.c_str()));
      std::ifstream written(std::filesystem::path(path), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(written)),
                              std::istreambuf_iterator<char>());
      EXPECT_EQ(bytes.size(), expected.size());
      EXPECT_TRUE(bytes == expected);
      written.close();
      ::DeleteFileW(path.c_str());
    }
  }
}

TEST(EmbeddedResourceTest, LockedFileIsAFailure) {
  const EmbeddedResource payload(L"TEST_PAYLOAD", L"XBIN", ::GetModuleHandleW(nullptr));
  const std::wstring path = TempFile(L"embedded_resource_locked.bin");
  UniqueHandle lock(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_FALSE(payload.WriteToFile(path.c_str()));
  lock.reset();
  ::DeleteFileW(path.c_str());
}

class CountingDelegate : public ThreadDelegate {
 public:
  void Run(WorkerThread* thread) override {
    seen = thread;
    runs.fetch_add(1);
    threadId = ::GetCurrentThreadId();
  }
  std::atomic<int> runs{0};
  WorkerThread* seen = nullptr;
  DWORD threadId = 0;
};

TEST(WorkerThreadTest, RunsTheDelegateOnceOnItsOwnThread) {
  CountingDelegate delegate;
  {
    WorkerThread worker;
    EXPECT_FALSE(worker.Start());  // no delegate yet
    worker.SetDelegate(&delegate);
    EXPECT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start());  // started once only
    // The destructor waits for the thread.
  }
  EXPECT_EQ(delegate.runs.load(), 1);
  EXPECT_NE(delegate.seen, nullptr);
  EXPECT_NE(delegate.threadId, ::GetCurrentThreadId());
}

}  // namespace
