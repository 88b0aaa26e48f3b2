#include "base/version.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionTest, ParsesDottedDecimalComponents) {
  const Version version("1.2.3.4");
  ASSERT_TRUE(version.IsValid());
  EXPECT_EQ(version.GetComponents(), (std::vector<uint32_t>{1, 2, 3, 4}));
  EXPECT_EQ(version.GetString(), "1.2.3.4");
}

TEST(VersionTest, RejectsMalformedText) {
  for (const char* text : {"", "1.2.3.4a", "1.2.-3", "1. 2", "+1.2", "1..2", "1.", ".1", " 1", "1 ",
                           "a", "-1", "1.+2", "."}) {
    EXPECT_FALSE(Version(text).IsValid()) << '"' << text << '"';
  }
}

TEST(VersionTest, ComponentsMustFitIn32Bits) {
  EXPECT_TRUE(Version("4294967295").IsValid());
  EXPECT_FALSE(Version("4294967296").IsValid());
  EXPECT_FALSE(Version("1.4294967296").IsValid());
  EXPECT_FALSE(Version("99999999999999999999999").IsValid());
}

TEST(VersionTest, OnlyTheFirstComponentRejectsLeadingZeros) {
  EXPECT_FALSE(Version("01.2").IsValid());
  EXPECT_FALSE(Version("00").IsValid());
  EXPECT_TRUE(Version("0.1").IsValid());
  const Version padded("1.02");
  ASSERT_TRUE(padded.IsValid());
  EXPECT_EQ(padded.GetString(), "1.2");
}

TEST(VersionTest, ComparesComponentByComponent) {
  EXPECT_EQ(Version("2.0").CompareTo(Version("1.9.9.9")), 1);
  EXPECT_EQ(Version("1.10").CompareTo(Version("1.9")), 1);
  EXPECT_EQ(Version("1.9").CompareTo(Version("1.10")), -1);
  EXPECT_EQ(Version("1.0.0.0").CompareTo(Version("1")), 0);
  EXPECT_EQ(Version("1.0.1").CompareTo(Version("1.0")), 1);
  EXPECT_EQ(Version("1.0").CompareTo(Version("1.0.1")), -1);
  EXPECT_EQ(Version("4294967295").CompareTo(Version("4294967294")), 1);
}

TEST(VersionTest, InvalidComparesLikeAllZeros) {
  const Version invalid("abc");
  EXPECT_EQ(invalid.CompareTo(Version("0.0")), 0);
  EXPECT_EQ(invalid.CompareTo(Version()), 0);
  EXPECT_EQ(invalid.CompareTo(Version("0.0.1")), -1);
  EXPECT_EQ(Version("0.0.1").CompareTo(invalid), 1);
}

TEST(VersionTest, UpdaterPlaceholdersAreValid) {
  EXPECT_EQ(Version("0.0.0.0").GetString(), "0.0.0.0");
  EXPECT_EQ(Version("255.255.255.255").GetString(), "255.255.255.255");
}

}  // namespace
