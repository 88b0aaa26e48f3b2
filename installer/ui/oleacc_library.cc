#include "installer/ui/oleacc_library.h"

#include "base/win/debug_output.h"

namespace {

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

OleaccFunctions LoadOleacc() {
  OleaccFunctions functions;
  // Never freed: see the header.
  const HMODULE library = ::LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library) {
    WriteDebugLine("Fail load oleacc.dll.\n");
    return functions;
  }
  functions.lresultFromObject =
      Lookup<decltype(functions.lresultFromObject)>(library, "LresultFromObject");
  functions.accessibleObjectFromWindow =
      Lookup<decltype(functions.accessibleObjectFromWindow)>(library, "AccessibleObjectFromWindow");
  return functions;
}

}  // namespace

const OleaccFunctions& Oleacc() {
  static const OleaccFunctions functions = LoadOleacc();
  return functions;
}
