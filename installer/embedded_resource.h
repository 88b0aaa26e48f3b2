#ifndef INSTALLER_EMBEDDED_RESOURCE_H_
#define INSTALLER_EMBEDDED_RESOURCE_H_

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

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
  // Writes the bytes to |path| (replacing a file there). They are copied in large chunks from
  // the module's own file and hashed on the way; that copy stands only when it hashes to
  // |sha256|, the 32-byte digest the build took of the resource. Otherwise (another file at
  // the module's path, a file that cannot be read, no usable digest) it is deleted and the
  // bytes are written in one write from the resource memory, which is the running image's
  // own. False when the resource cannot be loaded, the file cannot be created (a locked one,
  // say), or writing or closing fails; the file is then deleted again.
  bool WriteToFile(const wchar_t* path, const std::vector<uint8_t>& sha256) const;

 private:
  HRSRC resource;
  HMODULE module;
};

#endif  // INSTALLER_EMBEDDED_RESOURCE_H_
