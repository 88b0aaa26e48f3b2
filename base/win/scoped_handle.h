#ifndef BASE_WIN_SCOPED_HANDLE_H_
#define BASE_WIN_SCOPED_HANDLE_H_

#include <windows.h>

#include <utility>

// Owns one platform resource and releases it exactly once. Move-only: a copied handle
// would be closed twice. Each kind of resource supplies a Traits type with Type,
// Invalid(), IsValid(value) and Close(value).
template <typename Traits>
class ScopedResource {
 public:
  using Type = typename Traits::Type;

  ScopedResource() = default;
  explicit ScopedResource(Type value) : value(value) {}
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

// Registry keys. The predefined roots are never closed.
struct RegistryKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type k) { return k != nullptr; }
  static void Close(Type k) { ::RegCloseKey(k); }
};
using UniqueHKey = ScopedResource<RegistryKeyTraits>;

// Memory from LocalAlloc, as returned by CommandLineToArgvW and FormatMessage.
struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type m) { return m != nullptr; }
  static void Close(Type m) { ::LocalFree(m); }
};
using UniqueLocalMemory = ScopedResource<LocalMemoryTraits>;

#endif  // BASE_WIN_SCOPED_HANDLE_H_
