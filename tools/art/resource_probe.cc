// resource_probe.exe: reads back the installer's resources from its own image and prints
// one line per finding on standard output, in UTF-8:
//
//   ui-language 0x0804
//   string 200 Orbavintel浏览器 v1.0        (through LoadStringW: the loader picks the table)
//   table 2052 219 安装失败，...            (every id of both tables, by explicit language)
//   bitmap 102 1000x600 24                 (decoded as the installer decodes it)
//   composed 2102 1500x900 SHA256          (a larger set's page picture as the installer
//                                           composes it: SHA-256 of its RGB rows, top-down)
//   icon-entry 48x48 8                     (the icon group's directory, in order)
//   icon-load 32 ok 32                     (LoadImageW at a size: the width it gave)
//   version FileDescription Orbavintel Browser Installer
//   fixed-version 1.0.0.0 1.0.0.0 type 1   (file and product version, file type)
//
// It is a development aid for the process tests, linked with the real resource script.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/hex.h"
#include "base/sha256.h"
#include "base/win/scoped_handle.h"
#include "base/win/text_conversion.h"
#include "installer/ui/gdi_handles.h"
#include "installer/ui/png_picture.h"
#include "installer/ui/scaled_picture.h"
#include "installer/ui/resources/resource_ids.h"

namespace {

// Icons from LoadImageW.
using UniqueIcon = UniqueAny<HICON, ::DestroyIcon>;

constexpr WORD kEnglish = 1033;
constexpr WORD kChinese = 2052;
constexpr int kFirstStringId = IDS_TITLE;
constexpr int kLastStringId = IDS_REGISTRY_FAILED;
constexpr int kFirstBitmapId = IDB_PAGE_DEFAULT;
constexpr int kLastBitmapId = IDB_EXPAND_HOVER;

void PrintLine(const std::wstring& text) {
  std::string out = WideToUtf8(text) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// The string |id| of the table in |language|, read from the raw block of sixteen counted
// strings; |found| is false when the block or the string is missing.
std::wstring TableString(WORD language, int id, bool* found) {
  *found = false;
  HRSRC info = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!info)
    return {};
  const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, info)));
  if (!p)
    return {};
  const WCHAR* end = p + SizeofResource(nullptr, info) / sizeof(WCHAR);
  for (int k = 0; k < id % 16 && p < end; ++k)
    p += 1 + *p;
  if (p >= end || *p == 0 || p + 1 + *p > end)
    return {};
  *found = true;
  return std::wstring(p + 1, *p);
}

void PrintStrings() {
  wchar_t language[16];
  swprintf(language, 16, L"0x%04x", GetUserDefaultUILanguage());
  PrintLine(std::wstring(L"ui-language ") + language);
  const wchar_t* text = nullptr;
  int length =
      LoadStringW(GetModuleHandleW(nullptr), IDS_TITLE, reinterpret_cast<LPWSTR>(&text), 0);
  PrintLine(L"string " + std::to_wstring(IDS_TITLE) + L" " +
            (length > 0 ? std::wstring(text, length) : std::wstring()));
  for (WORD table : {kEnglish, kChinese}) {
    for (int id = kFirstStringId; id <= kLastStringId; ++id) {
      bool found = false;
      std::wstring value = TableString(table, id, &found);
      PrintLine(L"table " + std::to_wstring(table) + L" " + std::to_wstring(id) +
                (found ? L" " + value : std::wstring(L" <missing>")));
    }
  }
}

void PrintBitmaps() {
  for (int id = kFirstBitmapId; id <= kLastBitmapId; ++id) {
    UniqueBitmap image = DecodePngResource(GetModuleHandleW(nullptr), id);
    if (!image) {
      PrintLine(L"bitmap " + std::to_wstring(id) + L" <missing>");
      continue;
    }
    BITMAP bitmap = {};
    GetObjectW(image.get(), sizeof(bitmap), &bitmap);
    PrintLine(L"bitmap " + std::to_wstring(id) + L" " + std::to_wstring(bitmap.bmWidth) + L"x" +
              std::to_wstring(bitmap.bmHeight) + L" " + std::to_wstring(bitmap.bmBitsPixel));
  }
}

