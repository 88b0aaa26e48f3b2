#include "base/json/json_reader.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

#include "base/hex.h"

namespace {

// The nesting depth at which a dictionary or list is refused.
constexpr int kMaxDepth = 200;

constexpr uint32_t kReplacementCharacter = 0xFFFD;

enum class Token {
  kDictionaryBegin,
  kDictionaryEnd,
  kListBegin,
  kListEnd,
  kString,
  kNumber,
  kTrue,
  kFalse,
  kNull,
  kListSeparator,
  kPairSeparator,
  kEndOfInput,
  kInvalid,
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsHighSurrogate(uint32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(uint32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Code points a string may hold: no surrogates, no non-characters, nothing past U+10FFFF.
bool IsValidCharacter(uint32_t c) {
  return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF) && !(c >= 0xFDD0 && c <= 0xFDEF) &&
         (c & 0xFFFE) != 0xFFFE;
}

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The decimal exponent E of |number| written as 0.d1d2... x 10^E with d1 != 0. Only its sign
// matters: it tells an overflowing number from an underflowing one.
long long MagnitudeExponent(std::string_view number) {
  size_t i = number.front() == '-' ? 1 : 0;
  long long integerDigits = 0;
  long long position = 0;  // exponent contribution of the first non-zero digit
  bool found = false;
  for (; i < number.size() && IsDigit(number[i]); ++i, ++integerDigits) {
    if (!found && number[i] != '0') {
      found = true;
      position = -integerDigits;
    }
  }
  if (found)
    position += integerDigits;
  if (i < number.size() && number[i] == '.') {
    long long fractionIndex = 0;
    for (++i; i < number.size() && IsDigit(number[i]); ++i, ++fractionIndex) {
      if (!found && number[i] != '0') {
        found = true;
        position = -fractionIndex;
      }
    }
  }
  long long exponent = 0;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    const bool negative = number[i] == '-';
    if (number[i] == '-' || number[i] == '+')
      ++i;
    for (; i < number.size(); ++i) {
      exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000'000LL);
    }
    if (negative)
      exponent = -exponent;
  }
  return found ? position + exponent : LLONG_MIN;
}

class Parser {
 public:
  Parser(std::string_view input, int parseOptions) : text(input), options(parseOptions) {}

  std::optional<JsonValue> Run() {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
      pos = kByteOrderMark.size();
    std::optional<JsonValue> root = ParseValue();
    if (!root)
      return std::nullopt;
    SkipWhitespaceAndComments();
    if (pos != text.size())
      return Fail(JsonParseError::kUnexpectedDataAfterRoot, pos);
    return root;
  }

  void FillError(JsonReadError* error) const {
    error->code = code;
    error->line = 0;
    error->column = 0;
    if (hasPosition)
      ComputePosition(errorIndex, &error->line, &error->column);
    error->message = JsonReader::FormatErrorMessage(error->line, error->column, code);
  }

 private:
  std::nullopt_t Fail(JsonParseError failure, size_t index) {
    code = failure;
    errorIndex = index;
    hasPosition = true;
    return std::nullopt;
  }

  std::nullopt_t FailWithoutPosition() {
    code = JsonParseError::kNoError;
    hasPosition = false;
    return std::nullopt;
  }

  // Line breaks anywhere before |index| count; a CR LF pair is one break.
  void ComputePosition(size_t index, int* line, int* column) const {
    size_t lines = 1;
    size_t lastBreak = 0;
    for (size_t i = 0; i < index && i < text.size(); ++i) {
      if (text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')))
        ++lines;
      if (text[i] == '\r' || text[i] == '\n')
        lastBreak = i;
    }
    *line = static_cast<int>(std::min<size_t>(lines, INT_MAX));
    *column = static_cast<int>(std::min<size_t>(index - lastBreak + 1, INT_MAX));
  }

  bool AtEnd() const { return pos >= text.size(); }

  void SkipWhitespaceAndComments() {
    while (!AtEnd()) {
      const char c = text[pos];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++pos;
      } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '/') {
        pos += 2;
        while (!AtEnd() && text[pos] != '\r' && text[pos] != '\n')
          ++pos;
      } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
        const size_t end = text.find("*/", pos + 2);
        pos = end == std::string_view::npos ? text.size() : end + 2;
      } else {
        return;
      }
    }
  }

