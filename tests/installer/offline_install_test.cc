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

TEST(EmbeddedResourceTest, MissingResourceIsInvalidAndWritesNothing) {
  const EmbeddedResource missing(L"NO_SUCH_RESOURCE", L"XBIN", ::GetModuleHandleW(nullptr));
  EXPECT_FALSE(missing.IsValid());
  EXPECT_EQ(missing.Size(), 0u);
  const std::wstring path = TempFile(L"embedded_resource_test.bin");
  ::DeleteFileW(path.c_str());
  EXPECT_FALSE(missing.WriteHeldCopy(path.c_str()));
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

std::string ReadAll(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The payload is written whole, in chunks, into a file of its own whatever was at the path
// before (nothing, a longer file, a read-only one, a hard link to another file, whose bytes
// must stay as they were), and while the returned handle lives nobody can change it.
TEST(EmbeddedResourceTest, WritesTheBytesIntoAFileOfItsOwnAndHoldsIt) {
  const std::pair<const wchar_t*, std::string> payloads[] = {
      {L"TEST_PAYLOAD", "embedded payload bytes\n"}, {L"LARGE_TEST_PAYLOAD", LargeTestPayload()}};
  enum class Before { kNothing, kLongerFile, kReadOnlyFile, kHardLink };
  const std::wstring path = TempFile(L"embedded_resource_test.bin");
  const std::wstring victim = TempFile(L"embedded_resource_victim.txt");
  for (const auto& [name, expected] : payloads) {
    for (const Before before :
         {Before::kNothing, Before::kLongerFile, Before::kReadOnlyFile, Before::kHardLink}) {
      SCOPED_TRACE(WideToUtf8(name) + " over case " + std::to_string(static_cast<int>(before)));
      const EmbeddedResource payload(name, L"XBIN", ::GetModuleHandleW(nullptr));
      ASSERT_TRUE(payload.IsValid());
      EXPECT_EQ(payload.Size(), expected.size());
      EXPECT_TRUE(payload.Bytes() == expected);
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
      ::DeleteFileW(victim.c_str());
      if (before == Before::kLongerFile || before == Before::kReadOnlyFile) {
        std::ofstream(std::filesystem::path(path), std::ios::binary)
            << std::string(expected.size() + 1000, 'x');
      }
      if (before == Before::kReadOnlyFile) {
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
      }
      if (before == Before::kHardLink) {
        std::ofstream(std::filesystem::path(victim), std::ios::binary) << "victim";
        ASSERT_TRUE(::CreateHardLinkW(path.c_str(), victim.c_str(), nullptr));
      }
      UniqueHandle held = payload.WriteHeldCopy(path.c_str());
      ASSERT_TRUE(held);
      EXPECT_FALSE(UniqueHandle(::CreateFileW(
          path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
          nullptr, OPEN_EXISTING, 0, nullptr)));
      EXPECT_FALSE(::DeleteFileW(path.c_str()));
      EXPECT_FALSE(::MoveFileW(path.c_str(), (path + L".moved").c_str()));
      const std::string bytes = ReadAll(path);
      EXPECT_EQ(bytes.size(), expected.size());
      EXPECT_TRUE(bytes == expected);
      if (before == Before::kHardLink) {
        EXPECT_EQ(ReadAll(victim), "victim");
      }
      held.reset();
      ::DeleteFileW(path.c_str());
      ::DeleteFileW(victim.c_str());
    }
  }
}

TEST(EmbeddedResourceTest, LockedFileIsAFailure) {
  const EmbeddedResource payload(L"TEST_PAYLOAD", L"XBIN", ::GetModuleHandleW(nullptr));
  const std::wstring path = TempFile(L"embedded_resource_locked.bin");
  UniqueHandle lock(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  EXPECT_FALSE(payload.WriteHeldCopy(path.c_str()));
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
