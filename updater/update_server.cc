#include "updater/update_server.h"

#include "base/command_line.h"
#include "base/win/debug_output.h"

namespace {

constexpr char kBuiltInUpdateServer[] = ORBAVINTEL_UPDATE_SERVER_HOST;
constexpr char kUpdateCheckPath[] = "/orbavintel/update/version_win/";

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-';
}

}  // namespace

bool IsValidUpdateServer(std::string_view server) {
  const size_t colon = server.find(':');
  const std::string_view host = server.substr(0, colon);
  if (host.empty())
    return false;
  for (char c : host) {
    if (!IsHostCharacter(c))
      return false;
  }
  if (colon == std::string_view::npos)
    return true;
  const std::string_view port = server.substr(colon + 1);
  if (port.empty() || port.size() > 5)
    return false;
  unsigned value = 0;
  for (char c : port) {
    if (c < '0' || c > '9')
      return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

std::string GetUpdateCheckUrl(const CommandLineArgs& args) {
  std::string server = args.GetSwitchValueASCII("update-server");
  if (!server.empty() && !IsValidUpdateServer(server)) {
    WriteDebugLine("Ignoring malformed update-server switch.\n");
    server.clear();
  }
  if (server.empty())
    server = kBuiltInUpdateServer;
  return "http://" + server + kUpdateCheckPath;
}
