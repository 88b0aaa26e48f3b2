#include "updater/file_digest.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/win/scoped_handle.h"
#include "tests/updater/import_patch.h"
#include "base/sha256.h"

namespace {

constexpr char kEmptyDigest[] = "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
// SHA-256 of 536870912 zero bytes.
constexpr char kZeroLimitDigest[] =
    "9ACCA8E8C22201155389F65ABBF6BC9723EDC7384EAD80503839F49DCC56D767";
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);

// Counts the files the code under test opens and the reads it makes.
struct FileCalls {
  int opens = 0;
  int reads = 0;
  int emptyReads = 0;
  std::set<void*> buffers;
  std::set<DWORD> readSizes;
};
FileCalls fileCalls;
ScopedImportPatch* createFilePatch = nullptr;
ScopedImportPatch* readFilePatch = nullptr;

HANDLE WINAPI CountCreateFile(const wchar_t* name,
                              DWORD access,
                              DWORD share,
                              SECURITY_ATTRIBUTES* security,
                              DWORD disposition,
                              DWORD flags,
                              HANDLE templateFile) {
  ++fileCalls.opens;
  return createFilePatch->Original<decltype(&CreateFileW)>()(name, access, share, security,
                                                             disposition, flags, templateFile);
}

BOOL WINAPI
CountReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped) {
  ++fileCalls.reads;
  fileCalls.buffers.insert(buffer);
  fileCalls.readSizes.insert(size);
  const BOOL ok =
      readFilePatch->Original<decltype(&ReadFile)>()(file, buffer, size, read, overlapped);
  if (ok && read && *read == 0)
    ++fileCalls.emptyReads;
  return ok;
}

std::string UpperHex(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

std::string Pattern(size_t length, unsigned seed) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
  return bytes;
}

std::vector<uint8_t> MemoryDigest(const std::string& bytes) {
  Sha256Hasher hasher(Sha256Engine::kPortable);
  hasher.Update(bytes.data(), bytes.size());
  return hasher.Finish();
}

// Files live in a fresh folder under the temporary folder, removed after each test. File
// opens and reads of the code under test are counted.
class FileDigestTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
    folder = std::wstring(temp) + L"orbavintel-digest-" + std::to_wstring(::GetCurrentProcessId()) +
             L"\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    createPatch = std::make_unique<ScopedImportPatch>("kernel32.dll", "CreateFileW",
                                                      reinterpret_cast<void*>(&CountCreateFile));
    readPatch = std::make_unique<ScopedImportPatch>("kernel32.dll", "ReadFile",
                                                    reinterpret_cast<void*>(&CountReadFile));
    ASSERT_TRUE(createPatch->IsActive() && readPatch->IsActive());
    createFilePatch = createPatch.get();
    readFilePatch = readPatch.get();
    fileCalls = {};
  }

  void TearDown() override {
    createPatch.reset();
    readPatch.reset();
    for (const std::wstring& path : created)
      ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(folder.c_str());
  }

  std::wstring CreateTestFile(const std::wstring& name, const std::string& contents) {
    const std::wstring path = folder + name;
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()),
                            &written, nullptr));
    created.push_back(path);
    fileCalls = {};
    return path;
  }

  // A file of |size| zero bytes that takes no disk space.
  std::wstring CreateSparseFile(const std::wstring& name, uint64_t size) {
    const std::wstring path = folder + name;
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file);
    DWORD returned = 0;
    // Wine over ext4 fails this but makes the file sparse anyway.
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(::SetEndOfFile(file.get()));
    created.push_back(path);
    fileCalls = {};
    return path;
  }

  std::wstring folder;
  std::vector<std::wstring> created;
  std::unique_ptr<ScopedImportPatch> createPatch;
  std::unique_ptr<ScopedImportPatch> readPatch;
};

