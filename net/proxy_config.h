#ifndef NET_PROXY_CONFIG_H_
#define NET_PROXY_CONFIG_H_

#include <string>

// How transfers find their way to a server: an administrator's choice, fixed for a run.
enum class ProxyMode {
  kDirect,  // straight to the server, as without any proxy setting
  kSystem,  // the current user's Windows proxy settings
  kFixed,   // |server|, except for the hosts of |bypass|
  kPac,     // whatever the PAC script at |pacUrl| answers for each URL
};

struct ProxyConfig {
  ProxyMode mode = ProxyMode::kDirect;
  // A WinHTTP proxy list ("proxy.corp.example:3128") and bypass list, for kFixed.
  std::wstring server;
  std::wstring bypass;
  // The URL of the PAC script, for kPac.
  std::wstring pacUrl;
};

// How one URL reaches its server: directly, or through |proxy| (a WinHTTP proxy list) unless
// its host is in |bypass|.
struct ProxyRoute {
  bool direct = true;
  std::wstring proxy;
  std::wstring bypass;
};

#endif  // NET_PROXY_CONFIG_H_
