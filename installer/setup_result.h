#ifndef INSTALLER_SETUP_RESULT_H_
#define INSTALLER_SETUP_RESULT_H_

#include <cstdint>

// Result codes carried by XWM_SETUP_DONE. 0, 1 and 2 mean the setup succeeded; any other
// value means it failed. The rule is wider than the codes below because the mini installer
// posts XWM_SETUP_DONE itself, with codes of its own: keep 0 and 2 counting as success.
inline constexpr uint32_t kSetupCompleted = 1;          // the mini installer ran and ended
inline constexpr uint32_t kSetupPayloadMissing = 3;     // no or an empty embedded payload
inline constexpr uint32_t kSetupPayloadNotWritten = 4;  // the temporary file could not be written
inline constexpr uint32_t kSetupNotStarted = 5;         // the mini installer could not be started

#endif  // INSTALLER_SETUP_RESULT_H_
