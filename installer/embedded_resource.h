#ifndef INSTALLER_EMBEDDED_RESOURCE_H_
#define INSTALLER_EMBEDDED_RESOURCE_H_

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "base/win/scoped_handle.h"

// One resource of a module, found by name and type; a value object that owns nothing
// (resource memory lives as long as the module).
class EmbeddedResource {
 public:
  EmbeddedResource(const wchar_t* name, const wchar_t* type, HMODULE owner);

  // Whether the lookup found the resource.
  bool IsValid() const { return resource != nullptr; }
  // Size in bytes; 0 when not found.
  uint32_t Size() const;
  // The bytes in the module's memory; empty when not found or not loadable.
  std::string_view Bytes() const;
  // Writes the bytes to a file created afresh at |path|, from the module's memory (a file put
  // at the module's path since it was loaded cannot change them), and returns a handle that
  // holds the file (HoldFile) once its bytes are checked, through that handle, to be exactly
  // the resource's: whatever another process did between the write and the hold, the file held
  // is the payload, and stays so while the handle lives. Whatever was at |path| before (a
  // read-only file, a link to another file) is removed first, never written through. Invalid
  // when the resource cannot be loaded, the old file cannot be removed, the new one cannot be
  // created, written or closed (it is then deleted, so that nobody takes a cut one for the
  // payload), or the file found afterwards is not the payload.
  UniqueHandle WriteHeldCopy(const wchar_t* path) const;

 private:
  HRSRC resource;
  HMODULE module;
};

#endif  // INSTALLER_EMBEDDED_RESOURCE_H_
