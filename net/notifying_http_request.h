#ifndef NET_NOTIFYING_HTTP_REQUEST_H_
#define NET_NOTIFYING_HTTP_REQUEST_H_

#include "net/http_request.h"
#include "net/request_delegate.h"

// An HttpRequest that tells a RequestDelegate about its transfer: response started,
// progress per read, completion (exactly once per transfer that was sent, with the body
// kept in memory) and connection closed. Delegate calls run on WinHTTP worker threads
// without the request's lock held. After Cancel or destruction returns, the delegate hears
// nothing more (see HttpRequest), so the owner may destroy it right after.
class NotifyingHttpRequest : public HttpRequest {
 public:
  // |delegate| is not owned and must outlive every transfer of this request.
  explicit NotifyingHttpRequest(RequestDelegate* listener) : delegate(listener) {}
  ~NotifyingHttpRequest() override;

 protected:
  HRESULT HandleNotification(DWORD status, void* information, DWORD length) override;
  HRESULT Complete(HRESULT transferResult) override;

 private:
  RequestDelegate* const delegate;
};

#endif  // NET_NOTIFYING_HTTP_REQUEST_H_
