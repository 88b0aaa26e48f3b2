#ifndef CLIENT_STATE_CLIENT_STATE_REGISTRY_H_
#define CLIENT_STATE_CLIENT_STATE_REGISTRY_H_

#include <windows.h>

#include <string>
#include <string_view>

// The registry values the updater and the installer share. Nothing here is shown to the
// user: a key that cannot be opened or created is written to the debugger output and gives
// an empty text or false. One thread at a time per program; the programs do not coordinate.

// The client-state key, under HKEY_CURRENT_USER (the installer also reads it under
// HKEY_LOCAL_MACHINE), and the key holding the chosen install folder.
inline constexpr char kClientStateKey[] =
    "Software\\Orbavintel\\Update\\ClientState\\{6F0A2C1E-7B3D-4E59-9A84-2C5D71E0B3A6}";
inline constexpr char kInstallPathKey[] = "Software\\Orbavintel\\Chrome";

// Updater side.

// The narrow (ANSI code page) REG_SZ value |valueName| of the client-state key under
// HKEY_CURRENT_USER, at most 259 bytes. "" when the key, or a REG_SZ value that fits, is
// missing.
std::string ReadClientStateValue(std::string_view valueName);

// "PartnerId", or "default" when that is empty.
std::string GetPartnerId();

// "InstallerName"; may be empty.
std::string GetInstallerName();

// Installer side.

// Fills |buffer| (|bufferBytes| bytes) with the UTF-16 REG_SZ value
// "InstallerSuccessLaunchCmdLine" of the client-state key under |hive|. True when the key
// could be opened, even when the value is missing or does not fit; then the buffer holds an
// empty text. False, touching nothing, when |buffer| is null or the key cannot be opened.
bool ReadSuccessLaunchCmdLine(HKEY hive, wchar_t* buffer, DWORD bufferBytes);

namespace partner {

// Writes |data| as a narrow REG_SZ value |valueName| of |keyPath| under HKEY_CURRENT_USER,
// creating the key when needed. The byte count is the text's length: no terminating zero.
// False, with a debugger line, when an argument is empty, the key cannot be created or the
// platform refuses the value.
bool WriteRegValue(std::string_view keyPath, std::string_view valueName, std::string_view data);

}  // namespace partner

// "PartnerId" and "InstallerName" of the client-state key, through partner::WriteRegValue.
bool WritePartnerId(std::string_view partnerId);
bool WriteInstallerName(std::string_view installerName);

// Writes |installPath| as the UTF-16 REG_SZ value "XInstallPath" of kInstallPathKey under
// HKEY_CURRENT_USER, twice its length in bytes (no terminating zero). False, without a
// debugger line, when the path is empty; false, with one, when the key cannot be created or
// the platform refuses the value.
bool WriteCustomInstallPath(std::wstring_view installPath);

#endif  // CLIENT_STATE_CLIENT_STATE_REGISTRY_H_
