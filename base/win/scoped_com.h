#ifndef BASE_WIN_SCOPED_COM_H_
#define BASE_WIN_SCOPED_COM_H_

#include <objbase.h>

#include "base/win/scoped_handle.h"

// A reference to a COM object, released when the owner goes.
template <typename Interface>
struct ComTraits {
  using Type = Interface*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type p) { return p != nullptr; }
  static void Close(Type p) { p->Release(); }
};
template <typename Interface>
using ComPointer = ScopedResource<ComTraits<Interface>>;

// COM on this thread (single-threaded apartment) while the object lives, unless the thread has
// it already, in any apartment: then nothing is changed.
class ScopedComApartment {
 public:
  ScopedComApartment() : result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedComApartment() {
    if (SUCCEEDED(result))
      ::CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

 private:
  HRESULT result;
};

#endif  // BASE_WIN_SCOPED_COM_H_
