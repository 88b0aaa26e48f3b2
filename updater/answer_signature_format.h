#ifndef UPDATER_ANSWER_SIGNATURE_FORMAT_H_
#define UPDATER_ANSWER_SIGNATURE_FORMAT_H_

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The wire format of a signed update answer. Platform-free.
//
// The server sends "X-Orbavintel-Signature: keyid=<16 hex digits>;sig=<128 hex digits>"
// (spaces allowed after the ";"). The signature is ECDSA P-256 with SHA-256, r then s,
// 32 bytes each, big-endian, over the message "orbavintel-answer-v1\n", the SHA-256 of the
// request body as sent and the SHA-256 of the answer body as received.

inline constexpr wchar_t kAnswerSignatureHeaderName[] = L"X-Orbavintel-Signature";

struct AnswerSignatureHeader {
  std::array<uint8_t, 8> keyId;
  std::array<uint8_t, 64> signature;
};

// The key id and signature of a header value, or nothing when it is not exactly the form
// above. Hex digits of either case; the spaces and tabs that HTTP allows around a value are
// ignored.
std::optional<AnswerSignatureHeader> ParseAnswerSignatureHeader(std::string_view value);

// The SHA-256 of the signed message for |answerBody| received in reply to |requestBody|.
std::array<uint8_t, 32> AnswerMessageDigest(std::string_view requestBody,
                                            std::string_view answerBody);

#endif  // UPDATER_ANSWER_SIGNATURE_FORMAT_H_
