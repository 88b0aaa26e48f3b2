#ifndef INSTALLER_INSTALLER_WINDOW_H_
#define INSTALLER_INSTALLER_WINDOW_H_

// The installer window's names, which other programs use to find it.
inline constexpr wchar_t kInstallerWindowClass[] = L"OrbavintelInstallerWndClass";
inline constexpr wchar_t kInstallerWindowTitle[] = L"Orbavintel Browser Installer";

#endif  // INSTALLER_INSTALLER_WINDOW_H_
