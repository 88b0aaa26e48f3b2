#ifndef BASE_WIN_SCOPED_HANDLE_H_
#define BASE_WIN_SCOPED_HANDLE_H_

#include <windows.h>

#include <utility>

// Owns one platform resource and releases it exactly once. Move-only: a copied handle
// would be closed twice. Each kind of resource supplies a Traits type with Type,
// Invalid(), IsValid(value) and Close(value); UniqueAny below makes the common ones.
template <typename Traits>
class ScopedResource {
 public:
  using Type = typename Traits::Type;

  ScopedResource() = default;
  explicit ScopedResource(Type owned) : value(owned) {}
  ~ScopedResource() { reset(); }

  ScopedResource(ScopedResource&& other) noexcept : value(other.release()) {}
  ScopedResource& operator=(ScopedResource&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;

  Type get() const { return value; }
  bool IsValid() const { return Traits::IsValid(value); }
  explicit operator bool() const { return IsValid(); }

  // Gives up ownership without closing.
  Type release() { return std::exchange(value, Traits::Invalid()); }

  // Closes the current resource (if any) and takes ownership of |newValue|.
  void reset(Type newValue = Traits::Invalid()) {
    Type old = std::exchange(value, newValue);
    if (Traits::IsValid(old))
      Traits::Close(old);
  }

  // For out-parameters of creating calls: closes the current resource first.
  Type* Receive() {
    reset();
    return &value;
  }

 private:
  Type value = Traits::Invalid();
};

// Kernel object handles: processes, threads, files, events, jobs, tokens. Both null and
// INVALID_HANDLE_VALUE mean "none", since the platform returns either depending on the call.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
using UniqueHandle = ScopedResource<KernelHandleTraits>;

// The traits of most kinds: null means "none", and one platform function releases a value.
template <typename Resource, auto CloseFunction>
struct NullableTraits {
  using Type = Resource;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type value) { return value != nullptr; }
  static void Close(Type value) { CloseFunction(value); }
};

// An owner of |Resource| released by |CloseFunction|, for one-line aliases as below.
template <typename Resource, auto CloseFunction>
using UniqueAny = ScopedResource<NullableTraits<Resource, CloseFunction>>;

// Registry keys: any key that is not null is closed, so a predefined root (HKEY_CURRENT_USER
// and the like) must never be put in one.
using UniqueHKey = UniqueAny<HKEY, ::RegCloseKey>;

// Memory from LocalAlloc, as returned by CommandLineToArgvW and FormatMessage.
using UniqueLocalMemory = UniqueAny<HLOCAL, ::LocalFree>;

#endif  // BASE_WIN_SCOPED_HANDLE_H_
