#include "updater/proxy_policy.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "base/win/debug_output.h"
#include "base/win/scoped_handle.h"

namespace {

ProxyConfig g_loadedPolicy;

// The policy's values as stored; absent ones (or ones that are not strings) are empty.
struct ProxyPolicyValues {
  std::optional<std::wstring> mode;
  std::optional<std::wstring> server;
  std::optional<std::wstring> bypass;
  std::optional<std::wstring> pacUrl;
};

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
  DWORD bytes = 0;
  LSTATUS status = ::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  if (status == ERROR_FILE_NOT_FOUND)
    return std::nullopt;
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (status == ERROR_SUCCESS) {
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = ::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
  }
  if (status != ERROR_SUCCESS) {
    WriteDebugLine(L"Proxy policy: the value " + std::wstring(name) +
                   L" cannot be read as a string and is ignored.\n");
    return std::nullopt;
  }
  return std::wstring(text.data());
}

std::wstring Lowered(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

// Whether |value| is set; otherwise names the |mode| that lacks it in one log line.
bool HasRequired(const std::optional<std::wstring>& value, const char* mode, const char* name) {
  if (value && !value->empty())
    return true;
  WriteDebugLineF("Proxy policy: ProxyMode %s without %s; connecting directly.\n", mode, name);
  return false;
}

ProxyConfig InterpretProxyPolicy(const ProxyPolicyValues& values) {
  ProxyConfig config;
  const std::wstring mode = Lowered(values.mode.value_or(L""));
  if (mode.empty() || mode == L"direct")
    return config;
  if (mode == L"system") {
    config.mode = ProxyMode::kSystem;
  } else if (mode == L"fixed") {
    if (!HasRequired(values.server, "fixed", "ProxyServer"))
      return config;
    config.mode = ProxyMode::kFixed;
    config.server = *values.server;
    config.bypass = values.bypass.value_or(L"");
  } else if (mode == L"pac") {
    if (!HasRequired(values.pacUrl, "pac", "ProxyPacUrl"))
      return config;
    config.mode = ProxyMode::kPac;
    config.pacUrl = *values.pacUrl;
  } else {
    WriteDebugLine(L"Proxy policy: unknown ProxyMode \"" + *values.mode +
                   L"\"; connecting directly.\n");
  }
  return config;
}

}  // namespace

void LoadProxyPolicy() {
  UniqueHKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProxyPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      key.Receive()) != ERROR_SUCCESS) {
    return;  // no policy: direct, as always
  }
  ProxyPolicyValues values;
  values.mode = ReadString(key.get(), kProxyModeValue);
  values.server = ReadString(key.get(), kProxyServerValue);
  values.bypass = ReadString(key.get(), kProxyBypassValue);
  values.pacUrl = ReadString(key.get(), kProxyPacUrlValue);
  g_loadedPolicy = InterpretProxyPolicy(values);
  switch (g_loadedPolicy.mode) {
    case ProxyMode::kSystem:
      WriteDebugLine("Proxy policy: the user's proxy settings.\n");
      break;
    case ProxyMode::kFixed:
      WriteDebugLine(L"Proxy policy: through " + g_loadedPolicy.server + L", bypassing \"" +
                     g_loadedPolicy.bypass + L"\".\n");
      break;
    case ProxyMode::kPac:
      WriteDebugLine(L"Proxy policy: the PAC script " + g_loadedPolicy.pacUrl + L".\n");
      break;
    case ProxyMode::kDirect:
      break;
  }
}

const ProxyConfig& GetProxyPolicy() {
  return g_loadedPolicy;
}
