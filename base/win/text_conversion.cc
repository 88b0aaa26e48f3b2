#include "base/win/text_conversion.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring NarrowToWide(UINT codePage, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX)
    return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (needed <= 0)
    return {};
  std::wstring result(static_cast<size_t>(needed), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), needed);
  return result;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  return NarrowToWide(CP_UTF8, text);
}

namespace {

std::string WideToNarrow(UINT codePage, std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX)
    return {};
  const int length = static_cast<int>(text.size());
  const int needed =
      ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0)
    return {};
  std::string result(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
  return result;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  return WideToNarrow(CP_UTF8, text);
}

std::string WideToAnsi(std::wstring_view text) {
  return WideToNarrow(CP_ACP, text);
}
