#include "updater/answer_signature.h"

#include <algorithm>
#include <optional>

#include "base/hex.h"
#include "base/win/cng_ecdsa.h"
#include "base/win/debug_output.h"
#include "updater/answer_signature_format.h"

namespace {

const AnswerKey* FindKey(std::span<const AnswerKey> keys, const std::array<uint8_t, 8>& id) {
  for (const AnswerKey& key : keys) {
    if (std::equal(id.begin(), id.end(), std::begin(key.id)))
      return &key;
  }
  return nullptr;
}

AnswerCheck Refuse(AnswerCheck check, const char* reason) {
  WriteDebugLineF("Update answer refused: %s.\n", reason);
  return check;
}

}  // namespace

AnswerCheck CheckAnswerSignature(std::span<const AnswerKey> keys,
                                 const std::vector<std::string>& headerValues,
                                 std::string_view requestBody,
                                 std::string_view answerBody) {
  if (headerValues.empty())
    return Refuse(AnswerCheck::kNoHeader, "no signature header");
  // Two headers could be read differently by two readers; accept only one.
  const std::optional<AnswerSignatureHeader> header =
      headerValues.size() == 1 ? ParseAnswerSignatureHeader(headerValues.front()) : std::nullopt;
  if (!header)
    return Refuse(AnswerCheck::kMalformedHeader, "malformed signature header");
  const std::string keyName = HexEncode(header->keyId, HexLetters::kLower);
  const AnswerKey* key = FindKey(keys, header->keyId);
  if (!key)
    return Refuse(AnswerCheck::kUnknownKey, ("unknown key " + keyName).c_str());

  const std::array<uint8_t, 32> digest = AnswerMessageDigest(requestBody, answerBody);
  switch (VerifyEcdsaP256(key->x, key->y, digest, header->signature)) {
    case SignatureCheck::kValid:
      WriteDebugLineF("Update answer signed by key %s.\n", keyName.c_str());
      return AnswerCheck::kAuthentic;
    case SignatureCheck::kInvalid:
      return Refuse(AnswerCheck::kBadSignature, "bad signature");
    case SignatureCheck::kUnavailable:
      break;
  }
  return Refuse(AnswerCheck::kUnverifiable, "the signature could not be checked");
}
