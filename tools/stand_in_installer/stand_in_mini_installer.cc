// Stand-in for the browser's mini installer, embedded in the installer during development
// and tests. It records its command line, reads the install folder the installer recorded
// (XInstallPath), places the stand-in browser there as "orbavintel.exe" and records the
// quoted launch command in InstallerSuccessLaunchCmdLine, as the real setup does.
//
// Steering for tests, by environment variable:
//   ORBAVINTEL_STANDIN_RECORD      file to append "key=value" lines to (UTF-8)
//   ORBAVINTEL_STANDIN_DELAY_MS    wait this long before installing
//   ORBAVINTEL_STANDIN_WAIT_FOR    before installing, wait (at most a minute) until this
//                                  file exists, so that a test decides when the setup ends
//   ORBAVINTEL_STANDIN_EXIT_CODE   end with this exit code (default 0)
//   ORBAVINTEL_STANDIN_NO_INSTALL  when "1", install nothing and write no registry value

#include <windows.h>

#include <string>

#include "tools/stand_in_installer/stand_in_record.h"

namespace {

constexpr wchar_t kInstallPathKey[] = L"Software\\Orbavintel\\Chrome";
constexpr wchar_t kClientStateKey[] =
    L"Software\\Orbavintel\\Update\\ClientState\\{6F0A2C1E-7B3D-4E59-9A84-2C5D71E0B3A6}";
constexpr wchar_t kBrowserFileName[] = L"orbavintel.exe";

std::wstring ReadInstallPath() {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CURRENT_USER, kInstallPathKey, L"XInstallPath", RRF_RT_REG_SZ, nullptr,
                     buffer, &bytes) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return buffer;
}

// Creates |folder| and every missing parent.
void CreateFolders(const std::wstring& folder) {
  for (size_t i = 3; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == L'\\' || folder[i] == L'/')
      ::CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  }
}

bool WriteBrowser(const std::wstring& path) {
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(self, L"STANDIN_BROWSER", L"XBIN");
  HGLOBAL loaded = found ? ::LoadResource(self, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes)
    return false;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const DWORD size = ::SizeofResource(self, found);
  const bool ok = ::WriteFile(file, bytes, size, &written, nullptr) && written == size;
  return ::CloseHandle(file) && ok;
}

bool WriteLaunchCommand(const std::wstring& command) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kClientStateKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      ::RegSetValueExW(key, L"InstallerSuccessLaunchCmdLine", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  AppendRecord(L"mini_cmdline", ::GetCommandLineW());
  const std::wstring delay = EnvironmentValue(L"ORBAVINTEL_STANDIN_DELAY_MS");
  if (!delay.empty())
    ::Sleep(static_cast<DWORD>(_wtoi(delay.c_str())));
  const std::wstring waitFor = EnvironmentValue(L"ORBAVINTEL_STANDIN_WAIT_FOR");
  for (int step = 0; !waitFor.empty() && step < 1200; ++step) {
    if (::GetFileAttributesW(waitFor.c_str()) != INVALID_FILE_ATTRIBUTES)
      break;
    ::Sleep(50);
  }
  const int exitCode = _wtoi(EnvironmentValue(L"ORBAVINTEL_STANDIN_EXIT_CODE").c_str());

  if (EnvironmentValue(L"ORBAVINTEL_STANDIN_NO_INSTALL") == L"1") {
    AppendRecord(L"mini_result", L"skipped");
    return exitCode;
  }
  const std::wstring folder = ReadInstallPath();
  AppendRecord(L"mini_install_path", folder);
  if (folder.empty()) {
    AppendRecord(L"mini_result", L"no install path");
    return exitCode != 0 ? exitCode : 1;
  }
  CreateFolders(folder);
  const std::wstring browser = folder + L"\\" + kBrowserFileName;
  if (!WriteBrowser(browser) || !WriteLaunchCommand(L"\"" + browser + L"\"")) {
    AppendRecord(L"mini_result", L"failed");
    return exitCode != 0 ? exitCode : 1;
  }
  AppendRecord(L"mini_result", L"installed");
  return exitCode;
}