void PrintComposedPictures() {
  for (const PictureSet& set : kPictureSets) {
    if (set.idOffset == 0)
      continue;
    for (int id = IDB_PAGE_DEFAULT; id <= IDB_PAGE_FINISHED; ++id) {
      const std::wstring name = L"composed " + std::to_wstring(id + set.idOffset) + L" ";
      UniqueBitmap picture =
          LoadScaledPicture(GetModuleHandleW(nullptr), id, DisplayScale(set.dpi));
      DIBSECTION section = {};
      if (!picture || GetObjectW(picture.get(), sizeof(section), &section) != sizeof(section) ||
          !section.dsBm.bmBits || section.dsBm.bmBitsPixel != 24) {
        PrintLine(name + L"<missing>");
        continue;
      }
      const int width = section.dsBm.bmWidth;
      const int height = section.dsBm.bmHeight;
      const int stride = (width * 3 + 3) / 4 * 4;
      const uint8_t* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
      Sha256Hasher hasher;
      std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
      // The decoder's rows are top-down, blue first.
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          for (int c = 0; c < 3; ++c)
            row[x * 3 + c] = bits[y * stride + x * 3 + 2 - c];
        }
        hasher.Update(row.data(), row.size());
      }
      const std::string digest = HexEncode(hasher.Finish(), HexLetters::kLower);
      PrintLine(name + std::to_wstring(width) + L"x" + std::to_wstring(height) + L" " +
                std::wstring(digest.begin(), digest.end()));
    }
  }
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colourCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

void PrintIcon() {
  HRSRC info = FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_APP), kEnglish);
  const auto* dir =
      info ? static_cast<const WORD*>(LockResource(LoadResource(nullptr, info))) : nullptr;
  if (!dir) {
    PrintLine(L"icon-group <missing>");
    return;
  }
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(dir + 3);
  for (WORD k = 0; k < dir[2]; ++k) {
    int w = entries[k].width ? entries[k].width : 256;
    int h = entries[k].height ? entries[k].height : 256;
    PrintLine(L"icon-entry " + std::to_wstring(w) + L"x" + std::to_wstring(h) + L" " +
              std::to_wstring(entries[k].bitCount));
  }
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0)));
    ICONINFO iconInfo = {};
    BITMAP colour = {};
    if (icon && GetIconInfo(icon.get(), &iconInfo)) {
      UniqueBitmap colourBitmap(iconInfo.hbmColor);
      UniqueBitmap maskBitmap(iconInfo.hbmMask);
      GetObjectW(colourBitmap ? colourBitmap.get() : maskBitmap.get(), sizeof(colour), &colour);
    }
    PrintLine(L"icon-load " + std::to_wstring(size) +
              (icon ? L" ok " + std::to_wstring(colour.bmWidth) : std::wstring(L" failed")));
  }
}

void PrintVersion() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  std::vector<BYTE> block(size);
  if (!size || !GetFileVersionInfoW(path, 0, size, block.data())) {
    PrintLine(L"version <missing>");
    return;
  }
  for (const wchar_t* key : {L"FileDescription", L"ProductName", L"InternalName",
                             L"OriginalFilename", L"FileVersion", L"ProductVersion"}) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
      PrintLine(std::wstring(L"version ") + key + L" " + value);
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
    auto dotted = [](DWORD high, DWORD low) {
      return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
             std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
    };
    PrintLine(L"fixed-version " + dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + L" " +
              dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + L" type " +
              std::to_wstring(fixed->dwFileType));
  }
}

}  // namespace

int wmain() {
  PrintStrings();
  PrintBitmaps();
  PrintComposedPictures();
  PrintIcon();
  PrintVersion();
  return 0;
}