TEST_F(FileDigestTest, EmptyFileGivesDigestOfNoBytesInUpperCase) {
  const std::wstring path = CreateTestFile(L"empty.bin", "");
  std::string text = "left over";
  EXPECT_EQ(GetFileSha256Hex(path, &text), S_OK);
  EXPECT_EQ(text, kEmptyDigest);
  EXPECT_EQ(fileCalls.reads, 1);
}

TEST_F(FileDigestTest, FilesAroundTheChunkSizeAreReadWhole) {
  const struct {
    size_t size;
    int reads;
  } kCases[] = {{131071, 1}, {131072, 2}, {131073, 2}, {3 * 131072 + 5, 4}};
  for (const auto& c : kCases) {
    const std::string contents = Pattern(c.size, static_cast<unsigned>(c.size));
    const std::wstring path = CreateTestFile(L"chunk.bin", contents);
    std::string text;
    EXPECT_EQ(GetFileSha256Hex(path, &text), S_OK) << c.size;
    EXPECT_EQ(text, UpperHex(MemoryDigest(contents))) << c.size;
    EXPECT_EQ(fileCalls.reads, c.reads) << c.size;
    // A file that is a whole number of chunks ends with a read of nothing.
    EXPECT_EQ(fileCalls.emptyReads, c.size % kDigestChunkBytes == 0 ? 1 : 0) << c.size;
    // One buffer of one chunk serves every read.
    EXPECT_EQ(fileCalls.buffers.size(), 1u) << c.size;
    EXPECT_EQ(fileCalls.readSizes, std::set<DWORD>{kDigestChunkBytes}) << c.size;
  }
}

TEST_F(FileDigestTest, FileOfExactlyTheLimitIsDigested) {
  const std::wstring path = CreateSparseFile(L"limit.bin", kMaxDigestInputBytes);
  std::string text;
  EXPECT_EQ(GetFileSha256Hex(path, &text), S_OK);
  EXPECT_EQ(text, kZeroLimitDigest);
}

TEST_F(FileDigestTest, FileOverTheLimitIsRefusedUnread) {
  const std::wstring path = CreateSparseFile(L"over.bin", kMaxDigestInputBytes + 1);
  std::string text = "left over";
  EXPECT_EQ(GetFileSha256Hex(path, &text), E_FAIL);
  EXPECT_EQ(text, "");
  EXPECT_EQ(fileCalls.opens, 1);
  EXPECT_EQ(fileCalls.reads, 0);
}

TEST_F(FileDigestTest, SeveralFilesAreDigestedAsOneStreamUnderOneLimit) {
  const std::string first = Pattern(70000, 1);
  const std::string second = Pattern(100000, 2);
  const std::vector<std::wstring> files = {CreateTestFile(L"a.bin", first),
                                           CreateTestFile(L"b.bin", second)};
  std::vector<uint8_t> digest;
  EXPECT_EQ(DigestFiles(files, 170000, nullptr, &digest), S_OK);
  EXPECT_EQ(digest, MemoryDigest(first + second));
  EXPECT_EQ(DigestFiles(files, 0, nullptr, &digest), S_OK);  // 0: no limit
  EXPECT_EQ(digest, MemoryDigest(first + second));

  // The second file takes the total over: it is opened and sized, never read.
  fileCalls = {};
  EXPECT_EQ(DigestFiles(files, 169999, nullptr, &digest), E_FAIL);
  EXPECT_EQ(fileCalls.opens, 2);
  EXPECT_EQ(fileCalls.reads, 1);

  EXPECT_EQ(DigestFiles({}, kMaxDigestInputBytes, nullptr, &digest), S_OK);
  EXPECT_EQ(UpperHex(digest), kEmptyDigest);
}

