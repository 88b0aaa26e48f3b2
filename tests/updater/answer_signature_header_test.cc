// Platform-free: also built natively under the sanitizers (tests/host/answer_signature.cmake).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/hex.h"
#include "updater/answer_signature_format.h"

namespace {

const std::string kKeyId = "7da7c3169787ac44";  // test key a
const std::string kSignature(128, 'f');

struct HeaderCase {
  const char* name;
  std::string value;
  bool accepted;
};

class AnswerSignatureHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(AnswerSignatureHeaderTest, AcceptsExactlyTheWireForm) {
  const HeaderCase& test = GetParam();
  const std::optional<AnswerSignatureHeader> header = ParseAnswerSignatureHeader(test.value);
  ASSERT_EQ(header.has_value(), test.accepted) << test.value;
  if (header) {
    EXPECT_EQ(HexEncode(header->keyId, HexLetters::kLower), kKeyId);
    EXPECT_EQ(HexEncode(header->signature, HexLetters::kLower), kSignature);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values,
    AnswerSignatureHeaderTest,
    ::testing::Values(
        HeaderCase{"Plain", "keyid=" + kKeyId + ";sig=" + kSignature, true},
        HeaderCase{"SpacesAfterSemicolon", "keyid=" + kKeyId + ";   sig=" + kSignature, true},
        HeaderCase{"UpperCaseDigits", "keyid=7DA7C3169787AC44;sig=" + std::string(128, 'F'), true},
        HeaderCase{"HttpWhitespaceAround", " \tkeyid=" + kKeyId + ";sig=" + kSignature + "\t ",
                   true},
        HeaderCase{"Empty", "", false},
        HeaderCase{"NoSignature", "keyid=" + kKeyId, false},
        HeaderCase{"EmptySignature", "keyid=" + kKeyId + ";sig=", false},
        HeaderCase{"ShortKeyId", "keyid=7da7c3169787ac4;sig=" + kSignature, false},
        HeaderCase{"LongKeyId", "keyid=" + kKeyId + "0;sig=" + kSignature, false},
        HeaderCase{"ShortSignature", "keyid=" + kKeyId + ";sig=" + kSignature.substr(1), false},
        HeaderCase{"LongSignature", "keyid=" + kKeyId + ";sig=" + kSignature + "0", false},
        HeaderCase{"NotHex", "keyid=7da7c3169787ac4g;sig=" + kSignature, false},
        HeaderCase{"SignedHexPrefix", "keyid=" + kKeyId + ";sig=0x" + kSignature.substr(2), false},
        HeaderCase{"FieldsSwapped", "sig=" + kSignature + ";keyid=" + kKeyId, false},
        HeaderCase{"SpaceBeforeSemicolon", "keyid=" + kKeyId + " ;sig=" + kSignature, false},
        HeaderCase{"TabAfterSemicolon", "keyid=" + kKeyId + ";\tsig=" + kSignature, false},
        HeaderCase{"CommaSeparator", "keyid=" + kKeyId + ",sig=" + kSignature, false},
        HeaderCase{"UpperCaseName", "KEYID=" + kKeyId + ";sig=" + kSignature, false},
        HeaderCase{"TrailingField", "keyid=" + kKeyId + ";sig=" + kSignature + ";x=1", false}),
    [](const ::testing::TestParamInfo<HeaderCase>& testCase) { return testCase.param.name; });

}  // namespace
