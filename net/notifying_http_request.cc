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
        // Before the bytes of this read are counted: the first call reports 0, the call on
        // the final empty read the full count.
        uint32_t received = 0;
        uint32_t total = 0;
        GetProgress(&received, &total);
        delegate->OnProgress(received, total);
        break;
      }
      default:
        break;
    }
  }
  return HttpRequest::HandleNotification(status, information, length);
}

HRESULT NotifyingHttpRequest::Complete(HRESULT result) {
  if (HttpRequest::Complete(result) != S_OK)
    return S_OK;  // this transfer has already been reported
  std::string body = TakeBody();
  if (delegate)
    delegate->OnRequestComplete(body);
  return S_OK;
}
