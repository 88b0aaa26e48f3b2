#ifndef UPDATER_UPDATE_MESSAGES_H_
#define UPDATER_UPDATE_MESSAGES_H_

#include <windows.h>

// Window messages between the updater window and client windows of other processes.
// All of them are posted, never sent.
constexpr UINT kUpdaterMessageFirst = WM_USER + 100;
constexpr UINT kUpdaterMessageLast = WM_USER + 599;

constexpr UINT UWM_REGISTER_CLIENT = WM_USER + 100;    // client -> updater
constexpr UINT UWM_UNREGISTER_CLIENT = WM_USER + 101;  // client -> updater
constexpr UINT UWM_CHECKING = WM_USER + 103;
constexpr UINT UWM_NO_UPDATE = WM_USER + 104;
constexpr UINT UWM_UPDATE_AVAILABLE = WM_USER + 105;
constexpr UINT UWM_DOWNLOAD_PROGRESS = WM_USER + 106;  // wParam: percentage 0 to 100
constexpr UINT UWM_DOWNLOAD_COMPLETE = WM_USER + 107;
constexpr UINT UWM_VERIFY_FAILED = WM_USER + 108;
constexpr UINT UWM_INSTALLER_LAUNCHED = WM_USER + 109;
constexpr UINT UWM_UPDATE_FAILED = WM_USER + 110;
constexpr UINT UWM_PING = WM_USER + 111;               // wParam: window to answer
constexpr UINT UWM_CLIENT_REGISTERED = WM_USER + 600;  // updater -> one client
constexpr UINT UWM_PING_REPLY = WM_USER + 611;         // updater -> asker

constexpr wchar_t kUpdaterWindowClass[] = L"OrbavintelUpdaterWndClass";
constexpr wchar_t kUpdaterWindowTitle[] = L"Orbavintel Browser Updater";

#endif  // UPDATER_UPDATE_MESSAGES_H_
