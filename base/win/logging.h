#ifndef BASE_WIN_LOGGING_H_
#define BASE_WIN_LOGGING_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// The base facilities' diagnostic log: one formatted line per message, to the debugger
// output (and then also to standard error) and/or a log file; errors go to standard error
// whatever the destinations. Lines may be written from any thread; each goes to each
// destination as one call. A fatal message ends the process after it is written.
namespace logging {

enum LogDestination : uint32_t {
  kLogToFile = 1,
  kLogToSystemDebugLog = 2,
};

enum LogSeverity : int {
  kLogInfo = 0,
  kLogWarning = 1,
  kLogError = 2,
  kLogFatal = 3,
};

struct LogSettings {
  uint32_t destinations = kLogToFile;
  std::wstring logFile;     // required with kLogToFile; "debug.log" beside the program if empty
  bool lockLog = false;     // has no effect
  bool appendToOld = true;  // false deletes an existing log file at initialisation
};

// Stores the destinations and, with the file bit, opens the log file. Returns whether the
// file could be opened (true without the file bit).
bool InitLogging(const LogSettings& settings);

// Formats one line and sends it to the destinations.
void LogMessage(const char* file, int line, int severity, std::string_view text);

// The same with ": " and the description of platform error |error| appended. The thread's
// last-error value is the same after the call as before it.
void LogMessageWithError(const char* file,
                         int line,
                         int severity,
                         DWORD error,
                         std::string_view text);

// "[MMDD/HHMMSS.mmm:SEVERITY:file(line)] text\n", with the file's last path component.
std::string FormatLogLine(const SYSTEMTIME& time,
                          const char* file,
                          int line,
                          int severity,
                          std::string_view text);

// The system's message for |error| with white space collapsed, then " (0x%lX)".
std::string SystemErrorDescription(DWORD error);

// "INFO", "WARNING", "ERROR", "FATAL", "VERBOSE<n>" for -n, else "UNKNOWN".
std::string SeverityName(int severity);

}  // namespace logging

// Logs |text| with the calling thread's last error, captured before anything can change it.
#define LOG_LAST_ERROR(severity, text)                                                    \
  do {                                                                                    \
    const DWORD logLastError = ::GetLastError();                                          \
    ::logging::LogMessageWithError(__FILE__, __LINE__, (severity), logLastError, (text)); \
  } while (false)

#endif  // BASE_WIN_LOGGING_H_
