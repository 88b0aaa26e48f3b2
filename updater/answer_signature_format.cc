#include "updater/answer_signature_format.h"

#include <algorithm>
#include <vector>

#include "base/hex.h"
#include "base/sha256.h"

namespace {

constexpr std::string_view kMessagePrefix = "orbavintel-answer-v1\n";

bool IsHttpWhitespace(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimHttpWhitespace(std::string_view text) {
  while (!text.empty() && IsHttpWhitespace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsHttpWhitespace(text.back()))
    text.remove_suffix(1);
  return text;
}

bool ConsumePrefix(std::string_view* text, std::string_view prefix) {
  if (text->substr(0, prefix.size()) != prefix)
    return false;
  text->remove_prefix(prefix.size());
  return true;
}

// Reads exactly 2 * N hex digits from the front of |text| into |bytes|.
template <size_t N>
bool ConsumeHex(std::string_view* text, std::array<uint8_t, N>* bytes) {
  if (!HexDecode(*text, std::span<uint8_t>(*bytes)))
    return false;
  text->remove_prefix(2 * N);
  return true;
}

}  // namespace

std::optional<AnswerSignatureHeader> ParseAnswerSignatureHeader(std::string_view value) {
  std::string_view rest = TrimHttpWhitespace(value);
  AnswerSignatureHeader header;
  if (!ConsumePrefix(&rest, "keyid=") || !ConsumeHex(&rest, &header.keyId) ||
      !ConsumePrefix(&rest, ";")) {
    return std::nullopt;
  }
  while (!rest.empty() && rest.front() == ' ')
    rest.remove_prefix(1);
  if (!ConsumePrefix(&rest, "sig=") || !ConsumeHex(&rest, &header.signature) || !rest.empty())
    return std::nullopt;
  return header;
}

std::array<uint8_t, 32> AnswerMessageDigest(std::string_view requestBody,
                                            std::string_view answerBody) {
  // Finish starts the hasher over, so one hasher serves all three digests.
  Sha256Hasher hasher;
  hasher.Update(requestBody.data(), requestBody.size());
  const std::vector<uint8_t> requestDigest = hasher.Finish();
  hasher.Update(answerBody.data(), answerBody.size());
  const std::vector<uint8_t> answerDigest = hasher.Finish();
  hasher.Update(kMessagePrefix.data(), kMessagePrefix.size());
  hasher.Update(requestDigest.data(), requestDigest.size());
  hasher.Update(answerDigest.data(), answerDigest.size());
  const std::vector<uint8_t> digest = hasher.Finish();
  std::array<uint8_t, 32> result;
  std::copy(digest.begin(), digest.end(), result.begin());
  return result;
}
