#ifndef NET_REQUEST_CALLBACK_CONTEXT_H_
#define NET_REQUEST_CALLBACK_CONTEXT_H_

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/win/srw_lock.h"

class HttpRequest;

// What WinHTTP's status callbacks of one request handle reach through their context value.
//
// WinHTTP may call back, fill the receive buffer and read the request body until it reports
// WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING, the last notification of a handle, which can come
// after WinHttpCloseHandle has returned. The request object cannot wait that long when it is
// destroyed, so this small object stands between the two: the request detaches from it
// (waiting only for callbacks that are already inside) and closes the handle; the context,
// with the buffers WinHTTP may still touch, lives on until the handle-closing notification.
class RequestCallbackContext {
 public:
  explicit RequestCallbackContext(HttpRequest* owner) : request(owner) {}

  RequestCallbackContext(const RequestCallbackContext&) = delete;
  RequestCallbackContext& operator=(const RequestCallbackContext&) = delete;

  // Held by a status callback while it works on the request. request() is null once the
  // request has detached; the callback must then do nothing.
  class Entry {
   public:
    explicit Entry(RequestCallbackContext* context);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    HttpRequest* request() const { return target; }

   private:
    friend class RequestCallbackContext;

    RequestCallbackContext* const context;
    HttpRequest* target = nullptr;
    // Which thread the callback runs on, and the callback that entered before it.
    const DWORD thread = ::GetCurrentThreadId();
    Entry* next = nullptr;
  };

  // The handle-closing notification: frees the context as soon as no callback is inside.
  // No other call may follow.
  void OnHandleClosing();

  // Request side: after this returns no callback reaches the request. Waits for callbacks
  // that are inside on other threads; one running on the calling thread (a delegate that
  // starts the next transfer) is not waited for. Call before closing the handle.
  void Detach();

  // Frees a context whose handle never had the status callback installed, so no
  // handle-closing notification will come.
  void Discard() { delete this; }

  // Receive buffer and the copy of the request body sent from it; only the request and
  // WinHTTP use them, in turn.
  std::vector<uint8_t> readBuffer;
  std::string optionalData;

 private:
  ~RequestCallbackContext() = default;

  // Whether a callback is inside on a thread other than the calling one. Under the lock.
  bool IsEnteredElsewhere() const;
  // Frees the context when the handle is closing and no callback is inside; |held| is the
  // caller's lock, released first.
  void FreeIfDone(std::unique_lock<SrwLock>& held);

  SrwLock lock;
  SrwConditionVariable idle;
  HttpRequest* request;
  // The callbacks inside, on any thread, the latest first. A thread's own are never waited
  // for: WinHTTP may call back from inside a call that a callback made.
  Entry* entries = nullptr;
  bool closing = false;
};

#endif  // NET_REQUEST_CALLBACK_CONTEXT_H_
