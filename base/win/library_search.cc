#include "base/win/library_search.h"

#include <windows.h>

#include "base/win/debug_output.h"

void LoadLibrariesFromSystemFolderOnly() {
  if (!::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    WriteDebugLineF("Fail restrict library search (%lu).\n", ::GetLastError());
  // Also drops the current directory from the search of older callers' LoadLibrary.
  ::SetDllDirectoryW(L"");
}
