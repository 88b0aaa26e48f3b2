#ifndef INSTALLER_EMBEDDED_RESOURCE_H_
#define INSTALLER_EMBEDDED_RESOURCE_H_

#include <windows.h>

#include <cstdint>
#include <string_view>

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
  // Writes the bytes to |path|, from the module's memory: a file put at the module's path since
  // it was loaded cannot change them. A file already at |path| is replaced. False when the
  // resource cannot be loaded, the file cannot be opened (a locked one, say), or writing or
  // closing fails; the file is then deleted, so that nobody takes a cut one for the payload.
  bool WriteToFile(const wchar_t* path) const;

 private:
  HRSRC resource;
  HMODULE module;
};

#endif  // INSTALLER_EMBEDDED_RESOURCE_H_
