#ifndef INSTALLER_INSTALL_LOCATION_H_
#define INSTALLER_INSTALL_LOCATION_H_

#include <windows.h>

#include <string>

// Where the browser goes: the default folder, the folder picker and the folder check.
// Window thread.

// The current user's local application data folder with |relative| appended (when not
// empty), however long the result. False, leaving |path| unchanged, when the folder cannot
// be obtained.
bool GetLocalAppDataPath(const std::wstring& relative, std::wstring& path);

// "<local application data>\Orbavintel\Orbavintel", computed afresh; empty on failure.
std::wstring GetDefaultInstallDir();

// Whether a volume mount point can be named for |path| (logged when it can). The folder
// itself need not exist.
bool CheckInstallVolume(const std::wstring& path);

// Shows the folder picker titled |title| over |owner|, preselecting |path| when it is not
// empty. True, with |path| replaced by the chosen folder, unless the user cancelled or the
// choice has no file-system path. Blocks in the dialog's own message loop.
bool PickInstallFolder(const std::wstring& title, HWND owner, std::wstring& path);

#endif  // INSTALLER_INSTALL_LOCATION_H_
