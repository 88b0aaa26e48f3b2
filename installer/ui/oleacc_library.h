#ifndef INSTALLER_UI_OLEACC_LIBRARY_H_
#define INSTALLER_UI_OLEACC_LIBRARY_H_

#include <windows.h>
#include <oleacc.h>

// The two functions of the platform's accessibility library the installer uses. The library
// is not one of the KnownDLLs, so it is loaded from the system folder only, never from the
// program's folder, where anyone may have left a DLL of that name.
struct OleaccFunctions {
  decltype(&::LresultFromObject) lresultFromObject = nullptr;
  decltype(&::AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
};

// Loaded on the first call and kept for the life of the process (marshalled objects may be
// in use until it ends). Members are null when the library or a function is missing.
const OleaccFunctions& Oleacc();

#endif  // INSTALLER_UI_OLEACC_LIBRARY_H_
