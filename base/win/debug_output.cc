#include "base/win/debug_output.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "base/win/text_conversion.h"

void WriteDebugLine(std::string_view line) {
  std::string text(line);
  ::OutputDebugStringA(text.c_str());
}

void WriteDebugLine(std::wstring_view line) {
  WriteDebugLine(WideToUtf8(line));
}

void WriteDebugLineF(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  WriteDebugLine(std::string_view(buffer));
}
