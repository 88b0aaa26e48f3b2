#include "updater/file_digest.h"

#include <memory>
#include <utility>

#include "base/hex.h"
#include "base/sha256.h"
#include "base/win/last_error_result.h"
#include "base/win/scoped_handle.h"

namespace {

// Feeds one file to |hasher|. |total| holds the bytes the digest has covered so far; with a
// |maxTotalBytes|, the file's reported size must fit before anything is read, and a file that
// grows while it is read still cannot take the digest past the limit.
HRESULT DigestOneFile(const std::wstring& path,
                      uint64_t maxTotalBytes,
                      uint64_t& total,
                      uint8_t* buffer,
                      Hasher& hasher) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                  nullptr));
  if (!file)
    return LastErrorResult();

  if (maxTotalBytes != 0) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size))
      return LastErrorResult();
    const uint64_t fileBytes = static_cast<uint64_t>(size.QuadPart);
    if (fileBytes > maxTotalBytes - total)
      return E_FAIL;
  }

  uint64_t covered = total;
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, kDigestChunkBytes, &read, nullptr))
      return LastErrorResult();
    covered += read;
    if (maxTotalBytes != 0 && covered > maxTotalBytes)
      return E_FAIL;
    if (read > 0)
      hasher.Update(buffer, read);
    if (read < kDigestChunkBytes)
      break;
  }
  total = covered;
  return S_OK;
}

}  // namespace

HRESULT DigestFiles(const std::vector<std::wstring>& files,
                    uint64_t maxTotalBytes,
                    const std::vector<uint8_t>* expected,
                    std::vector<uint8_t>* output) {
  if (!expected && !output)
    return E_FAIL;
  if (expected && expected->size() != Sha256Hasher::kDigestBytes)
    return E_INVALIDARG;

  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kDigestChunkBytes]());
  std::unique_ptr<Hasher> hasher = std::make_unique<Sha256Hasher>();
  uint64_t total = 0;
  for (const std::wstring& path : files) {
    const HRESULT status = DigestOneFile(path, maxTotalBytes, total, buffer.get(), *hasher);
    if (FAILED(status))
      return status;
  }

  const std::vector<uint8_t> digest = hasher->Finish();
  if (expected)
    return *expected == digest ? S_OK : kDigestMismatch;
  *output = digest;
  return S_OK;
}

HRESULT GetFileSha256Hex(const std::wstring& path, std::string* output) {
  if (!output)
    return E_FAIL;
  std::vector<uint8_t> digest;
  const HRESULT status = DigestFiles({path}, kMaxDigestInputBytes, nullptr, &digest);
  output->clear();
  if (FAILED(status))
    return status;
  *output = HexEncode(digest, HexLetters::kUpper);
  return status;
}

bool DecodeHexDigest(std::wstring_view text, std::vector<uint8_t>* output) {
  if (!output || text.empty() || text.size() % 2 != 0)
    return false;
  std::vector<uint8_t> bytes(text.size() / 2);
  if (!HexDecode(text, std::span<uint8_t>(bytes)))
    return false;
  *output = std::move(bytes);
  return true;
}

HRESULT VerifyFileSha256(const std::wstring& path, std::wstring_view hexDigest) {
  std::vector<uint8_t> expected;
  if (!DecodeHexDigest(hexDigest, &expected) || expected.size() != Sha256Hasher::kDigestBytes)
    return E_INVALIDARG;
  return DigestFiles({path}, kMaxDigestInputBytes, &expected, nullptr);
}
