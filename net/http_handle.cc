#include "net/http_handle.h"

#include "base/win/debug_output.h"
#include "net/http_result.h"

namespace {

// Windows' documented defaults for WinHttpSetTimeouts, set explicitly so that every platform
// behaves as Windows does: name resolution unbounded, 60 s to connect, 30 s for each send
// and each receive. The updater's own deadlines bound the whole transfer.
constexpr int kResolveTimeoutMs = 0;
constexpr int kConnectTimeoutMs = 60000;
constexpr int kSendTimeoutMs = 30000;
constexpr int kReceiveTimeoutMs = 30000;

}  // namespace

HRESULT HttpSession::Open(const wchar_t* agent, const ProxyRoute& route) {
  reset();
  // Each transfer opens a session of its own, so its proxy is named here.
  HINTERNET session =
      route.direct
          ? ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC)
          : ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, route.proxy.c_str(),
                          route.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : route.bypass.c_str(),
                          WINHTTP_FLAG_ASYNC);
  if (!session) {
    const HRESULT result = LastErrorResult();
    WriteDebugLineF("WinHttpOpen failed: 0x%08lX.\n", static_cast<unsigned long>(result));
    return result;
  }
  reset(session);
  if (!::WinHttpSetTimeouts(session, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                            kReceiveTimeoutMs)) {
    // The platform's own defaults then apply; the updater's deadlines still hold.
    WriteDebugLineF("WinHttpSetTimeouts failed: 0x%08lX.\n",
                    static_cast<unsigned long>(LastErrorResult()));
  }
  return S_OK;
}

HRESULT HttpConnection::Connect(const HttpSession& session,
                                const std::wstring& host,
                                INTERNET_PORT port) {
  reset();
  HINTERNET connection = ::WinHttpConnect(session.get(), host.c_str(), port, 0);
  if (!connection) {
    const HRESULT result = LastErrorResult();
    WriteDebugLineF("WinHttpConnect failed: 0x%08lX.\n", static_cast<unsigned long>(result));
    return result;
  }
  reset(connection);
  return S_OK;
}
