#ifndef UPDATER_UPDATE_SERVER_H_
#define UPDATER_UPDATE_SERVER_H_

#include <string>
#include <string_view>

class CommandLineArgs;

// The address the update check posts to: plain HTTP, the update server's host, the fixed
// path. The host is built in; during development the switch "update-server" (HOST or
// HOST:PORT) replaces it. A malformed value is ignored with a debug line.
std::string GetUpdateCheckUrl(const CommandLineArgs& args);

// True for HOST or HOST:PORT: host letters, digits, "." and "-"; port 1 to 65535.
bool IsValidUpdateServer(std::string_view server);

#endif  // UPDATER_UPDATE_SERVER_H_
