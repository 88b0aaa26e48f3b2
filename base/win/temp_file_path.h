#ifndef BASE_WIN_TEMP_FILE_PATH_H_
#define BASE_WIN_TEMP_FILE_PATH_H_

#include <string>
#include <string_view>

// "<temporary folder>\<fileName>", the folder as the platform reports it for this user (at
// most MAX_PATH - 1 units). Empty when the platform gives no folder, or only the size it
// would need: a file must never land anywhere else. Callers keep their own rules on the
// whole path's length. Any thread.
std::wstring TempFilePath(std::wstring_view fileName);

#endif  // BASE_WIN_TEMP_FILE_PATH_H_
