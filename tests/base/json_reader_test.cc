#include "base/json/json_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// Reads |text| expecting a failure and returns the error.
JsonReadError ReadError(std::string_view text, int options = kJsonStrict) {
  JsonReadError error;
  std::optional<JsonValue> value = JsonReader::Read(text, options, &error);
  EXPECT_FALSE(value.has_value()) << text;
  return error;
}

JsonParseError ErrorCode(std::string_view text, int options = kJsonStrict) {
  return ReadError(text, options).code;
}

JsonValue ReadOk(std::string_view text, int options = kJsonStrict) {
  JsonReadError error;
  std::optional<JsonValue> value = JsonReader::Read(text, options, &error);
  EXPECT_TRUE(value.has_value()) << text << ": " << error.message;
  EXPECT_EQ(error.code, JsonParseError::kNoError);
  return value ? std::move(*value) : JsonValue();
}

std::string ReadString(std::string_view text, int options = kJsonStrict) {
  JsonValue value = ReadOk(text, options);
  EXPECT_TRUE(value.IsString()) << text;
  return value.GetString();
}

TEST(JsonReaderTest, ReadsEveryKindOfValue) {
  JsonValue root = ReadOk(
      R"({"s": "text", "i": -12, "d": 2.5, "t": true, "f": false, "n": null,
          "l": [1, "two", [], {}], "o": {"inner": 1}})");
  ASSERT_TRUE(root.IsDictionary());
  EXPECT_EQ(*root.FindString("s"), "text");
  EXPECT_EQ(root.FindKey("i")->GetInt(), -12);
  EXPECT_EQ(root.FindKey("d")->GetDouble(), 2.5);
  EXPECT_EQ(root.FindBool("t"), true);
  EXPECT_EQ(root.FindBool("f"), false);
  EXPECT_TRUE(root.FindKey("n")->IsNone());
  const JsonValue::List* list = root.FindList("l");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 4u);
  EXPECT_EQ((*list)[1].GetString(), "two");
  EXPECT_TRUE((*list)[2].IsList());
  EXPECT_TRUE((*list)[3].IsDictionary());
  EXPECT_EQ(root.FindPath({"o", "inner"})->GetInt(), 1);
}

TEST(JsonReaderTest, NullRootIsAValue) {
  std::optional<JsonValue> value = JsonReader::Read("null");
  ASSERT_TRUE(value.has_value());
  EXPECT_TRUE(value->IsNone());
}

TEST(JsonReaderTest, TrailingCommasNeedTheOption) {
  for (const char* text : {"[1,]", "{\"a\":1,}", "[[],]", "{\"a\":{},}"}) {
    EXPECT_EQ(ErrorCode(text), JsonParseError::kTrailingComma) << text;
    EXPECT_TRUE(JsonReader::Read(text, kJsonAllowTrailingCommas).has_value()) << text;
  }
  // The option allows one comma after an element, not an empty element.
  EXPECT_EQ(ErrorCode("[1,,]", kJsonAllowTrailingCommas), JsonParseError::kUnexpectedToken);
  EXPECT_EQ(ErrorCode("[,]", kJsonAllowTrailingCommas), JsonParseError::kUnexpectedToken);
  EXPECT_EQ(ErrorCode("{,}", kJsonAllowTrailingCommas), JsonParseError::kUnquotedDictionaryKey);
  EXPECT_EQ(ErrorCode("{\"a\":1,,}", kJsonAllowTrailingCommas),
            JsonParseError::kUnquotedDictionaryKey);
}

TEST(JsonReaderTest, CommentsAreSkippedLikeWhiteSpace) {
  JsonValue withComments = ReadOk(
      "// leading\n{\"a\": 1 /* after value */, // line comment\r\n \"b\": [2 /**/,3]}"
      "/* trailing */ // end");
  JsonValue plain = ReadOk("{\"a\": 1, \"b\": [2, 3]}");
  EXPECT_EQ(withComments, plain);
  // An unclosed block comment runs to the end of the input.
  EXPECT_TRUE(JsonReader::Read("[1] /* never closed").has_value());
  EXPECT_EQ(ErrorCode("[1 /* never closed"), JsonParseError::kSyntaxError);
  // A lone slash is not a comment.
  EXPECT_EQ(ErrorCode("/ 1"), JsonParseError::kUnexpectedToken);
}

