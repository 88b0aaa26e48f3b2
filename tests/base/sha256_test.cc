#include "base/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string ToHex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (uint8_t byte : bytes) {
    std::snprintf(pair, sizeof(pair), "%02x", byte);
    text += pair;
  }
  return text;
}

std::string DigestHex(Sha256Engine engine, std::string_view message) {
  Sha256Hasher hasher(engine);
  hasher.Update(message.data(), message.size());
  return ToHex(hasher.Finish());
}

// Bytes (7i + 3) mod 256: every byte value, no text structure.
std::string PatternMessage(size_t length) {
  std::string message(length, '\0');
  for (size_t i = 0; i < length; ++i)
    message[i] = static_cast<char>((i * 7 + 3) % 256);
  return message;
}

// Every test runs on both compression functions. The SHA-extension runs are skipped on a
// processor without them (the machine this project is built on has them).
class Sha256EngineTest : public testing::TestWithParam<Sha256Engine> {
 protected:
  void SetUp() override {
    if (GetParam() == Sha256Engine::kFastest && !CpuHasShaExtensions())
      GTEST_SKIP() << "this processor has no SHA extensions";
  }
  Sha256Engine engine() const { return GetParam(); }
};

TEST_P(Sha256EngineTest, RunsTheRequestedCompression) {
  EXPECT_EQ(Sha256Hasher(engine()).UsesShaExtensions(), engine() == Sha256Engine::kFastest);
  EXPECT_EQ(Sha256Hasher(engine()).DigestSize(), 32u);
}

TEST_P(Sha256EngineTest, MatchesStandardVectors) {
  EXPECT_EQ(DigestHex(engine(), ""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestHex(engine(), "abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestHex(engine(), "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(DigestHex(engine(),
                      "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                      "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
}

TEST_P(Sha256EngineTest, OneMillionAInOneCallAndInUnevenPieces) {
  const std::string million(1000000, 'a');
  const char* expected = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
  EXPECT_EQ(DigestHex(engine(), million), expected);

  Sha256Hasher hasher(engine());
  size_t offset = 0;
  for (size_t piece = 1; offset < million.size(); piece = piece % 200 + 37) {
    const size_t take = std::min(piece, million.size() - offset);
    hasher.Update(million.data() + offset, take);
    offset += take;
  }
  EXPECT_EQ(ToHex(hasher.Finish()), expected);
}

// Padding needs a second block from 56 bytes into a block on; reference digests from an
// independent implementation.
TEST_P(Sha256EngineTest, LengthsAroundThePaddingEdges) {
  const struct {
    size_t length;
    const char* digest;
  } kCases[] = {
      {55, "e7313d333c272e639f790978283f9eb392e843d0f29b7016828bb1daa4aac70b"},
      {56, "4324d65f3c103567f5589c710bc08f8523f929a9272e3af36fc968e52abc6c27"},
      {57, "35df609437dcfea3279283ab79fd554e2bf78f8f7ae2de532d8ee300b09e8f73"},
      {63, "81c80242132f230c3bd41b3e63bbcff16107339549214a99614ff26664625055"},
      {64, "39e3d7b6b5d075d37d053ad89b24b41bef4f3c29760c84447cab3f3be1882241"},
      {65, "aacca6ff74fdbb296d165a45cecfa04e5127bc008770fbbdd48006f2d2fae95e"},
      {111, "67d9492e628fd376e0b2efec8ca2b99b123e202cf620deb270728df979b2f73e"},
      {119, "9ce7368e4daf32341631b492e80359dc9f594b48453cd0dd5bf0b19279cc177e"},
      {120, "7836b787757e95e58b3ca5aec90b1b004e8deba1e50e9675af9cabf1a13a04b5"},
      {128, "d2742f1f4ac6bb7ca2b239ee18402ba8b3f9f8e652d2a72973c2b9ba11c08cf6"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(DigestHex(engine(), PatternMessage(c.length)), c.digest) << c.length << " bytes";
}

TEST_P(Sha256EngineTest, FinishStartsAnEmptyMessage) {
  Sha256Hasher hasher(engine());
  hasher.Update("abc", 3);
  hasher.Finish();
  EXPECT_EQ(ToHex(hasher.Finish()),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  hasher.Update("abc", 3);
  EXPECT_EQ(ToHex(hasher.Finish()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

INSTANTIATE_TEST_SUITE_P(BothEngines,
                         Sha256EngineTest,
                         testing::Values(Sha256Engine::kPortable, Sha256Engine::kFastest),
                         [](const testing::TestParamInfo<Sha256Engine>& testCase) {
                           return testCase.param == Sha256Engine::kPortable ? "Portable"
                                                                            : "ShaExtensions";
                         });

// Random messages of every length from 0 to 300, each fed in two random pieces to one engine
// and whole to the other: both must agree.
TEST(Sha256Test, EnginesAgreeOnRandomMessages) {
  if (!CpuHasShaExtensions())
    GTEST_SKIP() << "this processor has no SHA extensions";
  std::mt19937 random(20240517);
  for (size_t length = 0; length <= 300; ++length) {
    std::string message(length, '\0');
    for (char& c : message)
      c = static_cast<char>(random());
    const size_t split = length == 0 ? 0 : random() % (length + 1);

    Sha256Hasher portable(Sha256Engine::kPortable);
    portable.Update(message.data(), split);
    portable.Update(message.data() + split, length - split);
    EXPECT_EQ(ToHex(portable.Finish()), DigestHex(Sha256Engine::kFastest, message))
        << length << " bytes, split at " << split;
  }
}

TEST(Sha256Test, DefaultEngineCanBeForcedToPortable) {
  ASSERT_EQ(GetDefaultSha256Engine(), Sha256Engine::kFastest);
  EXPECT_EQ(Sha256Hasher().UsesShaExtensions(), CpuHasShaExtensions());
  SetDefaultSha256Engine(Sha256Engine::kPortable);
  EXPECT_FALSE(Sha256Hasher().UsesShaExtensions());
  SetDefaultSha256Engine(Sha256Engine::kFastest);
  EXPECT_EQ(Sha256Hasher().UsesShaExtensions(), CpuHasShaExtensions());
}

}  // namespace
