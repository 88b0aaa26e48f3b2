#include "net/http_handle.h"

#include "base/win/debug_output.h"
#include "net/http_result.h"

HRESULT HttpSession::Open(const wchar_t* agent) {
  Close();
  HINTERNET session = ::WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  if (!session) {
    const HRESULT result = LastErrorResult();
    WriteDebugLineF("WinHttpOpen failed: 0x%08lX.\n", static_cast<unsigned long>(result));
    return result;
  }
  Reset(session);
  return S_OK;
}

HRESULT HttpConnection::Connect(const HttpSession& session,
                                const std::wstring& host,
                                INTERNET_PORT port) {
  Close();
  HINTERNET connection = ::WinHttpConnect(session.Get(), host.c_str(), port, 0);
  if (!connection) {
    const HRESULT result = LastErrorResult();
    WriteDebugLineF("WinHttpConnect failed: 0x%08lX.\n", static_cast<unsigned long>(result));
    return result;
  }
  Reset(connection);
  return S_OK;
}
