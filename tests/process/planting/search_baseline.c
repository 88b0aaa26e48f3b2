/* What Wine itself loads from a program's folder: restricts the search to the system folder
   first thing, as our programs do, then loads each library named on the command line from
   the system folder. A planted library that still runs here was pulled in by Wine's own
   libraries, which resolve their imports through the program's folder (Windows does not
   for KnownDLLs). */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR line, int show) {
  int count = 0;
  LPWSTR* names = CommandLineToArgvW(GetCommandLineW(), &count);
  (void)instance;
  (void)previous;
  (void)line;
  (void)show;
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
  for (int i = 1; names && i < count; ++i)
    LoadLibraryExW(names[i], NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return 0;
}
