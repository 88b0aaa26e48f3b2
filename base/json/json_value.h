#ifndef BASE_JSON_JSON_VALUE_H_
#define BASE_JSON_JSON_VALUE_H_

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// One JSON value: null, boolean, integer, double, string, binary, dictionary or list. A value
// owns its children; it can be moved but not copied (use Clone for a deep copy). Not thread
// safe: one thread at a time.
class JsonValue {
 public:
  // In the order of the payload's alternatives: GetType is the alternative's index.
  enum class Type {
    kNone = 0,
    kBoolean = 1,
    kInteger = 2,
    kDouble = 3,
    kString = 4,
    kBinary = 5,
    kDictionary = 6,
    kList = 7,
  };

  using Binary = std::vector<uint8_t>;
  // Dictionary entries, kept sorted by key (bytewise) with unique keys.
  using Dictionary = std::vector<std::pair<std::string, JsonValue>>;
  using List = std::vector<JsonValue>;

  // A null value.
  JsonValue() = default;
  explicit JsonValue(bool value) : payload(value) {}
  explicit JsonValue(int32_t value) : payload(value) {}
  // |value| must be finite; the reader never produces anything else.
  explicit JsonValue(double value) : payload(value) {}
  explicit JsonValue(std::string value) : payload(std::move(value)) {}
  explicit JsonValue(const char* value) : payload(std::string(value)) {}
  explicit JsonValue(Binary value) : payload(std::move(value)) {}
  // An empty value of |type|.
  explicit JsonValue(Type type);

  JsonValue(JsonValue&&) noexcept = default;
  JsonValue& operator=(JsonValue&&) noexcept = default;
  JsonValue(const JsonValue&) = delete;
  JsonValue& operator=(const JsonValue&) = delete;

  JsonValue Clone() const;

  Type GetType() const { return static_cast<Type>(payload.index()); }
  bool IsNone() const { return GetType() == Type::kNone; }
  bool IsBool() const { return GetType() == Type::kBoolean; }
  bool IsInt() const { return GetType() == Type::kInteger; }
  bool IsDouble() const { return GetType() == Type::kDouble; }
  bool IsString() const { return GetType() == Type::kString; }
  bool IsBinary() const { return GetType() == Type::kBinary; }
  bool IsDictionary() const { return GetType() == Type::kDictionary; }
  bool IsList() const { return GetType() == Type::kList; }

  // Payload accessors. Check the type first: on a value of another type they return false,
  // 0, 0.0 or an empty string, binary, dictionary or list instead of failing.
  bool GetBool() const;
  int32_t GetInt() const;
  // Integers are widened, so any number can be read as a double.
  double GetDouble() const;
  const std::string& GetString() const;
  const Binary& GetBinary() const;
  const Dictionary& GetDictionary() const;
  const List& GetList() const;

  // This value when it is a dictionary, else null.
  const JsonValue* AsDictionary() const { return IsDictionary() ? this : nullptr; }

  // Dictionary look-ups. Null (or nullopt) when this is not a dictionary, when the key is
  // absent, or when the value found has another type than asked for.
  const JsonValue* FindKey(std::string_view key) const;
  // Follows |path| one key per level; null when a step is missing or not a dictionary.
  const JsonValue* FindPath(std::initializer_list<std::string_view> path) const;
  const std::string* FindString(std::string_view key) const;
  std::optional<bool> FindBool(std::string_view key) const;
  const List* FindList(std::string_view key) const;
  // The strings of the list at |key|, in order; nullopt when the key is absent, the value is
  // not a list, or any element is not a string.
  std::optional<std::vector<std::string>> FindStringList(std::string_view key) const;

  // Builders. SetKey turns a non-dictionary into an empty dictionary first and replaces an
  // existing key; Append does the same for lists.
  void SetKey(std::string key, JsonValue value);
  void Append(JsonValue value);

  // Deep, type-exact comparison (an integer 1 differs from a double 1.0).
  bool operator==(const JsonValue& other) const;
  bool operator!=(const JsonValue& other) const { return !(*this == other); }

 private:
  // Alternative order matches Type.
  std::variant<std::monostate, bool, int32_t, double, std::string, Binary, Dictionary, List>
      payload;
};

#endif  // BASE_JSON_JSON_VALUE_H_
