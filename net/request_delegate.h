#ifndef NET_REQUEST_DELEGATE_H_
#define NET_REQUEST_DELEGATE_H_

#include <cstdint>
#include <string>

// What the owner of an HTTP transfer hears about it. Every call arrives on a WinHTTP worker
// thread, never on the thread that started the transfer, and without the request's lock
// held; implementations record state and post messages, and return quickly.
class RequestDelegate {
 public:
  // The response headers arrived (also for 401/407 and error statuses).
  virtual void OnResponseStarted() = 0;
  // Once per completed read, before its bytes are counted. Both values are the low 32 bits
  // of the 64-bit counters; a missing Content-Length arrives as 0xFFFFFFFF.
  virtual void OnProgress(uint32_t received, uint32_t total) = 0;
  // Exactly once at the end of every transfer that was sent, successful or not. |body| is
  // the response kept in memory (empty when it went into a file or nothing arrived).
  virtual void OnRequestComplete(const std::string& body) = 0;
  // The platform reported that the connection closed.
  virtual void OnConnectionClosed() = 0;
  virtual ~RequestDelegate() = default;
};

#endif  // NET_REQUEST_DELEGATE_H_
