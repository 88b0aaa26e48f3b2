#ifndef BASE_WIN_DEBUG_OUTPUT_H_
#define BASE_WIN_DEBUG_OUTPUT_H_

#include <string_view>

// Where every diagnostic line of both programs goes (the formatted log writes through it
// too): the system debugger output through OutputDebugStringA, which Wine also echoes on
// standard error (WINEDEBUG=+debugstr).
// |line| is written as given, so callers include the trailing "\n". Any thread may call.
void WriteDebugLine(std::string_view line);

// The same for UTF-16 text, converted to UTF-8 first.
void WriteDebugLine(std::wstring_view line);

// printf-style formatting into one line; output longer than 1023 bytes is cut.
void WriteDebugLineF(const char* format, ...);

#endif  // BASE_WIN_DEBUG_OUTPUT_H_
