#ifndef UPDATER_PROXY_POLICY_H_
#define UPDATER_PROXY_POLICY_H_

#include <string>

#include "net/proxy_config.h"

// Where an administrator sets the updater's proxy (Group Policy writes it there too; the
// template is tools/policy/orbavintel.admx). REG_SZ values under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kProxyPolicyKey[] = L"SOFTWARE\\Policies\\Orbavintel\\Update";
inline constexpr wchar_t kProxyModeValue[] = L"ProxyMode";
inline constexpr wchar_t kProxyServerValue[] = L"ProxyServer";
inline constexpr wchar_t kProxyBypassValue[] = L"ProxyBypass";
inline constexpr wchar_t kProxyPacUrlValue[] = L"ProxyPacUrl";

// Reads the policy and keeps it for the whole run: "direct" (or no mode), "system", "fixed"
// with a server and "pac" with a script URL, in any letter case. A mode that is unknown or
// lacks its value is named in one log line and means direct, as without a policy. Once, at
// start-up, on the window thread, before the check.
void LoadProxyPolicy();

// The policy loaded at start-up; direct until then. Any thread after LoadProxyPolicy.
const ProxyConfig& GetProxyPolicy();

#endif  // UPDATER_PROXY_POLICY_H_
