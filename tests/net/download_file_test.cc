#include "net/download_file.h"

#include <gtest/gtest.h>

#include "tests/net/test_server.h"

namespace {

class DownloadFileTest : public ::testing::Test {
 protected:
  void TearDown() override { ::DeleteFileW(path.c_str()); }

  const std::wstring path = TempFilePath(L"download_file_test.bin");
};

TEST_F(DownloadFileTest, OpenEmptiesAnExistingFile) {
  ASSERT_TRUE(WriteFileBytes(path, std::string(1 << 20, 'x')));
  DownloadFile file;
  ASSERT_EQ(file.Open(path), S_OK);
  ASSERT_EQ(file.Write("0123456789", 10), S_OK);
  file.Close();
  EXPECT_EQ(ReadFileBytes(path), "0123456789");
}

TEST_F(DownloadFileTest, ChunksAreAppendedInOrder) {
  DownloadFile file;
  ASSERT_EQ(file.Open(path), S_OK);
  ASSERT_EQ(file.Write("abc", 3), S_OK);
  ASSERT_EQ(file.Write("", 0), S_OK);
  ASSERT_EQ(file.Write("def", 3), S_OK);
  file.Close();
  EXPECT_EQ(ReadFileBytes(path), "abcdef");
}

TEST_F(DownloadFileTest, NobodyElseMayOpenItWhileItIsWritten) {
  DownloadFile file;
  ASSERT_EQ(file.Open(path), S_OK);
  HANDLE reader = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (reader != INVALID_HANDLE_VALUE)
    ::CloseHandle(reader);
  file.Close();
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(DownloadFileTest, FailuresCarryThePlatformError) {
  DownloadFile file;
  EXPECT_EQ(file.Open(TempFilePath(L"missing_folder\\file.bin")),
            HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(DeleteDownloadFile(path), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(WriteFileBytes(path, "x"));
  EXPECT_EQ(DeleteDownloadFile(path), S_OK);
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
