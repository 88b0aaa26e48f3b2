#include "installer/install_location.h"

#include <shlobj.h>

#include <utility>

#include "base/win/debug_output.h"
#include "base/win/scoped_com.h"
#include "base/win/scoped_handle.h"

namespace {

constexpr UINT kPickerFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

int CALLBACK PreselectFolder(HWND dialog, UINT event, LPARAM, LPARAM data) {
  if (event == BFFM_INITIALIZED && data)
    ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// A shell item list, released with CoTaskMemFree.
using UniqueItemIdList = UniqueAny<PIDLIST_ABSOLUTE, ::CoTaskMemFree>;

// The parsing name of |item| under the desktop, or the file-system path as a fallback.
bool ItemPath(PIDLIST_ABSOLUTE item, std::wstring& path) {
  ComPointer<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.Receive())) || !desktop)
    return false;
  bool found = false;
  STRRET name = {};
  if (SUCCEEDED(desktop.get()->GetDisplayNameOf(item, SHGDN_FORPARSING, &name)) &&
      name.uType == STRRET_WSTR && name.pOleStr) {
    path = name.pOleStr;
    ::CoTaskMemFree(name.pOleStr);
    found = true;
  } else {
    wchar_t buffer[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(item, buffer)) {
      path = buffer;
      found = true;
    }
  }
  return found;
}

}  // namespace

bool GetLocalAppDataPath(const std::wstring& relative, std::wstring& path) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(
          ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return false;
  }
  // Appended without a fixed buffer: a folder too long for a path must reach the install's
  // length check whole, not come back empty as if the folder were unknown.
  std::wstring joined = buffer;
  if (!relative.empty()) {
    if (!joined.empty() && joined.back() != L'\\')
      joined += L'\\';
    joined += relative;
  }
  path = std::move(joined);
  return true;
}

std::wstring GetDefaultInstallDir() {
  std::wstring path;
  GetLocalAppDataPath(L"Orbavintel\\Orbavintel", path);
  return path;
}

bool CheckInstallVolume(const std::wstring& path) {
  wchar_t mountPoint[MAX_PATH] = {};
  if (!::GetVolumePathNameW(path.c_str(), mountPoint, MAX_PATH))
    return false;
  WriteDebugLine(std::wstring(mountPoint) + L"\n");
  return true;
}

bool PickInstallFolder(const std::wstring& title, HWND owner, std::wstring& path) {
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW request = {};
  request.hwndOwner = owner;
  request.pszDisplayName = displayName;
  request.lpszTitle = title.c_str();
  request.ulFlags = kPickerFlags;
  request.lpfn = PreselectFolder;
  request.lParam = path.empty() ? 0 : reinterpret_cast<LPARAM>(path.c_str());
  UniqueItemIdList item(::SHBrowseForFolderW(&request));
  if (!item)
    return false;
  return ItemPath(item.get(), path);
}