TEST(JsonReaderTest, LaterDuplicateKeyWins) {
  JsonValue root = ReadOk(R"({"a": 1, "b": 0, "a": 2})");
  EXPECT_EQ(root.FindKey("a")->GetInt(), 2);
  EXPECT_EQ(root.GetDictionary().size(), 2u);
}

TEST(JsonReaderTest, KeysAreSortedBytewise) {
  JsonValue root = ReadOk("{\"\xC3\xA9\": 1, \"b\": 2, \"B\": 3, \"a\": 4}");
  std::string order;
  for (const auto& [key, value] : root.GetDictionary())
    order += key + ",";
  EXPECT_EQ(order, "B,a,b,\xC3\xA9,");
}

TEST(JsonReaderTest, StructureErrors) {
  EXPECT_EQ(ErrorCode("{a: 1}"), JsonParseError::kUnquotedDictionaryKey);
  EXPECT_EQ(ErrorCode("{1: 1}"), JsonParseError::kUnquotedDictionaryKey);
  EXPECT_EQ(ErrorCode("{\"a\" 1}"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("{\"a\": 1 \"b\": 2}"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("[1 2]"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("[true false]"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("[,1]"), JsonParseError::kUnexpectedToken);
  EXPECT_EQ(ErrorCode("[1,,2]"), JsonParseError::kUnexpectedToken);
  EXPECT_EQ(ErrorCode("[}"), JsonParseError::kUnexpectedToken);
  EXPECT_EQ(ErrorCode("[1"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("{\"a\":1"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("["), JsonParseError::kUnexpectedToken);
  EXPECT_EQ(ErrorCode("{\"a\":"), JsonParseError::kUnexpectedToken);
}

TEST(JsonReaderTest, EmptyInputIsAnUnexpectedToken) {
  for (const char* text : {"", " \t\r\n", "// only a comment", "/* x */", "+1", ".5", "'a'"})
    EXPECT_EQ(ErrorCode(text), JsonParseError::kUnexpectedToken) << '"' << text << '"';
}

TEST(JsonReaderTest, DataAfterRoot) {
  EXPECT_EQ(ErrorCode("{} x"), JsonParseError::kUnexpectedDataAfterRoot);
  EXPECT_EQ(ErrorCode("{}{}"), JsonParseError::kUnexpectedDataAfterRoot);
  EXPECT_EQ(ErrorCode("true false"), JsonParseError::kUnexpectedDataAfterRoot);
  EXPECT_EQ(ErrorCode("1 ]"), JsonParseError::kUnexpectedDataAfterRoot);
  for (const char* text : {"{}   ", "{} // c", "{} /* c */", "{}\n", "{}\r\n"})
    EXPECT_TRUE(JsonReader::Read(text).has_value()) << text;
}

TEST(JsonReaderTest, LiteralsMustBeComplete) {
  EXPECT_EQ(ErrorCode("tru"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("[fals]"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("nul"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("trUe"), JsonParseError::kSyntaxError);
}

TEST(JsonReaderTest, NumberSyntax) {
  for (const char* text : {"01", "1.", "1e", "1e+", "-", "-a", "1.e5", "00", "-01", "1x"})
    EXPECT_EQ(ErrorCode(text), JsonParseError::kSyntaxError) << text;
  // After a number only a separator, a closing bracket or the end may follow.
  EXPECT_EQ(ErrorCode("{\"a\":1:2}"), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("1 x"), JsonParseError::kSyntaxError);
  EXPECT_TRUE(JsonReader::Read("[1/*c*/,2]").has_value());
}

TEST(JsonReaderTest, IntegersAndDoubles) {
  JsonValue zero = ReadOk("-0");
  EXPECT_TRUE(zero.IsInt());
  EXPECT_EQ(zero.GetInt(), 0);
  EXPECT_TRUE(ReadOk("2147483647").IsInt());
  EXPECT_EQ(ReadOk("-2147483648").GetInt(), INT32_MIN);
  JsonValue big = ReadOk("2147483648");
  ASSERT_TRUE(big.IsDouble());
  EXPECT_EQ(big.GetDouble(), 2147483648.0);
  EXPECT_TRUE(ReadOk("-2147483649").IsDouble());
  EXPECT_TRUE(ReadOk("1.0").IsDouble());
  JsonValue exponent = ReadOk("1e2");
  ASSERT_TRUE(exponent.IsDouble());
  EXPECT_EQ(exponent.GetDouble(), 100.0);
  EXPECT_EQ(ReadOk("-1.25E-2").GetDouble(), -0.0125);
  EXPECT_EQ(ReadOk("0.1").GetDouble(), 0.1);
}

TEST(JsonReaderTest, InfiniteNumberFailsWithoutCode) {
  for (const char* text : {"1e999", "-1e999", "[1e400]", "123456789e999999999999999999"}) {
    JsonReadError error = ReadError(text);
    EXPECT_EQ(error.code, JsonParseError::kNoError) << text;
    EXPECT_EQ(error.message, "") << text;
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.column, 0);
  }
}

TEST(JsonReaderTest, TinyNumbersBecomeZeroOrSubnormal) {
  EXPECT_EQ(ReadOk("1e-999").GetDouble(), 0.0);
  JsonValue negative = ReadOk("-1e-999");
  ASSERT_TRUE(negative.IsDouble());
  EXPECT_TRUE(std::signbit(negative.GetDouble()));
  EXPECT_GT(ReadOk("5e-324").GetDouble(), 0.0);
  EXPECT_EQ(ReadOk("0e99999").GetDouble(), 0.0);
}

TEST(JsonReaderTest, SimpleEscapes) {
  EXPECT_EQ(ReadString(R"("\"\\\/\b\f\n\r\t\v")"), "\"\\/\b\f\n\r\t\v");
  EXPECT_EQ(ReadString(R"("\x41\x7a\x00")"), std::string("Az\0", 3));
  EXPECT_EQ(ReadString(R"("\xe9\xFF")"), "\xC3\xA9\xC3\xBF");
  for (const char* text : {R"("\a")", R"("\x4")", R"("\xG1")", R"("\U0041")", "\"\\", R"("\')"})
    EXPECT_EQ(ErrorCode(text), JsonParseError::kInvalidEscape) << text;
}

TEST(JsonReaderTest, UnicodeEscapes) {
  EXPECT_EQ(ReadString(R"("\u00e9")"), ReadString("\"\xC3\xA9\""));
  EXPECT_EQ(ReadString(R"("\u00E9")"), "\xC3\xA9");
  EXPECT_EQ(ReadString(R"("\ud83d\ude00")"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ReadString(R"("\u0000")"), std::string(1, '\0'));
  EXPECT_EQ(ReadString(R"("\uFFFD")"), "\xEF\xBF\xBD");
  for (const char* text : {R"("\ude00")", R"("\ud83d")", R"("\ud83dx")", R"("\ud83d\u0041")",
                           R"("\ud83d\ud83d")", R"("\u12")", R"("\u12G4")", R"("\u+123")"}) {
    EXPECT_EQ(ErrorCode(text), JsonParseError::kInvalidEscape) << text;
  }
}

TEST(JsonReaderTest, NonCharacterEscapes) {
  for (const char* text : {R"("\uFFFE")", R"("\uFFFF")", R"("\uFDD0")", R"("\uFDEF")"}) {
    EXPECT_EQ(ErrorCode(text), JsonParseError::kInvalidEscape) << text;
    EXPECT_EQ(ReadString(text, kJsonReplaceInvalidCharacters), "\xEF\xBF\xBD") << text;
  }
  // A pair that makes U+1FFFE is refused even when replacing.
  EXPECT_EQ(ErrorCode(R"("\ud83f\udffe")", kJsonReplaceInvalidCharacters),
            JsonParseError::kInvalidEscape);
}

TEST(JsonReaderTest, RawUtf8IsValidated) {
  EXPECT_EQ(ReadString("\"\xF0\x9F\x98\x80 \xE2\x82\xAC\""), "\xF0\x9F\x98\x80 \xE2\x82\xAC");
  for (const char* text :
       {"\"\xFF\"", "\"\xFE\"", "\"\x80\"", "\"\xC3\"", "\"\xC3(\"", "\"\xC0\x80\"",
        "\"\xE0\x80\x80\"", "\"\xED\xA0\x80\"", "\"\xEF\xBF\xBE\"", "\"\xEF\xB7\x90\"",
        "\"\xF4\x90\x80\x80\"", "\"\xF8\x88\x80\x80\x80\"", "\"\xF0\x9F\xBF\xBF\""}) {
    EXPECT_EQ(ErrorCode(text), JsonParseError::kUnsupportedEncoding)
        << testing::PrintToString(text);
  }
}

TEST(JsonReaderTest, ReplacementOption) {
  EXPECT_EQ(ReadString("\"a\xFF"
                       "b\"",
                       kJsonReplaceInvalidCharacters),
            "a\xEF\xBF\xBD"
            "b");
  // A broken sequence is replaced as a whole; the byte that broke it is read again.
  EXPECT_EQ(ReadString("\"\xE2\x82(\"", kJsonReplaceInvalidCharacters), "\xEF\xBF\xBD(");
  EXPECT_EQ(ReadString("\"\xED\xA0\x80\"", kJsonReplaceInvalidCharacters), "\xEF\xBF\xBD");
  // A sequence cut by the end of the input still leaves the string unterminated.
  EXPECT_EQ(ErrorCode("\"\xE2\x82", kJsonReplaceInvalidCharacters), JsonParseError::kSyntaxError);
  EXPECT_EQ(ErrorCode("\"\xE2\x82"), JsonParseError::kUnsupportedEncoding);
}

TEST(JsonReaderTest, ControlCharactersInStringsAreKept) {
  EXPECT_EQ(ReadString("\"a\tb\nc\x01\""), "a\tb\nc\x01");
  EXPECT_EQ(ErrorCode("\"unterminated"), JsonParseError::kSyntaxError);
}

TEST(JsonReaderTest, NestingLimit) {
  const std::string lists199 = std::string(199, '[') + std::string(199, ']');
  EXPECT_TRUE(JsonReader::Read(lists199).has_value());
  const std::string lists200 = std::string(200, '[') + std::string(200, ']');
  EXPECT_EQ(ErrorCode(lists200), JsonParseError::kTooMuchNesting);
  std::string mixed;
  for (int i = 0; i < 100; ++i)
    mixed += "{\"k\":[";
  EXPECT_EQ(ErrorCode(mixed), JsonParseError::kTooMuchNesting);
  // The limit counts depth, not the number of containers.
  std::string wide = "[";
  for (int i = 0; i < 1000; ++i)
    wide += "[[]],";
  wide += "1]";
  EXPECT_TRUE(JsonReader::Read(wide).has_value());
}

TEST(JsonReaderTest, ByteOrderMarkIsSkippedButCounted) {
  EXPECT_EQ(ReadOk("\xEF\xBB\xBF{\"a\":1}").FindKey("a")->GetInt(), 1);
  JsonReadError error = ReadError("\xEF\xBB\xBF{x}");
  EXPECT_EQ(error.code, JsonParseError::kUnquotedDictionaryKey);
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(error.column, 5);
  // Only at the very start.
  EXPECT_EQ(ErrorCode(" \xEF\xBB\xBF{}"), JsonParseError::kUnexpectedToken);
}

TEST(JsonReaderTest, ErrorPositionOnFirstLine) {
  JsonReadError error = ReadError("[1, x]");
  EXPECT_EQ(error.code, JsonParseError::kUnexpectedToken);
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(error.column, 5);
  EXPECT_EQ(error.message, "Line: 1, column: 5, Unexpected token.");
  error = ReadError("x");
  EXPECT_EQ(error.column, 1);
}

TEST(JsonReaderTest, ErrorPositionOnLaterLines) {
  // Column counts from the line-break byte itself, so the first byte of a line is column 2.
  JsonReadError error = ReadError("{\n\"a\": 1,\n\"b\" 2}");
  EXPECT_EQ(error.code, JsonParseError::kSyntaxError);
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.column, 6);
  EXPECT_EQ(error.message, "Line: 3, column: 6, Syntax error.");
  error = ReadError("[\nx]");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.column, 2);
}

TEST(JsonReaderTest, CarriageReturnLineFeedIsOneBreak) {
  JsonReadError crlf = ReadError("[1,\r\n\r\n x]");
  EXPECT_EQ(crlf.line, 3);
  EXPECT_EQ(crlf.column, 3);
  JsonReadError cr = ReadError("[1,\r\r x]");
  EXPECT_EQ(cr.line, 3);
  EXPECT_EQ(cr.column, 3);
  JsonReadError lfcr = ReadError("[1,\n\r x]");
  EXPECT_EQ(lfcr.line, 3);
}

TEST(JsonReaderTest, LineBreaksInCommentsAndStringsCount) {
  JsonReadError error = ReadError("/*\n\n*/ [\"a\nb\", x]");
  EXPECT_EQ(error.line, 4);
  EXPECT_EQ(error.column, 6);
}

TEST(JsonReaderTest, ErrorPositionsPointAtTheCause) {
  EXPECT_EQ(ReadError("[1,]").column, 4);                   // the closing bracket
  EXPECT_EQ(ReadError("{} x").column, 4);                   // the extra data
  EXPECT_EQ(ReadError("[\"a\\q\"]").column, 4);             // the backslash
  EXPECT_EQ(ReadError("[\"a\xFF\"]").column, 4);            // the bad byte
  EXPECT_EQ(ReadError("\"abc").column, 5);                  // the end of the input
  EXPECT_EQ(ReadError("01").column, 2);                     // what follows the number
  EXPECT_EQ(ReadError(std::string(200, '[')).column, 200);  // the 200th bracket
}

TEST(JsonReaderTest, ErrorMessages) {
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kNoError), "");
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kInvalidEscape),
               "Invalid escape sequence.");
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kTrailingComma),
               "Trailing comma not allowed.");
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kTooMuchNesting), "Too much nesting.");
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kUnexpectedDataAfterRoot),
               "Unexpected data after root element.");
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kUnsupportedEncoding),
               "Unsupported encoding. JSON must be UTF-8.");
  EXPECT_STREQ(JsonReader::GetErrorText(JsonParseError::kUnquotedDictionaryKey),
               "Dictionary keys must be quoted.");
  EXPECT_EQ(JsonReader::FormatErrorMessage(0, 0, JsonParseError::kSyntaxError), "Syntax error.");
  EXPECT_EQ(JsonReader::FormatErrorMessage(2, 7, JsonParseError::kUnexpectedToken),
            "Line: 2, column: 7, Unexpected token.");
}