TEST_F(FileDigestTest, ComparesWithAnExpectedDigest) {
  const std::string contents = Pattern(5000, 3);
  const std::vector<std::wstring> files = {CreateTestFile(L"c.bin", contents)};
  std::vector<uint8_t> expected = MemoryDigest(contents);
  EXPECT_EQ(DigestFiles(files, 0, &expected, nullptr), S_OK);
  expected[31] ^= 1;
  EXPECT_EQ(DigestFiles(files, 0, &expected, nullptr), kDigestMismatch);

  // Nowhere to put the result, or an expected digest of the wrong size: nothing is opened.
  fileCalls = {};
  EXPECT_EQ(DigestFiles(files, 0, nullptr, nullptr), E_FAIL);
  expected.resize(16);
  EXPECT_EQ(DigestFiles(files, 0, &expected, nullptr), E_INVALIDARG);
  EXPECT_EQ(fileCalls.opens, 0);
  EXPECT_EQ(GetFileSha256Hex(files[0], nullptr), E_FAIL);
}

TEST_F(FileDigestTest, ExpectedTextVerifiesInAnyLetterCase) {
  const std::string contents = Pattern(1000, 4);
  const std::wstring path = CreateTestFile(L"d.bin", contents);
  const std::string upper = UpperHex(MemoryDigest(contents));
  std::wstring upperText(upper.begin(), upper.end());
  std::wstring lowerText = upperText;
  std::wstring mixedText = upperText;
  for (size_t i = 0; i < upperText.size(); ++i) {
    lowerText[i] = static_cast<wchar_t>(std::towlower(upperText[i]));
    if (i % 2)
      mixedText[i] = lowerText[i];
  }
  EXPECT_EQ(VerifyFileSha256(path, upperText), S_OK);
  EXPECT_EQ(VerifyFileSha256(path, lowerText), S_OK);
  EXPECT_EQ(VerifyFileSha256(path, mixedText), S_OK);

  mixedText[0] = mixedText[0] == L'0' ? L'1' : L'0';
  EXPECT_EQ(VerifyFileSha256(path, mixedText), kDigestMismatch);
}

// Malformed expected texts are refused before any file is opened, so a missing file makes
// no difference.
TEST_F(FileDigestTest, MalformedExpectedTextIsRefusedUnopened) {
  const std::wstring missing = folder + L"missing.bin";
  const std::wstring digits64(64, L'a');
  for (const std::wstring& text :
       {std::wstring(62, L'a'), std::wstring(66, L'a'), std::wstring(63, L'a'),
        digits64.substr(0, 63) + L"g", std::wstring(), digits64.substr(0, 62) + L" a",
        digits64.substr(0, 63) + L"\u0130"}) {
    EXPECT_EQ(VerifyFileSha256(missing, text), E_INVALIDARG) << text.size();
  }
  EXPECT_EQ(fileCalls.opens, 0);
  EXPECT_EQ(VerifyFileSha256(missing, digits64), kFileNotFound);
}

TEST_F(FileDigestTest, MissingOrLockedFilesGiveThePlatformError) {
  std::string text = "left over";
  EXPECT_EQ(GetFileSha256Hex(folder + L"missing.bin", &text), kFileNotFound);
  EXPECT_EQ(text, "");

  const std::wstring path = CreateTestFile(L"locked.bin", "x");
  UniqueHandle exclusive(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(exclusive);
  EXPECT_EQ(GetFileSha256Hex(path, &text), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(text, "");
}

TEST(DecodeHexDigestTest, DecodesPairsHighNibbleFirst) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(DecodeHexDigest(L"0aF97B", &bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x0a, 0xf9, 0x7b}));
}

TEST(DecodeHexDigestTest, RefusesWhatIsNotHexadecimal) {
  std::vector<uint8_t> bytes = {1, 2};
  // U+0130 and U+FF10 have the low byte of a digit; only the whole character counts.
  for (const wchar_t* text : {L"", L"abc", L"0g", L"0x12", L"\u01300", L"\uff10\uff10", L"1 "})
    EXPECT_FALSE(DecodeHexDigest(text, &bytes)) << text;
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(DecodeHexDigest(L"00", nullptr));
}

}  // namespace
