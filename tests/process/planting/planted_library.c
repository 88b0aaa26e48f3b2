/* A library planted beside a program under a system library's name. When the program loads
   it, DllMain leaves "<name>.ran" next to it. Every export is the one stub, so that the
   loader can resolve whatever the program imports and DllMain gets to run. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    WCHAR path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcatW(path, L".ran");
      HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
    }
  }
  return TRUE;
}

__declspec(dllexport) int PlantedStub(void) {
  return 0;
}