  // The token starting at |pos|, which must already be past white space.
  Token PeekToken() const {
    if (AtEnd())
      return Token::kEndOfInput;
    switch (text[pos]) {
      case '{':
        return Token::kDictionaryBegin;
      case '}':
        return Token::kDictionaryEnd;
      case '[':
        return Token::kListBegin;
      case ']':
        return Token::kListEnd;
      case '"':
        return Token::kString;
      case 't':
        return Token::kTrue;
      case 'f':
        return Token::kFalse;
      case 'n':
        return Token::kNull;
      case ',':
        return Token::kListSeparator;
      case ':':
        return Token::kPairSeparator;
      default:
        return text[pos] == '-' || IsDigit(text[pos]) ? Token::kNumber : Token::kInvalid;
    }
  }

  Token NextToken() {
    SkipWhitespaceAndComments();
    return PeekToken();
  }

  std::optional<JsonValue> ParseValue() {
    switch (NextToken()) {
      case Token::kDictionaryBegin:
        return ParseDictionary();
      case Token::kListBegin:
        return ParseList();
      case Token::kString: {
        std::string value;
        if (!ParseString(&value))
          return std::nullopt;
        return JsonValue(std::move(value));
      }
      case Token::kNumber:
        return ParseNumber();
      case Token::kTrue:
        return ParseLiteral("true", JsonValue(true));
      case Token::kFalse:
        return ParseLiteral("false", JsonValue(false));
      case Token::kNull:
        return ParseLiteral("null", JsonValue());
      default:
        return Fail(JsonParseError::kUnexpectedToken, pos);
    }
  }

  bool EnterContainer() {
    if (++depth >= kMaxDepth) {
      Fail(JsonParseError::kTooMuchNesting, pos);
      return false;
    }
    ++pos;  // the opening bracket
    return true;
  }

  // Where a container goes after one of its elements.
  enum class Step { kNextElement, kClosed, kFailed };

  // The step after an opening bracket: an empty container is closed at once.
  Step FirstStep(Token close) {
    if (NextToken() != close)
      return Step::kNextElement;
    ++pos;
    return Step::kClosed;
  }

  // The step after an element: "," leads to the next one and |close| ends the container;
  // a comma right before |close| needs the trailing-comma option.
  Step StepAfterElement(Token close) {
    const Token next = NextToken();
    if (next == close) {
      ++pos;
      return Step::kClosed;
    }
    if (next != Token::kListSeparator) {
      Fail(JsonParseError::kSyntaxError, pos);
      return Step::kFailed;
    }
    ++pos;
    if (NextToken() != close)
      return Step::kNextElement;
    if (!(options & kJsonAllowTrailingCommas)) {
      Fail(JsonParseError::kTrailingComma, pos);
      return Step::kFailed;
    }
    ++pos;
    return Step::kClosed;
  }

  std::optional<JsonValue> ParseDictionary() {
    if (!EnterContainer())
      return std::nullopt;
    JsonValue::Dictionary entries;
    Step step = FirstStep(Token::kDictionaryEnd);
    while (step == Step::kNextElement) {
      if (NextToken() != Token::kString)
        return Fail(JsonParseError::kUnquotedDictionaryKey, pos);
      std::string key;
      if (!ParseString(&key))
        return std::nullopt;
      if (NextToken() != Token::kPairSeparator)
        return Fail(JsonParseError::kSyntaxError, pos);
      ++pos;
      std::optional<JsonValue> value = ParseValue();
      if (!value)
        return std::nullopt;
      entries.emplace_back(std::move(key), std::move(*value));
      step = StepAfterElement(Token::kDictionaryEnd);
    }
    if (step == Step::kFailed)
      return std::nullopt;
    --depth;
    return MakeDictionary(std::move(entries));
  }

