#ifndef BASE_JSON_JSON_READER_H_
#define BASE_JSON_JSON_READER_H_

#include <optional>
#include <string>
#include <string_view>

#include "base/json/json_value.h"

// Why a read failed. The numbers and their messages (JsonReader::GetErrorText) are fixed.
enum class JsonParseError {
  kNoError = 0,
  kInvalidEscape = 1,
  kSyntaxError = 2,
  kUnexpectedToken = 3,
  kTrailingComma = 4,
  kTooMuchNesting = 5,
  kUnexpectedDataAfterRoot = 6,
  kUnsupportedEncoding = 7,
  kUnquotedDictionaryKey = 8,
};

// Reader options, combined as a bit set.
enum JsonReaderOptions : int {
  kJsonStrict = 0,
  // Accept a comma before the closing bracket of a dictionary or list.
  kJsonAllowTrailingCommas = 1,
  // Replace invalid UTF-8 and non-characters in strings by U+FFFD instead of failing.
  kJsonReplaceInvalidCharacters = 2,
};

// Where and why a read failed. |line| and |column| are 1-based and both 0 when the failure
// has no position (a number too large for a double); |message| is then empty too.
struct JsonReadError {
  JsonParseError code = JsonParseError::kNoError;
  std::string message;
  int line = 0;
  int column = 0;
};

// Parses JSON text (UTF-8, an optional byte-order mark) with two extensions: "//" and "/* */"
// comments between tokens, and the escapes \v and \xHH. Dictionaries and lists nest at most
// 199 deep. Numbers that fit a signed 32-bit integer without "." or exponent are integers,
// every other number a double. Never throws; any thread.
class JsonReader {
 public:
  // Returns the root value, or nullopt with |error| (when given) filled in. Nothing partial
  // is ever returned.
  static std::optional<JsonValue> Read(std::string_view text,
                                       int options = kJsonStrict,
                                       JsonReadError* error = nullptr);

  // The fixed message of |code| ("" for kNoError).
  static const char* GetErrorText(JsonParseError code);

  // "Line: <line>, column: <column>, <message of code>", or the bare message when both line
  // and column are 0.
  static std::string FormatErrorMessage(int line, int column, JsonParseError code);
};

#endif  // BASE_JSON_JSON_READER_H_
