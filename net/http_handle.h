#ifndef NET_HTTP_HANDLE_H_
#define NET_HTTP_HANDLE_H_

#include <windows.h>
#include <winhttp.h>

#include <string>

#include "net/proxy_config.h"
#include "net/scoped_hinternet.h"

// Owns one WinHTTP handle (null when closed) and closes it on replacement or destruction.
// The owner keeps the three transfer objects for its whole life and reuses them; each
// transfer replaces the handles inside. Window thread, except where a subclass says so.
class HttpHandle {
 public:
  HttpHandle() = default;
  virtual ~HttpHandle() = default;

  HttpHandle(const HttpHandle&) = delete;
  HttpHandle& operator=(const HttpHandle&) = delete;

  HINTERNET get() const { return handle.get(); }
  bool IsValid() const { return handle.IsValid(); }

  // Closes the handle (WinHttpCloseHandle) and forgets it; nothing when already closed.
  void reset() { handle.reset(); }

 protected:
  // Closes the current handle and takes ownership of |newHandle|.
  void reset(HINTERNET newHandle) { handle.reset(newHandle); }

 private:
  UniqueHInternet handle;
};

// An asynchronous WinHTTP session.
class HttpSession : public HttpHandle {
 public:
  // Closes the previous session and opens a new asynchronous one with |agent| as user agent
  // along |route| (direct connections only, as by default, or through its proxy), with
  // Windows' default timeouts set explicitly. Returns the mapped platform error on failure.
  HRESULT Open(const wchar_t* agent, const ProxyRoute& route = ProxyRoute());
};

// A connection to one host and port within a session.
class HttpConnection : public HttpHandle {
 public:
  // Closes the previous connection and connects to |host|:|port| in |session|. WinHTTP
  // makes no network traffic here; failures are bad arguments or a closed session.
  HRESULT Connect(const HttpSession& session, const std::wstring& host, INTERNET_PORT port);
};

#endif  // NET_HTTP_HANDLE_H_
