// libFuzzer target for the JSON reader. The first input byte picks the reader options, the
// rest is the text. Besides the sanitizers, it checks properties every read must keep.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/json/json_reader.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

// Shortest-form UTF-8 without surrogates: what every string the reader returns must be.
bool IsWellFormedUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size())
      return false;
    uint32_t character = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      character = (character << 6) | (next & 0x3F);
    }
    static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < kShortest[length] || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

void CheckStrings(const JsonValue& value, int depth) {
  Check(depth < 200);
  if (value.IsString())
    Check(IsWellFormedUtf8(value.GetString()));
  for (const JsonValue& item : value.GetList())
    CheckStrings(item, depth + 1);
  const JsonValue::Dictionary& entries = value.GetDictionary();
  for (size_t i = 0; i < entries.size(); ++i) {
    Check(IsWellFormedUtf8(entries[i].first));
    Check(i == 0 || entries[i - 1].first < entries[i].first);
    CheckStrings(entries[i].second, depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const int options = data[0] & (kJsonAllowTrailingCommas | kJsonReplaceInvalidCharacters);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  JsonReadError error;
  std::optional<JsonValue> value = JsonReader::Read(text, options, &error);
  if (value) {
    Check(error.code == JsonParseError::kNoError && error.message.empty());
    Check(error.line == 0 && error.column == 0);
    CheckStrings(*value, 0);
    Check(value->Clone() == *value);
    // Allowing trailing commas only ever accepts more, and never changes a result.
    if (!(options & kJsonAllowTrailingCommas)) {
      std::optional<JsonValue> relaxed = JsonReader::Read(text, options | kJsonAllowTrailingCommas);
      Check(relaxed.has_value() && *relaxed == *value);
    }
  } else if (error.code == JsonParseError::kNoError) {
    // Only a number too large for a double fails without a code.
    Check(error.line == 0 && error.column == 0 && error.message.empty());
  } else {
    Check(error.line >= 1 && error.column >= 1);
    Check(static_cast<size_t>(error.column) <= text.size() + 2);
    Check(error.message == JsonReader::FormatErrorMessage(error.line, error.column, error.code));
    if (options & kJsonReplaceInvalidCharacters)
      Check(error.code != JsonParseError::kUnsupportedEncoding);
  }
  return 0;
}