TEST(JsonReaderTest, SuccessClearsTheErrorOutputs) {
  JsonReadError error{JsonParseError::kSyntaxError, "stale", 9, 9};
  ASSERT_TRUE(JsonReader::Read("[]", kJsonStrict, &error).has_value());
  EXPECT_EQ(error.code, JsonParseError::kNoError);
  EXPECT_EQ(error.message, "");
  EXPECT_EQ(error.line, 0);
}

// The shape of the update server's answer, as the updater reads it.
TEST(JsonReaderTest, UpdateAnswerLookUps) {
  JsonValue root = ReadOk(R"({
      "version": "2.0.1.5",
      "hash": "AB12",
      "run_admin": true,
      "default": ["http://a/x.exe", "http://b/x.exe",],
      "backup": [],
      "extra": {"ignored": 1},
    })",
                          kJsonAllowTrailingCommas);
  ASSERT_NE(root.AsDictionary(), nullptr);
  EXPECT_EQ(*root.FindString("version"), "2.0.1.5");
  EXPECT_EQ(root.FindBool("run_admin"), true);
  EXPECT_EQ(root.FindStringList("default"),
            (std::vector<std::string>{"http://a/x.exe", "http://b/x.exe"}));
  EXPECT_EQ(root.FindStringList("backup"), std::vector<std::string>{});
  EXPECT_EQ(root.FindString("missing"), nullptr);
  EXPECT_EQ(root.FindBool("missing"), std::nullopt);
  EXPECT_EQ(root.FindStringList("missing"), std::nullopt);
  EXPECT_EQ(ReadOk("[1]").AsDictionary(), nullptr);
}

}  // namespace
