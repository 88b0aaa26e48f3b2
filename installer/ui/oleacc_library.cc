#include "installer/ui/oleacc_library.h"

#include "base/win/debug_output.h"
#include "base/win/system_library.h"

namespace {

OleaccFunctions LoadOleacc() {
  OleaccFunctions functions;
  // Never freed: see the header.
  const HMODULE library = LoadSystemLibrary(L"oleacc.dll");
  if (!library) {
    WriteDebugLine("Fail load oleacc.dll.\n");
    return functions;
  }
  functions.lresultFromObject =
      GetLibraryFunction<decltype(functions.lresultFromObject)>(library, "LresultFromObject");
  functions.accessibleObjectFromWindow =
      GetLibraryFunction<decltype(functions.accessibleObjectFromWindow)>(
          library, "AccessibleObjectFromWindow");
  return functions;
}

}  // namespace

const OleaccFunctions& Oleacc() {
  static const OleaccFunctions functions = LoadOleacc();
  return functions;
}
