#include "net/fetch_url.h"

#include <windows.h>
#include <winhttp.h>

#include <climits>

#include "base/win/debug_output.h"
#include "base/win/text_conversion.h"

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

}  // namespace

bool FetchUrl(HttpSession& session,
              HttpConnection& connection,
              NotifyingHttpRequest& request,
              std::string& requestBody,
              const std::string& url,
              HttpVerb verb,
              const std::string& body,
              const std::wstring& filePath) {
  if (url.empty())
    return false;
  SplitUrl split;
  if (!Split(Utf8ToWide(url), &split)) {
    WriteDebugLine("FetchUrl: the URL cannot be split.\n");
    return false;
  }
  if (verb == HttpVerb::kPost && body.size() > MAXDWORD) {
    WriteDebugLine("FetchUrl: the request body is too large.\n");
    return false;
  }

  // The previous transfer's callbacks stop before its handles are replaced.
  request.Cancel();
  if (FAILED(session.Open(kUserAgent)))
    return false;
  if (FAILED(connection.Connect(session, split.host, split.port)))
    return false;
  request.SetFilePath(filePath);
  if (FAILED(request.Open(connection, split.path, verb, split.secure ? WINHTTP_FLAG_SECURE : 0)))
    return false;

  requestBody.clear();
  HRESULT sent;
  if (verb == HttpVerb::kPost && !body.empty()) {
    requestBody = body;
    sent = request.Send(requestBody.data(), static_cast<DWORD>(requestBody.size()));
  } else {
    sent = request.Send(nullptr, 0);
  }
  return SUCCEEDED(sent);
}
