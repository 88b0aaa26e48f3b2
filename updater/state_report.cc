#include "updater/state_report.h"

#include <windows.h>

#include "updater/client_windows.h"
#include "updater/update_messages.h"
#include "updater/updater_state.h"
#include "updater/updater_window.h"

namespace {

// Tells the clients first, then the updater window, which acts on its own copy.
void BroadcastAndPostToSelf(UINT message) {
  BroadcastToClients(message, 0, 0);
  ::PostMessageW(GetUpdaterWindow(), message, 0, 0);
}

}  // namespace

void OnUpdaterState(uint32_t state, uint32_t param) {
  switch (state) {
    case kChecking:
      BroadcastToClients(UWM_CHECKING, 0, 0);
      SetLastProgress(0);
      break;
    case kCheckDone:
      BroadcastAndPostToSelf(param == 1 ? UWM_UPDATE_AVAILABLE : UWM_NO_UPDATE);
      break;
    case kDownloading:
      if (ExchangeLastProgress(param))
        BroadcastToClients(UWM_DOWNLOAD_PROGRESS, param, 0);
      break;
    case kRetryDownload:
      ::PostMessageW(GetUpdaterWindow(), UWM_UPDATE_AVAILABLE, 0, 0);
      break;
    case kDownloaded:
      BroadcastAndPostToSelf(UWM_DOWNLOAD_COMPLETE);
      break;
    case kVerifyFailed:
      BroadcastAndPostToSelf(UWM_VERIFY_FAILED);
      break;
    case kLaunched:
      BroadcastAndPostToSelf(UWM_INSTALLER_LAUNCHED);
      break;
    case kFailed:
      BroadcastAndPostToSelf(UWM_UPDATE_FAILED);
      break;
    default:
      break;
  }
}
