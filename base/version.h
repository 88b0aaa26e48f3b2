#ifndef BASE_VERSION_H_
#define BASE_VERSION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A dotted version number such as 1.2.3.4: one or more unsigned 32-bit components.
// A Version with no components is invalid; every parse failure yields one. Platform-free.
class Version {
 public:
  Version() = default;

  // Parses |text|. Each piece between dots must be a non-empty run of decimal digits that
  // fits in 32 bits; the first piece must have no leading zeros. Otherwise invalid.
  explicit Version(std::string_view text);

  // The version with these |components|, first first; invalid when there are none.
  explicit Version(std::vector<uint32_t> parts) : components(std::move(parts)) {}

  bool IsValid() const { return !components.empty(); }

  // -1, 0 or 1. An invalid version compares like a version of all zeros, and missing
  // trailing components count as zeros (1.0 equals 1.0.0).
  int CompareTo(const Version& other) const;

  // The components in decimal joined by "."; empty for an invalid version.
  std::string GetString() const;

  const std::vector<uint32_t>& GetComponents() const { return components; }

 private:
  std::vector<uint32_t> components;
};

#endif  // BASE_VERSION_H_
