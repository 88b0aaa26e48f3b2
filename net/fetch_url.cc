#include "net/fetch_url.h"

#include <windows.h>
#include <winhttp.h>

#include <climits>

#include "base/win/debug_output.h"
#include "base/win/text_conversion.h"
#include "net/proxy_resolution.h"

namespace {

constexpr wchar_t kUserAgent[] = L"Orbavintel Browser Updater";

struct SplitUrl {
  std::wstring host;
  std::wstring path;
  INTERNET_PORT port = 0;
  bool secure = false;
};

// Scheme, host, port and path of |url|; the query and fragment are dropped.
bool Split(const std::wstring& url, SplitUrl* split) {
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (url.empty() || url.size() > INT_MAX ||
      !::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    return false;
  }
  split->host.assign(parts.lpszHostName ? parts.lpszHostName : L"", parts.dwHostNameLength);
  split->path.assign(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (split->path.empty())
    split->path = L"/";
  split->port = parts.nPort;
  split->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return !split->host.empty();
}

// Opens the handles of one transfer along |route| and sends |body| (kPost) or nothing.
HRESULT Start(HttpSession& session,
              HttpConnection& connection,
              NotifyingHttpRequest& request,
              const SplitUrl& split,
              const ProxyRoute& route,
              HttpVerb verb,
              const std::string& body,
              const std::wstring& filePath) {
  HRESULT result = session.Open(kUserAgent, route);
  if (SUCCEEDED(result))
    result = connection.Connect(session, split.host, split.port);
  if (FAILED(result))
    return result;
  request.SetFilePath(filePath);
  result = request.Open(connection, split.path, verb, split.secure ? WINHTTP_FLAG_SECURE : 0);
  if (FAILED(result))
    return result;
  request.answerProxyWithLogon = !route.direct;
  if (verb == HttpVerb::kPost && !body.empty())
    return request.Send(body.data(), static_cast<DWORD>(body.size()));
  return request.Send(nullptr, 0);
}

}  // namespace

bool FetchUrl(HttpSession& session,
              HttpConnection& connection,
              NotifyingHttpRequest& request,
              std::string& requestBody,
              const std::string& url,
              HttpVerb verb,
              const std::string& body,
              const std::wstring& filePath,
              const ProxyConfig& proxy) {
  if (url.empty())
    return false;
  SplitUrl split;
  const std::wstring wideUrl = Utf8ToWide(url);
  if (!Split(wideUrl, &split)) {
    WriteDebugLine("FetchUrl: the URL cannot be split.\n");
    return false;
  }
  if (verb == HttpVerb::kPost && body.size() > MAXDWORD) {
    WriteDebugLine("FetchUrl: the request body is too large.\n");
    return false;
  }

  // The previous transfer's callbacks stop before its handles and body are replaced.
  request.Cancel();
  requestBody.clear();
  if (verb == HttpVerb::kPost)
    requestBody = body;
  if (IsResolutionSlow(proxy)) {
    return request.StartLater([&session, &connection, &request, split, verb, filePath, proxy,
                               wideUrl, body = requestBody]() -> DeferredStart::StartStep {
      ProxyRoute route;
      const HRESULT resolved = ResolveProxyRoute(proxy, wideUrl, &route);
      // Runs only while the owner still wants this transfer; the references are alive then.
      return [&session, &connection, &request, split, verb, filePath, resolved, route, body] {
        HRESULT started = resolved;
        if (SUCCEEDED(started))
          started = Start(session, connection, request, split, route, verb, body, filePath);
        if (FAILED(started))
          request.FailUnsent(started);
      };
    });
  }

  ProxyRoute route;
  ResolveProxyRoute(proxy, wideUrl, &route);
  return SUCCEEDED(Start(session, connection, request, split, route, verb, requestBody, filePath));
}
