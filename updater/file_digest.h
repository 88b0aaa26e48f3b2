#ifndef UPDATER_FILE_DIGEST_H_
#define UPDATER_FILE_DIGEST_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// SHA-256 digests of files: streamed through one buffer of kDigestChunkBytes, so memory does
// not grow with the file size. Any thread; nothing is logged.

// The read size, and the size of the one buffer each digest allocates.
inline constexpr DWORD kDigestChunkBytes = 0x20000;

// The most one digest may cover, over all its files together.
inline constexpr uint64_t kMaxDigestInputBytes = 0x20000000;

// DigestFiles' result when the computed digest differs from the expected one.
inline constexpr HRESULT kDigestMismatch = static_cast<HRESULT>(0x80040204);

// Digests the contents of |files| concatenated in order (an empty list gives the digest of
// no bytes). With |expected|, compares: S_OK or kDigestMismatch. Otherwise stores the 32
// digest bytes in |output|. When |maxTotalBytes| is not 0, the file sizes are summed before
// each file is read and a total above it gives E_FAIL without reading that file.
// Fails with E_FAIL when neither |expected| nor |output| is given, E_INVALIDARG when
// |expected| is not 32 bytes, and the status of the platform error when a file cannot be
// opened, sized or read.
HRESULT DigestFiles(const std::vector<std::wstring>& files,
                    uint64_t maxTotalBytes,
                    const std::vector<uint8_t>* expected,
                    std::vector<uint8_t>* output);

// The digest of the file at |path| as 64 upper-case hexadecimal digits, limited to
// kMaxDigestInputBytes. |output| is cleared and stays empty on failure; E_FAIL when it is null.
HRESULT GetFileSha256Hex(const std::wstring& path, std::string* output);

// Decodes hexadecimal text (digits 0-9, a-f, A-F, an even non-zero count) into bytes, first
// digit of each pair in the high nibble. False, with |output| untouched, on anything else.
bool DecodeHexDigest(std::wstring_view text, std::vector<uint8_t>* output);

// S_OK when the file at |path| has the SHA-256 digest |hexDigest|; kDigestMismatch when it
// differs; E_INVALIDARG, before the file is opened, when |hexDigest| is not 64 hexadecimal
// digits; otherwise a DigestFiles failure.
HRESULT VerifyFileSha256(const std::wstring& path, std::wstring_view hexDigest);

#endif  // UPDATER_FILE_DIGEST_H_
