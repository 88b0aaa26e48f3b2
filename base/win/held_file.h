#ifndef BASE_WIN_HELD_FILE_H_
#define BASE_WIN_HELD_FILE_H_

#include <string>

#include "base/win/scoped_handle.h"

// Opens the file at |path| for reading so that, while the handle lives, nobody can write,
// rename or delete it; reading and starting it as a program stay possible. Invalid when it
// cannot be opened so, for example while another process has it open for writing. What is
// held is whatever file is at |path| at the time: a caller that must know its bytes checks
// them through the handle.
UniqueHandle HoldFile(const std::wstring& path);

#endif  // BASE_WIN_HELD_FILE_H_
