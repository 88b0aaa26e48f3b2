#include "net/proxy_resolution.h"

#include <winhttp.h>

#include "base/win/debug_output.h"
#include "base/win/scoped_handle.h"
#include "base/win/text_conversion.h"
#include "net/http_result.h"
#include "net/scoped_hinternet.h"

namespace {

using UniqueGlobalString = UniqueAny<HGLOBAL, ::GlobalFree>;

// Takes a string WinHTTP allocated for the caller and frees it.
std::wstring TakeString(LPWSTR text) {
  const UniqueGlobalString owned(text);
  return text ? std::wstring(text) : std::wstring();
}

ProxyRoute RouteThrough(std::wstring proxy, std::wstring bypass) {
  ProxyRoute route;
  route.direct = proxy.empty();
  route.proxy = std::move(proxy);
  route.bypass = std::move(bypass);
  return route;
}

// Asks WinHTTP to fetch and run a PAC script (named by |options|) for |url|.
HRESULT RunScript(const std::wstring& url, WINHTTP_AUTOPROXY_OPTIONS* options, ProxyRoute* route) {
  // A synchronous session of its own: the script is fetched directly, as Windows does.
  const UniqueHInternet session(::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session)
    return LastErrorResult();
  WINHTTP_PROXY_INFO info = {};
  if (!::WinHttpGetProxyForUrl(session.get(), url.c_str(), options, &info))
    return LastErrorResult();
  std::wstring proxy = TakeString(info.lpszProxy);
  std::wstring bypass = TakeString(info.lpszProxyBypass);
  if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY)
    proxy.clear();
  *route = RouteThrough(std::move(proxy), std::move(bypass));
  return S_OK;
}

HRESULT RunScriptAt(const std::wstring& url, const std::wstring& scriptUrl, ProxyRoute* route) {
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  options.lpszAutoConfigUrl = scriptUrl.c_str();
  // The script server may ask who is fetching it, as any intranet server may.
  options.fAutoLogonIfChallenged = TRUE;
  const HRESULT result = RunScript(url, &options, route);
  if (FAILED(result)) {
    WriteDebugLineF("Proxy: the PAC script %s gave no answer: 0x%08lX.\n",
                    WideToUtf8(scriptUrl).c_str(), static_cast<unsigned long>(result));
  }
  return result;
}

HRESULT DetectAndRunScript(const std::wstring& url, ProxyRoute* route) {
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
  options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  options.fAutoLogonIfChallenged = TRUE;
  const HRESULT result = RunScript(url, &options, route);
  if (FAILED(result)) {
    WriteDebugLineF("Proxy: automatic detection found no script: 0x%08lX.\n",
                    static_cast<unsigned long>(result));
  }
  return result;
}

// Windows' own order: a detected script, the configured script, the manual proxy. A script
// that fails hands over to the next way, as it does for the user's other programs.
HRESULT ResolveSystemRoute(const std::wstring& url, ProxyRoute* route) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG settings = {};
  if (!::WinHttpGetIEProxyConfigForCurrentUser(&settings)) {
    WriteDebugLineF("Proxy: the user's proxy settings cannot be read: 0x%08lX; going direct.\n",
                    static_cast<unsigned long>(LastErrorResult()));
    *route = ProxyRoute();
    return S_OK;
  }
  const std::wstring scriptUrl = TakeString(settings.lpszAutoConfigUrl);
  std::wstring proxy = TakeString(settings.lpszProxy);
  std::wstring bypass = TakeString(settings.lpszProxyBypass);
  if (settings.fAutoDetect && SUCCEEDED(DetectAndRunScript(url, route)))
    return S_OK;
  if (!scriptUrl.empty() && SUCCEEDED(RunScriptAt(url, scriptUrl, route)))
    return S_OK;
  *route = RouteThrough(std::move(proxy), std::move(bypass));
  return S_OK;
}

}  // namespace

bool IsResolutionSlow(const ProxyConfig& config) {
  return config.mode == ProxyMode::kPac || config.mode == ProxyMode::kSystem;
}

HRESULT ResolveProxyRoute(const ProxyConfig& config, const std::wstring& url, ProxyRoute* route) {
  switch (config.mode) {
    case ProxyMode::kFixed:
      *route = RouteThrough(config.server, config.bypass);
      return S_OK;
    case ProxyMode::kPac:
      return RunScriptAt(url, config.pacUrl, route);
    case ProxyMode::kSystem:
      return ResolveSystemRoute(url, route);
    case ProxyMode::kDirect:
      break;
  }
  *route = ProxyRoute();
  return S_OK;
}
