// Starting the installed browser, opening the terms page and naming the UI language.

#include "installer/browser_launch.h"

#include <windows.h>

#include <cwchar>

#include "base/win/debug_output.h"
#include "base/win/launch.h"
#include "client_state/client_state_registry.h"
#include "installer/installer_view.h"

namespace {

constexpr int kLocaleNameSize = 9;
constexpr size_t kAddressBufferSize = MAX_PATH;
constexpr int kLaunchCommandChars = MAX_PATH;

#define ORBAVINTEL_WIDEN2(text) L##text
#define ORBAVINTEL_WIDEN(text) ORBAVINTEL_WIDEN2(text)
// The web server that serves the licence terms; a build setting.
constexpr wchar_t kTermsHost[] = ORBAVINTEL_WIDEN(ORBAVINTEL_TERMS_HOST);

std::wstring LocaleText(LANGID languageId, LCTYPE item) {
  wchar_t buffer[kLocaleNameSize] = {};
  const int length =
      ::GetLocaleInfoW(MAKELCID(languageId, SORT_DEFAULT), item, buffer, kLocaleNameSize);
  // The count includes the terminator; 1 or less means nothing useful came back.
  return length > 1 ? std::wstring(buffer, static_cast<size_t>(length - 1)) : std::wstring();
}

}  // namespace

std::wstring StripLaunchQuotes(std::wstring_view command) {
  if (command.empty() || command.front() != L'"')
    return std::wstring(command);
  if (command.size() < 2)
    return std::wstring();
  return std::wstring(command.substr(1, command.size() - 2));
}

bool GetUiLanguage(std::wstring& language, std::wstring& region) {
  const LANGID id = ::GetUserDefaultUILanguage();
  if (id == LOCALE_CUSTOM_UI_DEFAULT)
    return false;
  std::wstring name = LocaleText(id, LOCALE_SISO639LANGNAME);
  if (name.empty())
    return false;
  language = std::move(name);
  region.clear();
  // Below 0x400 the id names a bare language without a country.
  if (id >= 0x400)
    region = LocaleText(id, LOCALE_SISO3166CTRYNAME);
  return true;
}

std::wstring TermsPageAddress(const std::wstring& language, const std::wstring& region) {
  wchar_t address[kAddressBufferSize] = {};
  std::swprintf(address, kAddressBufferSize, L"http://%ls/orbavintel/terms/pc/?l=%ls&r=%ls",
                kTermsHost, language.c_str(), region.c_str());
  return address;
}

void InstallerView::LaunchInstalledBrowser() {
  if (browserLaunched) {
    WriteDebugLine("LaunchInstalledBrowser: browser already launched.");
    return;
  }
  browserLaunched = true;

  wchar_t stored[kLaunchCommandChars] = {};
  if (!ReadSuccessLaunchCmdLine(HKEY_CURRENT_USER, stored, sizeof(stored)) &&
      !ReadSuccessLaunchCmdLine(HKEY_LOCAL_MACHINE, stored, sizeof(stored))) {
    WriteDebugLine("Fail get browser path.\n");
  }
  // The read does not promise a terminator when the value fills the buffer.
  stored[kLaunchCommandChars - 1] = L'\0';
  const std::wstring program = StripLaunchQuotes(stored);
  WriteDebugLine(program + L"\n");

  // The browser opens its window as it chooses; it is not waited for.
  LaunchSettings settings;
  settings.showAsProgramChooses = true;
  if (!StartProgramAt(program, std::wstring(), settings).IsValid())
    WriteDebugLine("fail launch browser.\n");
}

void InstallerView::OpenTermsPage() {
  std::wstring language;
  std::wstring region;
  GetUiLanguage(language, region);
  const std::wstring address = TermsPageAddress(language, region);
  if (!OpenWithShell(address))
    WriteDebugLine("fail open terms page.\n");
}
