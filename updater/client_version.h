#ifndef UPDATER_CLIENT_VERSION_H_
#define UPDATER_CLIENT_VERSION_H_

#include <cstdint>

#include "base/version.h"

// The client version that UWM_REGISTER_CLIENT carries in one 32-bit value: the first four
// components of a dotted version, one byte each, first component highest. Missing components
// count as 0, and a component above 255 spills into the byte before it.
uint32_t PackClientVersion(const Version& version);

// The version a packed value stands for: its four bytes, highest first.
Version UnpackClientVersion(uint32_t packed);

#endif  // UPDATER_CLIENT_VERSION_H_
