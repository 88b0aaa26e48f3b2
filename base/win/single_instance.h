#ifndef BASE_WIN_SINGLE_INSTANCE_H_
#define BASE_WIN_SINGLE_INSTANCE_H_

#include "base/win/scoped_handle.h"

// A program's one-per-session rule, the same for both programs: another instance exists when
// a window of its class is there, or when it holds the session's named mutex. The window
// search alone misses an instance started in the same moment, which has not created its
// window yet; creating the mutex is atomic, so of two such processes only one claims it.
class SingleInstance {
 public:
  // Looks for a window of |windowClass| on this desktop, then takes the mutex |mutexName| (in
  // the "Local\" namespace, so per session: it also finds an instance on another desktop of
  // the session, which the window search cannot see). When the mutex cannot be created at all
  // (a debug line says so), the window search is all there is. Start-up thread.
  SingleInstance(const wchar_t* windowClass, const wchar_t* mutexName);

  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another instance runs; the caller then ends at once.
  bool IsFirst() const { return first; }

 private:
  // Held until the process ends: the next instance may start once this one is gone.
  UniqueHandle mutex;
  bool first = true;
};

#endif  // BASE_WIN_SINGLE_INSTANCE_H_
