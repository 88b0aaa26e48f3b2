#include "base/win/module_path.h"

namespace {

// The longest path the platform can give for a module.
constexpr size_t kLongestModulePath = 32768;

}  // namespace

std::wstring GetModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return std::wstring();
    // A full buffer means the path was cut (and, before Windows Vista, not terminated).
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= kLongestModulePath)
      return std::wstring();
    path.resize(path.size() * 2);
  }
}
