#ifndef UPDATER_STATE_REPORT_H_
#define UPDATER_STATE_REPORT_H_

#include <cstdint>

// The updater's StateCallback: turns a reported state into messages to the client windows
// and to the updater window itself. Runs on whichever thread reported, usually a WinHTTP
// worker; it only posts.
void OnUpdaterState(uint32_t state, uint32_t param);

#endif  // UPDATER_STATE_REPORT_H_
