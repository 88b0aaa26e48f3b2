#ifndef INSTALLER_INSTALLER_SWITCHES_H_
#define INSTALLER_INSTALLER_SWITCHES_H_

#include <string_view>

// The installer's three switches. A word of the command line counts only when it is exactly
// "/s", "/r" or "/d" (case included); every other word is ignored.
struct InstallerSwitches {
  bool silent = false;       // "/s": hidden window, install at once, close when done
  bool autoLaunch = false;   // "/r": start the browser in the done step and close
  bool makeDefault = false;  // "/d": ask the mini installer to make the browser the default
};

// Splits |commandLine| (the narrow entry-point command line, without the program path) at
// white space and reads the switches.
InstallerSwitches ParseInstallerSwitches(std::string_view commandLine);

#endif  // INSTALLER_INSTALLER_SWITCHES_H_
