#include "base/json/json_value.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonValueTest, TypeTagsKeepTheirNumbers) {
  EXPECT_EQ(static_cast<int>(JsonValue().GetType()), 0);
  EXPECT_EQ(static_cast<int>(JsonValue(true).GetType()), 1);
  EXPECT_EQ(static_cast<int>(JsonValue(int32_t{1}).GetType()), 2);
  EXPECT_EQ(static_cast<int>(JsonValue(1.5).GetType()), 3);
  EXPECT_EQ(static_cast<int>(JsonValue("s").GetType()), 4);
  EXPECT_EQ(static_cast<int>(JsonValue(JsonValue::Binary{1, 2}).GetType()), 5);
  EXPECT_EQ(static_cast<int>(JsonValue(JsonValue::Type::kDictionary).GetType()), 6);
  EXPECT_EQ(static_cast<int>(JsonValue(JsonValue::Type::kList).GetType()), 7);
}

TEST(JsonValueTest, SetKeyKeepsKeysSortedAndUnique) {
  JsonValue dictionary;
  dictionary.SetKey("b", JsonValue(int32_t{1}));
  dictionary.SetKey("a", JsonValue(int32_t{2}));
  dictionary.SetKey("c", JsonValue(int32_t{3}));
  dictionary.SetKey("a", JsonValue("replaced"));
  ASSERT_TRUE(dictionary.IsDictionary());
  const JsonValue::Dictionary& entries = dictionary.GetDictionary();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].first, "a");
  EXPECT_EQ(entries[0].second.GetString(), "replaced");
  EXPECT_EQ(entries[1].first, "b");
  EXPECT_EQ(entries[2].first, "c");
}

TEST(JsonValueTest, AccessorsOfAnotherTypeReturnEmptyValues) {
  const JsonValue text("x");
  EXPECT_FALSE(text.GetBool());
  EXPECT_EQ(text.GetInt(), 0);
  EXPECT_EQ(text.GetDouble(), 0.0);
  EXPECT_TRUE(text.GetList().empty());
  EXPECT_TRUE(text.GetDictionary().empty());
  EXPECT_EQ(JsonValue(int32_t{7}).GetString(), "");
  EXPECT_EQ(JsonValue(int32_t{7}).GetDouble(), 7.0);
  EXPECT_EQ(text.FindKey("x"), nullptr);
  EXPECT_EQ(text.AsDictionary(), nullptr);
}

TEST(JsonValueTest, TypedLookUpsTellAbsentFromWrongType) {
  JsonValue root;
  root.SetKey("number", JsonValue(int32_t{1}));
  root.SetKey("text", JsonValue("t"));
  JsonValue mixed(JsonValue::Type::kList);
  mixed.Append(JsonValue("a"));
  mixed.Append(JsonValue(int32_t{2}));
  root.SetKey("mixed", std::move(mixed));
  // Wrong type reads as absent, so callers never act on a value of the wrong kind.
  EXPECT_NE(root.FindKey("number"), nullptr);
  EXPECT_EQ(root.FindString("number"), nullptr);
  EXPECT_EQ(root.FindBool("text"), std::nullopt);
  EXPECT_EQ(root.FindList("text"), nullptr);
  EXPECT_NE(root.FindList("mixed"), nullptr);
  EXPECT_EQ(root.FindStringList("mixed"), std::nullopt);
}

TEST(JsonValueTest, FindPathWalksDictionariesOnly) {
  JsonValue inner;
  inner.SetKey("leaf", JsonValue(true));
  JsonValue root;
  root.SetKey("inner", std::move(inner));
  root.SetKey("text", JsonValue("t"));
  ASSERT_NE(root.FindPath({"inner", "leaf"}), nullptr);
  EXPECT_TRUE(root.FindPath({"inner", "leaf"})->GetBool());
  EXPECT_EQ(root.FindPath({"inner", "missing"}), nullptr);
  EXPECT_EQ(root.FindPath({"text", "leaf"}), nullptr);
  EXPECT_EQ(root.FindPath({"inner", "leaf", "deeper"}), nullptr);
}

TEST(JsonValueTest, CloneIsDeepAndEqual) {
  JsonValue root;
  JsonValue list(JsonValue::Type::kList);
  list.Append(JsonValue(1.5));
  list.Append(JsonValue(JsonValue::Binary{0, 255}));
  root.SetKey("list", std::move(list));
  JsonValue copy = root.Clone();
  EXPECT_EQ(copy, root);
  copy.SetKey("list", JsonValue());
  EXPECT_NE(copy, root);
  EXPECT_EQ(root.FindList("list")->size(), 2u);
  // Equality is type-exact.
  EXPECT_NE(JsonValue(int32_t{1}), JsonValue(1.0));
}

TEST(JsonValueTest, MoveLeavesPayloadWithTheTarget) {
  JsonValue source("payload");
  JsonValue target = std::move(source);
  EXPECT_EQ(target.GetString(), "payload");
}

}  // namespace
