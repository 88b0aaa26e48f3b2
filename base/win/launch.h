#ifndef BASE_WIN_LAUNCH_H_
#define BASE_WIN_LAUNCH_H_

#include <windows.h>

#include <string>
#include <vector>

#include "base/win/command_line.h"
#include "base/win/process_handle.h"

// How to start a program. The defaults start it at once, shown normally, in the caller's
// working directory and environment, inheriting no handles, and do not wait for it.
// With showAsProgramChooses, its first window takes the state the program asks for, and
// startHidden is not used.
struct LaunchSettings {
  enum InheritMode { kInheritListed = 0, kInheritAll = 1 };

  bool wait = false;
  std::wstring currentDirectory;
  bool startHidden = false;
  bool showAsProgramChooses = false;
  InheritMode inheritMode = kInheritListed;
  std::vector<HANDLE> handlesToInherit;  // not owned
  HANDLE userToken = nullptr;            // not owned
  bool emptyDesktopName = false;
  HANDLE job = nullptr;  // not owned
  HANDLE stdInput = nullptr;
  HANDLE stdOutput = nullptr;
  HANDLE stdError = nullptr;
  bool forceBreakaway = false;
};

// Starts |commandLine| (rendered with its quoting rules) with CreateProcess, or as the user
// of settings.userToken. Returns an invalid handle on failure, without a message; a handle
// that cannot be made inheritable is fatal. Runs on the caller's thread; blocks only with
// settings.wait.
ProcessHandle StartProcess(const CommandLineArgs& commandLine, const LaunchSettings& settings);

// Starts the program at |programPath|, which is not searched for, and hands it |commandText|
// exactly as written; an empty text hands it none, and the system gives it its path. For a
// child that is owed a command line of a fixed form rather than one rendered with quoting
// rules. Otherwise as StartProcess.
ProcessHandle StartProgramAt(const std::wstring& programPath,
                             const std::wstring& commandText,
                             const LaunchSettings& settings);

// Starts the program through the shell with the verb "runas" (the elevation prompt). Only
// wait and startHidden are used. A refused prompt gives an invalid handle. The program starts
// with the system's default error mode, as every child does.
ProcessHandle StartProcessElevated(const CommandLineArgs& commandLine,
                                   const LaunchSettings& settings);

// Opens |target| (a web address, a document) with the program the user chose for it, through
// the shell; a program started for it gets the system's default error mode. False when the
// shell could not open it.
bool OpenWithShell(const std::wstring& target);

#endif  // BASE_WIN_LAUNCH_H_
