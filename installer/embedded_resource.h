#ifndef INSTALLER_EMBEDDED_RESOURCE_H_
#define INSTALLER_EMBEDDED_RESOURCE_H_

#include <windows.h>

#include <cstdint>

// One resource of a module, found by name and type; a value object that owns nothing
// (resource memory lives as long as the module).
class EmbeddedResource {
 public:
  EmbeddedResource(const wchar_t* name, const wchar_t* type, HMODULE module);

  // Whether the lookup found the resource.
  bool IsValid() const { return resource != nullptr; }
  // Size in bytes; 0 when not found.
  uint32_t Size() const;
  // Writes the bytes to |path| (replacing a file there), copied in large chunks from the
  // module's own file, or in one write from the resource memory when that file cannot be
  // read. False when the resource cannot be loaded, the file cannot be created (a locked
  // one, say), or reading, writing or closing fails; the file is then deleted again.
  bool WriteToFile(const wchar_t* path) const;

 private:
  HRSRC resource;
  HMODULE module;
};

#endif  // INSTALLER_EMBEDDED_RESOURCE_H_
