#include "base/win/logging.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "base/win/debug_output.h"
#include "base/win/module_path.h"
#include "base/win/scoped_handle.h"
#include "base/win/srw_lock.h"

namespace logging {
namespace {

// Before initialisation only the file destination is set, as for any program that never
// configured its log.
std::atomic<uint32_t> g_destinations{kLogToFile};
SrwLock g_fileLock;
std::wstring g_logFileName;
UniqueHandle g_logFile;

constexpr size_t kMaxErrorTextBytes = 256;

std::wstring DefaultLogFileBesideProgram() {
  std::wstring folder = GetModulePath();
  if (folder.empty())
    return std::wstring();
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return folder + L"debug.log";
}

UniqueHandle OpenForAppend(const std::wstring& name) {
  return UniqueHandle(::CreateFileW(name.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Opens the log file when it is not open yet. Caller holds g_fileLock.
bool EnsureLogFileOpen() {
  if (g_logFile)
    return true;
  if (!g_logFileName.empty()) {
    g_logFile = OpenForAppend(g_logFileName);
    return g_logFile.IsValid();
  }
  g_logFile = OpenForAppend(DefaultLogFileBesideProgram());
  if (!g_logFile)
    g_logFile = OpenForAppend(L"debug.log");
  return g_logFile.IsValid();
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Drops leading and trailing white space and runs that hold a line break; other runs
// become one space.
std::string CollapseWhiteSpace(std::string_view text) {
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsSpace(text[i])) {
      result += text[i++];
      continue;
    }
    bool lineBreak = false;
    while (i < text.size() && IsSpace(text[i])) {
      lineBreak = lineBreak || text[i] == '\r' || text[i] == '\n';
      ++i;
    }
    if (!result.empty() && i < text.size() && !lineBreak)
      result += ' ';
  }
  return result;
}

void SendLine(int severity, const std::string& line) {
  const uint32_t destinations = g_destinations.load();
  if (destinations & kLogToSystemDebugLog) {
    WriteDebugLine(line);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  } else if (severity >= kLogError) {
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }
  if (destinations & kLogToFile) {
    std::lock_guard<SrwLock> hold(g_fileLock);
    if (EnsureLogFileOpen()) {
      DWORD written = 0;
      ::WriteFile(g_logFile.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
  }
  if (severity == kLogFatal)
    ::DebugBreak();
}

}  // namespace

bool InitLogging(const LogSettings& settings) {
  g_destinations = settings.destinations;
  if (!(settings.destinations & kLogToFile))
    return true;
  std::lock_guard<SrwLock> hold(g_fileLock);
  g_logFile.reset();
  g_logFileName = settings.logFile;
  if (!settings.appendToOld)
    ::DeleteFileW(g_logFileName.empty() ? DefaultLogFileBesideProgram().c_str()
                                        : g_logFileName.c_str());
  return EnsureLogFileOpen();
}

std::string SeverityName(int severity) {
  switch (severity) {
    case kLogInfo:
      return "INFO";
    case kLogWarning:
      return "WARNING";
    case kLogError:
      return "ERROR";
    case kLogFatal:
      return "FATAL";
    default:
      return severity < 0 ? "VERBOSE" + std::to_string(-static_cast<long long>(severity))
                          : "UNKNOWN";
  }
}

std::string FormatLogLine(const SYSTEMTIME& time,
                          const char* file,
                          int line,
                          int severity,
                          std::string_view text) {
  std::string_view fileName = file ? file : "";
  const size_t slash = fileName.find_last_of("\\/");
  if (slash != std::string_view::npos)
    fileName.remove_prefix(slash + 1);
  char prefix[48];
  std::snprintf(prefix, sizeof(prefix), "[%02u%02u/%02u%02u%02u.%03u:", time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  std::string result = prefix;
  result += SeverityName(severity);
  result += ':';
  result += fileName;
  result += '(' + std::to_string(line) + ")] ";
  result += text;
  result += '\n';
  return result;
}

std::string SystemErrorDescription(DWORD error) {
  char message[kMaxErrorTextBytes] = {};
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, message, static_cast<DWORD>(sizeof(message)), nullptr);
  char code[96];
  if (length == 0) {
    std::snprintf(code, sizeof(code), "Error (0x%lX) while retrieving error. (0x%lX)",
                  static_cast<unsigned long>(::GetLastError()), static_cast<unsigned long>(error));
    return code;
  }
  std::snprintf(code, sizeof(code), " (0x%lX)", static_cast<unsigned long>(error));
  return CollapseWhiteSpace(std::string_view(message, length)) + code;
}

void LogMessage(const char* file, int line, int severity, std::string_view text) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  SendLine(severity, FormatLogLine(now, file, line, severity, text));
}

void LogMessageWithError(const char* file,
                         int line,
                         int severity,
                         DWORD error,
                         std::string_view text) {
  std::string full(text);
  full += ": ";
  full += SystemErrorDescription(error);
  LogMessage(file, line, severity, full);
  ::SetLastError(error);
}

}  // namespace logging
