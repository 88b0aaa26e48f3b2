#ifndef BASE_WIN_SYSTEM_LIBRARY_H_
#define BASE_WIN_SYSTEM_LIBRARY_H_

#include <windows.h>

// Loads the library |name| (a file name such as L"bcrypt.dll") from the system folder only,
// never from the program's folder or the search path, and keeps it loaded for the life of the
// process, so that functions looked up in it stay valid. A library already loaded is found
// rather than loaded again. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The export |name| of |library| as a pointer of type |Function|; null when |library| is null
// or has no such export.
template <typename Function>
Function GetLibraryFunction(HMODULE library, const char* name) {
  if (!library)
    return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

// The export |name| of the system library |library|, loaded as LoadSystemLibrary does.
template <typename Function>
Function GetSystemFunction(const wchar_t* library, const char* name) {
  return GetLibraryFunction<Function>(LoadSystemLibrary(library), name);
}

#endif  // BASE_WIN_SYSTEM_LIBRARY_H_
