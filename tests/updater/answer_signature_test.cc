#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "updater/answer_signature.h"
#include "updater/update_keys.h"  // test keys a and b

namespace {

// An answer signed with test key a by tools/release for this request.
const std::string kRequest = "version=1.0.0.0&miner=none&nonce=00112233445566778899aabbccddeeff";
const std::string kAnswer = R"({"version": "2.0"})";
const std::string kSigned =
    "keyid=7da7c3169787ac44;sig=4ad94297840cdcf698292b597986745fc9202bbba803c9666e428ec6ea0b1f16"
    "a9f08eb2c90a589ea634c89fd81b68b9f56ca654b24c12dee55362042d175ac5";

struct VerificationCase {
  const char* name;
  std::vector<std::string> headers;
  std::string request;
  std::string answer;
  AnswerCheck expected;
};

class AnswerVerificationTest : public ::testing::TestWithParam<VerificationCase> {};

TEST_P(AnswerVerificationTest, JudgesWithThePlatformCryptography) {
  const VerificationCase& test = GetParam();
  EXPECT_EQ(CheckAnswerSignature(kUpdateKeys, test.headers, test.request, test.answer),
            test.expected);
}

// kSigned's r and s, and the order n of P-256's base point: an ECDSA signature needs
// 0 < r, s < n, and a verifier that skips that check may accept forged ones.
const std::string kR = kSigned.substr(27, 64);
const std::string kS = kSigned.substr(91, 64);
const std::string kOrder = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551";
const std::string kZero(64, '0');
const std::string kAllOnes(64, 'f');

VerificationCase OutOfRange(const char* name, const std::string& r, const std::string& s) {
  return {
      name, {"keyid=7da7c3169787ac44;sig=" + r + s}, kRequest, kAnswer, AnswerCheck::kBadSignature};
}

std::string UpperCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string FlipLastBit(std::string header) {
  header.back() = header.back() == '5' ? '4' : '5';
  return header;
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    AnswerVerificationTest,
    ::testing::Values(
        VerificationCase{"Authentic", {kSigned}, kRequest, kAnswer, AnswerCheck::kAuthentic},
        VerificationCase{"FlippedBit",
                         {FlipLastBit(kSigned)},
                         kRequest,
                         kAnswer,
                         AnswerCheck::kBadSignature},
        VerificationCase{"OtherRequest",
                         {kSigned},
                         kRequest + "0",
                         kAnswer,
                         AnswerCheck::kBadSignature},
        VerificationCase{"OtherAnswer",
                         {kSigned},
                         kRequest,
                         kAnswer + " ",
                         AnswerCheck::kBadSignature},
        VerificationCase{"NoHeader", {}, kRequest, kAnswer, AnswerCheck::kNoHeader},
        VerificationCase{"HeaderTwice",
                         {kSigned, kSigned},
                         kRequest,
                         kAnswer,
                         AnswerCheck::kMalformedHeader},
        VerificationCase{"UnknownKey",
                         {"keyid=0000000000000000" + kSigned.substr(22)},
                         kRequest,
                         kAnswer,
                         AnswerCheck::kUnknownKey},
        // Key b is built in, but did not make this signature.
        VerificationCase{"OtherBuiltInKey",
                         {"keyid=214c85d98645d0a2" + kSigned.substr(22)},
                         kRequest,
                         kAnswer,
                         AnswerCheck::kBadSignature},
        // Digits of either case are taken (README, Releasing).
        VerificationCase{"UpperCaseDigits",
                         {"keyid=7DA7C3169787AC44;sig=" + UpperCase(kSigned.substr(27))},
                         kRequest,
                         kAnswer,
                         AnswerCheck::kAuthentic},
        OutOfRange("AllZero", kZero, kZero),
        OutOfRange("RZero", kZero, kS),
        OutOfRange("SZero", kR, kZero),
        OutOfRange("REqualsOrder", kOrder, kS),
        OutOfRange("SEqualsOrder", kR, kOrder),
        OutOfRange("RAboveOrder", kAllOnes, kS),
        OutOfRange("SAboveOrder", kR, kAllOnes)),
    [](const ::testing::TestParamInfo<VerificationCase>& testCase) { return testCase.param.name; });

}  // namespace
