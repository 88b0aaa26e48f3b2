#ifndef INSTALLER_EXIT_CODES_H_
#define INSTALLER_EXIT_CODES_H_

// The installer's exit codes. 0 also when another instance is running.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitClassNotRegistered = 1;
inline constexpr int kExitWindowNotCreated = 2;
// Silent runs only: the install could not start or did not succeed.
inline constexpr int kExitFolderRefused = 3;
inline constexpr int kExitInstallPathNotRecorded = 4;
// The mini installer could not be written or started (its own exit code is not read).
inline constexpr int kExitSetupFailed = 5;
// The window was closed after the install started and before its result arrived.
inline constexpr int kExitInterrupted = 6;

#endif  // INSTALLER_EXIT_CODES_H_
