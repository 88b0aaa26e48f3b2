#ifndef BASE_WIN_MODULE_PATH_H_
#define BASE_WIN_MODULE_PATH_H_

#include <windows.h>

#include <string>

// The full path of |module| (null: the program's own file), however long: the buffer grows
// past MAX_PATH as needed, up to the longest path the platform can give. Empty when it
// cannot be read whole. Any thread.
std::wstring GetModulePath(HMODULE module = nullptr);

#endif  // BASE_WIN_MODULE_PATH_H_
