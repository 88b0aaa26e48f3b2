#include "base/json/json_value.h"

#include <algorithm>
#include <type_traits>

namespace {

const std::string kEmptyString;
const JsonValue::Binary kEmptyBinary;
const JsonValue::Dictionary kEmptyDictionary;
const JsonValue::List kEmptyList;

bool KeyLess(const std::pair<std::string, JsonValue>& entry, std::string_view key) {
  return std::string_view(entry.first) < key;
}

}  // namespace

JsonValue::JsonValue(Type type) {
  switch (type) {
    case Type::kNone:
      break;
    case Type::kBoolean:
      payload = false;
      break;
    case Type::kInteger:
      payload = int32_t{0};
      break;
    case Type::kDouble:
      payload = 0.0;
      break;
    case Type::kString:
      payload = std::string();
      break;
    case Type::kBinary:
      payload = Binary();
      break;
    case Type::kDictionary:
      payload = Dictionary();
      break;
    case Type::kList:
      payload = List();
      break;
  }
}

JsonValue JsonValue::Clone() const {
  switch (GetType()) {
    case Type::kDictionary: {
      JsonValue copy(Type::kDictionary);
      Dictionary& entries = std::get<Dictionary>(copy.payload);
      for (const auto& [key, value] : GetDictionary())
        entries.emplace_back(key, value.Clone());
      return copy;
    }
    case Type::kList: {
      JsonValue copy(Type::kList);
      List& items = std::get<List>(copy.payload);
      for (const JsonValue& item : GetList())
        items.push_back(item.Clone());
      return copy;
    }
    default: {
      JsonValue copy;
      std::visit(
          [&copy](const auto& scalar) {
            using T = std::decay_t<decltype(scalar)>;
            if constexpr (!std::is_same_v<T, Dictionary> && !std::is_same_v<T, List>)
              copy.payload = scalar;
          },
          payload);
      return copy;
    }
  }
}

bool JsonValue::GetBool() const {
  const bool* value = std::get_if<bool>(&payload);
  return value ? *value : false;
}

int32_t JsonValue::GetInt() const {
  const int32_t* value = std::get_if<int32_t>(&payload);
  return value ? *value : 0;
}

double JsonValue::GetDouble() const {
  if (const double* value = std::get_if<double>(&payload))
    return *value;
  return static_cast<double>(GetInt());
}

const std::string& JsonValue::GetString() const {
  const std::string* value = std::get_if<std::string>(&payload);
  return value ? *value : kEmptyString;
}

const JsonValue::Binary& JsonValue::GetBinary() const {
  const Binary* value = std::get_if<Binary>(&payload);
  return value ? *value : kEmptyBinary;
}

const JsonValue::Dictionary& JsonValue::GetDictionary() const {
  const Dictionary* value = std::get_if<Dictionary>(&payload);
  return value ? *value : kEmptyDictionary;
}

const JsonValue::List& JsonValue::GetList() const {
  const List* value = std::get_if<List>(&payload);
  return value ? *value : kEmptyList;
}

const JsonValue* JsonValue::FindKey(std::string_view key) const {
  const Dictionary* entries = std::get_if<Dictionary>(&payload);
  if (!entries)
    return nullptr;
  auto found = std::lower_bound(entries->begin(), entries->end(), key, KeyLess);
  if (found == entries->end() || found->first != key)
    return nullptr;
  return &found->second;
}

const JsonValue* JsonValue::FindPath(std::initializer_list<std::string_view> path) const {
  const JsonValue* current = this;
  for (std::string_view key : path) {
    current = current->FindKey(key);
    if (!current)
      return nullptr;
  }
  return current;
}

const std::string* JsonValue::FindString(std::string_view key) const {
  const JsonValue* value = FindKey(key);
  return value ? std::get_if<std::string>(&value->payload) : nullptr;
}

std::optional<bool> JsonValue::FindBool(std::string_view key) const {
  const JsonValue* value = FindKey(key);
  if (!value || !value->IsBool())
    return std::nullopt;
  return value->GetBool();
}

const JsonValue::List* JsonValue::FindList(std::string_view key) const {
  const JsonValue* value = FindKey(key);
  return value ? std::get_if<List>(&value->payload) : nullptr;
}

std::optional<std::vector<std::string>> JsonValue::FindStringList(std::string_view key) const {
  const List* items = FindList(key);
  if (!items)
    return std::nullopt;
  std::vector<std::string> strings;
  strings.reserve(items->size());
  for (const JsonValue& item : *items) {
    if (!item.IsString())
      return std::nullopt;
    strings.push_back(item.GetString());
  }
  return strings;
}

void JsonValue::SetKey(std::string key, JsonValue value) {
  if (!IsDictionary())
    payload = Dictionary();
  Dictionary& entries = std::get<Dictionary>(payload);
  auto found = std::lower_bound(entries.begin(), entries.end(), key, KeyLess);
  if (found != entries.end() && found->first == key)
    found->second = std::move(value);
  else
    entries.emplace(found, std::move(key), std::move(value));
}

void JsonValue::Append(JsonValue value) {
  if (!IsList())
    payload = List();
  std::get<List>(payload).push_back(std::move(value));
}

bool JsonValue::operator==(const JsonValue& other) const {
  return payload == other.payload;
}