  // Sorts by key and, among equal keys, keeps the one that came last in the text.
  static JsonValue MakeDictionary(JsonValue::Dictionary entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    JsonValue dictionary(JsonValue::Type::kDictionary);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first)
        continue;
      dictionary.SetKey(std::move(entries[i].first), std::move(entries[i].second));
    }
    return dictionary;
  }

  std::optional<JsonValue> ParseList() {
    if (!EnterContainer())
      return std::nullopt;
    JsonValue list(JsonValue::Type::kList);
    Step step = FirstStep(Token::kListEnd);
    while (step == Step::kNextElement) {
      std::optional<JsonValue> value = ParseValue();
      if (!value)
        return std::nullopt;
      list.Append(std::move(*value));
      step = StepAfterElement(Token::kListEnd);
    }
    if (step == Step::kFailed)
      return std::nullopt;
    --depth;
    return list;
  }

  std::optional<JsonValue> ParseLiteral(std::string_view word, JsonValue value) {
    if (text.substr(pos, word.size()) != word)
      return Fail(JsonParseError::kSyntaxError, pos);
    pos += word.size();
    return value;
  }

  bool SkipDigits() {
    if (AtEnd() || !IsDigit(text[pos])) {
      Fail(JsonParseError::kSyntaxError, pos);
      return false;
    }
    while (!AtEnd() && IsDigit(text[pos]))
      ++pos;
    return true;
  }

  std::optional<JsonValue> ParseNumber() {
    const size_t start = pos;
    if (text[pos] == '-')
      ++pos;
    if (!AtEnd() && text[pos] == '0') {
      ++pos;
    } else if (!SkipDigits()) {
      return std::nullopt;
    }
    bool integral = true;
    if (!AtEnd() && text[pos] == '.') {
      integral = false;
      ++pos;
      if (!SkipDigits())
        return std::nullopt;
    }
    if (!AtEnd() && (text[pos] == 'e' || text[pos] == 'E')) {
      integral = false;
      ++pos;
      if (!AtEnd() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
      if (!SkipDigits())
        return std::nullopt;
    }
    const std::string_view number = text.substr(start, pos - start);

    const Token next = NextToken();
    if (next != Token::kListSeparator && next != Token::kDictionaryEnd && next != Token::kListEnd &&
        next != Token::kEndOfInput) {
      return Fail(JsonParseError::kSyntaxError, pos);
    }

    if (integral) {
      int32_t value = 0;
      const auto [end, status] =
          std::from_chars(number.data(), number.data() + number.size(), value);
      if (status == std::errc() && end == number.data() + number.size())
        return JsonValue(value);
    }
    double value = 0;
    const auto [end, status] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (status == std::errc::result_out_of_range) {
      if (MagnitudeExponent(number) > 0)
        return FailWithoutPosition();
      // Too small for a double: the nearest value is a zero of the number's sign.
      value = number.front() == '-' ? -0.0 : 0.0;
    } else if (status != std::errc() || end != number.data() + number.size()) {
      return Fail(JsonParseError::kSyntaxError, start);
    }
    if (!std::isfinite(value))
      return FailWithoutPosition();
    return JsonValue(value);
  }

  // Reads the string token at |pos| into |out| as UTF-8.
  bool ParseString(std::string* out) {
    ++pos;  // the opening quote
    while (true) {
      if (AtEnd()) {
        Fail(JsonParseError::kSyntaxError, pos);
        return false;
      }
      const unsigned char c = static_cast<unsigned char>(text[pos]);
      if (c == '"') {
        ++pos;
        return true;
      }
      if (c == '\\') {
        if (!ParseEscape(out))
          return false;
      } else if (c < 0x80) {
        out->push_back(static_cast<char>(c));
        ++pos;
      } else if (!ParseUtf8Sequence(out)) {
        return false;
      }
    }
  }

  // The value of |digits| hexadecimal digits at |index|, or -1.
  long ReadHex(size_t index, size_t digits) const {
    if (index + digits > text.size())
      return -1;
    long value = 0;
    for (size_t i = 0; i < digits; ++i) {
      const int digit = HexDigitValue(text[index + i]);
      if (digit < 0)
        return -1;
      value = value * 16 + digit;
    }
    return value;
  }

  bool ParseEscape(std::string* out) {
    const size_t backslash = pos;
    auto invalid = [&] {
      Fail(JsonParseError::kInvalidEscape, backslash);
      return false;
    };
    if (backslash + 1 >= text.size())
      return invalid();
    const char kind = text[backslash + 1];
    pos = backslash + 2;
    switch (kind) {
      case '"':
      case '\\':
      case '/':
        out->push_back(kind);
        return true;
      case 'b':
        out->push_back('\b');
        return true;
      case 'f':
        out->push_back('\f');
        return true;
      case 'n':
        out->push_back('\n');
        return true;
      case 'r':
        out->push_back('\r');
        return true;
      case 't':
        out->push_back('\t');
        return true;
      case 'v':
        out->push_back('\v');
        return true;
      case 'x': {
        const long value = ReadHex(pos, 2);
        if (value < 0)
          return invalid();
        pos += 2;
        AppendUtf8(static_cast<uint32_t>(value), out);
        return true;
      }
      case 'u':
        return ParseUnicodeEscape(backslash, out);
      default:
        return invalid();
    }
  }

  // |pos| is just past "\u".
  bool ParseUnicodeEscape(size_t backslash, std::string* out) {
    auto invalid = [&] {
      Fail(JsonParseError::kInvalidEscape, backslash);
      return false;
    };
    const long first = ReadHex(pos, 4);
    if (first < 0 || IsLowSurrogate(static_cast<uint32_t>(first)))
      return invalid();
    pos += 4;
    if (IsHighSurrogate(static_cast<uint32_t>(first))) {
      if (text.substr(pos, 2) != "\\u")
        return invalid();
      const long second = ReadHex(pos + 2, 4);
      if (second < 0 || !IsLowSurrogate(static_cast<uint32_t>(second)))
        return invalid();
      pos += 6;
      const uint32_t character = 0x10000 + ((static_cast<uint32_t>(first) - 0xD800) << 10) +
                                 (static_cast<uint32_t>(second) - 0xDC00);
      if (!IsValidCharacter(character))
        return invalid();
      AppendUtf8(character, out);
      return true;
    }
    uint32_t character = static_cast<uint32_t>(first);
    if (!IsValidCharacter(character)) {
      if (!(options & kJsonReplaceInvalidCharacters))
        return invalid();
      character = kReplacementCharacter;
    }
    AppendUtf8(character, out);
    return true;
  }

  // A byte from 0x80 on at |pos|: one UTF-8 sequence, copied when it encodes a valid
  // character, otherwise refused or replaced by U+FFFD.
  bool ParseUtf8Sequence(std::string* out) {
    const size_t lead = pos;
    const unsigned char first = static_cast<unsigned char>(text[lead]);
    size_t length = 1;
    uint32_t character = 0;
    if (first >= 0xC0 && first < 0xFE) {
      length = first < 0xE0 ? 2 : first < 0xF0 ? 3 : first < 0xF8 ? 4 : first < 0xFC ? 5 : 6;
      character = first & (0x7F >> length);
    }
    bool valid = length > 1;
    size_t consumed = 1;
    for (; valid && consumed < length; ++consumed) {
      if (lead + consumed >= text.size() ||
          (static_cast<unsigned char>(text[lead + consumed]) & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      character = (character << 6) | (static_cast<unsigned char>(text[lead + consumed]) & 0x3F);
    }
    if (valid) {
      static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
      valid = character >= kShortest[length] && IsValidCharacter(character);
    }
    if (valid) {
      out->append(text.substr(lead, length));
      pos = lead + length;
      return true;
    }
    if (!(options & kJsonReplaceInvalidCharacters)) {
      Fail(JsonParseError::kUnsupportedEncoding, lead);
      return false;
    }
    AppendUtf8(kReplacementCharacter, out);
    pos = lead + consumed;
    return true;
  }

  const std::string_view text;
  const int options;
  size_t pos = 0;
  int depth = 0;
  JsonParseError code = JsonParseError::kNoError;
  size_t errorIndex = 0;
  bool hasPosition = false;
};

}  // namespace

std::optional<JsonValue> JsonReader::Read(std::string_view text,
                                          int options,
                                          JsonReadError* error) {
  Parser parser(text, options);
  std::optional<JsonValue> root = parser.Run();
  if (error) {
    if (root)
      *error = JsonReadError();
    else
      parser.FillError(error);
  }
  return root;
}

const char* JsonReader::GetErrorText(JsonParseError code) {
  switch (code) {
    case JsonParseError::kNoError:
      return "";
    case JsonParseError::kInvalidEscape:
      return "Invalid escape sequence.";
    case JsonParseError::kSyntaxError:
      return "Syntax error.";
    case JsonParseError::kUnexpectedToken:
      return "Unexpected token.";
    case JsonParseError::kTrailingComma:
      return "Trailing comma not allowed.";
    case JsonParseError::kTooMuchNesting:
      return "Too much nesting.";
    case JsonParseError::kUnexpectedDataAfterRoot:
      return "Unexpected data after root element.";
    case JsonParseError::kUnsupportedEncoding:
      return "Unsupported encoding. JSON must be UTF-8.";
    case JsonParseError::kUnquotedDictionaryKey:
      return "Dictionary keys must be quoted.";
  }
  return "";
}

std::string JsonReader::FormatErrorMessage(int line, int column, JsonParseError code) {
  if (line == 0 && column == 0)
    return GetErrorText(code);
  char buffer[160];
  std::snprintf(buffer, sizeof(buffer), "Line: %i, column: %i, %s", line, column,
                GetErrorText(code));
  return buffer;
}
