#include "net/notifying_http_request.h"

NotifyingHttpRequest::~NotifyingHttpRequest() {
  // Before this part of the object goes: no callback may reach the overrides below.
  StopCallbacks();
}

HRESULT NotifyingHttpRequest::HandleNotification(DWORD status, void* information, DWORD length) {
  if (delegate) {
    switch (status) {
      case WINHTTP_CALLBACK_STATUS_CONNECTION_CLOSED:
        delegate->OnConnectionClosed();
        break;
      case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        delegate->OnResponseStarted();
        break;
      case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: {
        // With the |length| bytes of the read just completed: a slow link is judged by what
        // it has brought, not by what it had brought one read before. Reported before the
        // base class takes the bytes, which may complete the transfer.
        uint32_t receivedLow = 0;
        uint32_t totalLow = 0;
        GetProgress(&receivedLow, &totalLow);
        delegate->OnProgress(receivedLow + length, totalLow);
        break;
      }
      default:
        break;
    }
  }
  return HttpRequest::HandleNotification(status, information, length);
}

HRESULT NotifyingHttpRequest::Complete(HRESULT transferResult) {
  if (HttpRequest::Complete(transferResult) != S_OK)
    return S_OK;  // this transfer has already been reported
  const std::string completeBody = TakeBody();
  if (delegate)
    delegate->OnRequestComplete(completeBody);
  return S_OK;
}
