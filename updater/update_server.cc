#include "updater/update_server.h"

#include "base/decimal_number.h"
#include "base/win/command_line.h"
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
  uint64_t value = 0;
  return port.size() <= 5 && ParseDecimalDigits(port, 65535, &value) && value >= 1;
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
