#include "installer/installer_switches.h"

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

InstallerSwitches ParseInstallerSwitches(std::string_view commandLine) {
  InstallerSwitches switches;
  size_t position = 0;
  while (position < commandLine.size()) {
    while (position < commandLine.size() && IsWhiteSpace(commandLine[position]))
      ++position;
    const size_t start = position;
    while (position < commandLine.size() && !IsWhiteSpace(commandLine[position]))
      ++position;
    const std::string_view word = commandLine.substr(start, position - start);
    if (word == "/s")
      switches.silent = true;
    else if (word == "/r")
      switches.autoLaunch = true;
    else if (word == "/d")
      switches.makeDefault = true;
  }
  return switches;
}
