#ifndef TESTS_UPDATER_DEBUG_LINE_CAPTURE_H_
#define TESTS_UPDATER_DEBUG_LINE_CAPTURE_H_

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

// Collects what this process writes with OutputDebugStringA while the object lives, one
// entry per call, exactly as written. OutputDebugStringA raises DBG_PRINTEXCEPTION_C and
// handles it itself; a vectored handler sees the text first (on Windows and on Wine). One
// capture at a time.
class DebugLineCapture {
 public:
  DebugLineCapture() {
    active = this;
    handler = ::AddVectoredExceptionHandler(1, &DebugLineCapture::OnException);
  }
  ~DebugLineCapture() {
    ::RemoveVectoredExceptionHandler(handler);
    active = nullptr;
  }
  DebugLineCapture(const DebugLineCapture&) = delete;
  DebugLineCapture& operator=(const DebugLineCapture&) = delete;

  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> hold(lock);
    return lines;
  }

 private:
  static LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 && active) {
      std::lock_guard<std::mutex> hold(active->lock);
      active->lines.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
  }

  static inline DebugLineCapture* active = nullptr;
  PVOID handler = nullptr;
  mutable std::mutex lock;
  std::vector<std::string> lines;
};

#endif  // TESTS_UPDATER_DEBUG_LINE_CAPTURE_H_
