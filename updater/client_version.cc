#include "updater/client_version.h"

uint32_t PackClientVersion(const Version& version) {
  const std::vector<uint32_t>& parts = version.GetComponents();
  uint32_t packed = 0;
  for (size_t i = 0; i < 4; ++i) {
    const uint32_t component = i < parts.size() ? parts[i] : 0;
    packed = i == 0 ? component : (packed << 8) | component;
  }
  return packed;
}

Version UnpackClientVersion(uint32_t packed) {
  return Version({packed >> 24, (packed >> 16) & 0xFF, (packed >> 8) & 0xFF, packed & 0xFF});
}
