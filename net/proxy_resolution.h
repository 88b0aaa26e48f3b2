#ifndef NET_PROXY_RESOLUTION_H_
#define NET_PROXY_RESOLUTION_H_

#include <windows.h>

#include <string>

#include "net/proxy_config.h"

// Whether finding the route of a URL under |config| may take network round trips (a PAC
// script to fetch and run, automatic detection), so that it must not run on the window thread.
bool IsResolutionSlow(const ProxyConfig& config);

// Finds the route of |url| under |config|. kDirect and kFixed answer at once. kPac runs the
// script through WinHttpGetProxyForUrl; kSystem follows the current user's settings as
// Windows does: automatic detection, then the configuration script, then the manual proxy,
// and direct when nothing is set. Fails (and logs why) when a script that must answer does
// not: the URL is then a failed URL, never silently direct. Blocks on the network for kPac
// and kSystem: call it on a worker thread. Any thread.
HRESULT ResolveProxyRoute(const ProxyConfig& config, const std::wstring& url, ProxyRoute* route);

#endif  // NET_PROXY_RESOLUTION_H_
