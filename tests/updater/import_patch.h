#ifndef TESTS_UPDATER_IMPORT_PATCH_H_
#define TESTS_UPDATER_IMPORT_PATCH_H_

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

// Points this executable's import of one platform function at a replacement while the
// object lives, so a test sees exactly what the code under test passed to the platform, or
// makes the platform fail. Only calls made through the executable's import table are seen:
// the code under test is linked statically into the test, so all of its calls are.
class ScopedImportPatch {
 public:
  ScopedImportPatch(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name != 0; ++descriptor) {
      if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0)
        continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
          continue;
        const auto* byName =
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
          continue;
        original = reinterpret_cast<void*>(slots->u1.Function);
        Write(&slots->u1.Function, reinterpret_cast<ULONG_PTR>(replacement));
        patched.push_back(&slots->u1.Function);
      }
    }
  }

  ~ScopedImportPatch() {
    for (ULONG_PTR* slot : patched)
      Write(slot, reinterpret_cast<ULONG_PTR>(original));
  }

  ScopedImportPatch(const ScopedImportPatch&) = delete;
  ScopedImportPatch& operator=(const ScopedImportPatch&) = delete;

  // False when the executable does not import |function| from |dll|.
  bool IsActive() const { return !patched.empty(); }

  // The real function, for a replacement that records and then forwards.
  template <typename Function>
  Function Original() const {
    return reinterpret_cast<Function>(original);
  }

 private:
  static void Write(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD protection = 0;
    ::VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
    *slot = value;
    ::VirtualProtect(slot, sizeof(*slot), protection, &protection);
  }

  void* original = nullptr;
  std::vector<ULONG_PTR*> patched;
};

#endif  // TESTS_UPDATER_IMPORT_PATCH_H_
