#include "client_state/client_state_registry.h"

#include "base/win/debug_output.h"
#include "base/win/scoped_handle.h"

namespace {

constexpr DWORD kClientStateValueBytes = 260;
constexpr char kPartnerIdValue[] = "PartnerId";
constexpr char kInstallerNameValue[] = "InstallerName";
constexpr char kDefaultPartnerId[] = "default";
constexpr wchar_t kSuccessLaunchCmdLineValue[] = L"InstallerSuccessLaunchCmdLine";
constexpr wchar_t kInstallPathValue[] = L"XInstallPath";

// Opens the client-state key of |hive| for reading; logs and returns an empty key on failure.
UniqueHKey OpenClientStateKey(HKEY hive) {
  UniqueHKey key;
  if (::RegOpenKeyExA(hive, kClientStateKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
    WriteDebugLine("Fail open reg key.\n");
    return UniqueHKey();
  }
  if (!key)
    WriteDebugLine("NULL reg key.\n");
  return key;
}

// Creates or opens |path| under HKEY_CURRENT_USER for writing. On failure logs
// "<caller>: Fail open reg key.\n" or "<caller>: NULL reg key.\n" and returns an empty key.
UniqueHKey CreateUserKey(const char* path, std::string_view caller) {
  UniqueHKey key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
    WriteDebugLine(std::string(caller) + ": Fail open reg key.\n");
    return UniqueHKey();
  }
  if (!key)
    WriteDebugLine(std::string(caller) + ": NULL reg key.\n");
  return key;
}

}  // namespace

std::string ReadClientStateValue(std::string_view valueName) {
  UniqueHKey key = OpenClientStateKey(HKEY_CURRENT_USER);
  if (!key)
    return "";
  char buffer[kClientStateValueBytes] = {};
  DWORD size = sizeof(buffer);
  // A value that does not fit gives "" rather than a cut-off text.
  if (::RegGetValueA(key.get(), nullptr, std::string(valueName).c_str(), RRF_RT_REG_SZ, nullptr,
                     buffer, &size) != ERROR_SUCCESS) {
    return "";
  }
  return std::string(buffer);
}

std::string GetPartnerId() {
  std::string partnerId = ReadClientStateValue(kPartnerIdValue);
  return partnerId.empty() ? kDefaultPartnerId : partnerId;
}

std::string GetInstallerName() {
  return ReadClientStateValue(kInstallerNameValue);
}

bool ReadSuccessLaunchCmdLine(HKEY hive, wchar_t* buffer, DWORD bufferBytes) {
  if (!buffer)
    return false;
  UniqueHKey key = OpenClientStateKey(hive);
  if (!key)
    return false;
  DWORD size = bufferBytes;
  // The platform leaves the buffer undefined when the value does not fit; never hand a
  // cut-off command line to the caller, who starts it.
  if (::RegGetValueW(key.get(), nullptr, kSuccessLaunchCmdLineValue, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS &&
      bufferBytes >= sizeof(wchar_t)) {
    buffer[0] = L'\0';
  }
  return true;
}

namespace partner {

bool WriteRegValue(std::string_view keyPath, std::string_view valueName, std::string_view data) {
  if (keyPath.empty() || valueName.empty() || data.empty()) {
    WriteDebugLine("partner::WriteRegValue: empty args.");
    return false;
  }
  UniqueHKey key = CreateUserKey(std::string(keyPath).c_str(), "partner::WriteRegValue");
  if (!key)
    return false;
  const LSTATUS status =
      ::RegSetValueExA(key.get(), std::string(valueName).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  if (status != ERROR_SUCCESS) {
    WriteDebugLineF("partner::WriteRegValue: Fail set reg value (%ld).\n", status);
    return false;
  }
  return true;
}

}  // namespace partner

bool WritePartnerId(std::string_view partnerId) {
  return partner::WriteRegValue(kClientStateKey, kPartnerIdValue, partnerId);
}

bool WriteInstallerName(std::string_view installerName) {
  return partner::WriteRegValue(kClientStateKey, kInstallerNameValue, installerName);
}

bool WriteCustomInstallPath(std::wstring_view installPath) {
  if (installPath.empty())
    return false;
  UniqueHKey key = CreateUserKey(kInstallPathKey, "WriteCustomInstallPath");
  if (!key)
    return false;
  const LSTATUS status = ::RegSetValueExW(key.get(), kInstallPathValue, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(installPath.data()),
                                          static_cast<DWORD>(installPath.size() * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) {
    WriteDebugLineF("WriteCustomInstallPath: Fail set reg value (%ld).\n", status);
    return false;
  }
  return true;
}
