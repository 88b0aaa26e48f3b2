#ifndef BASE_WIN_SRW_LOCK_H_
#define BASE_WIN_SRW_LOCK_H_

#include <windows.h>

#include <mutex>

// The lock and condition variable for state that WinHTTP's worker threads share with ours.
// Those threads are not the C++ thread library's: with mingw, std::mutex, std::thread and
// thread_local go through winpthreads, which keeps a record per thread, made on first use
// and dropped as a thread ends, and a WinHTTP worker was seen to spin for ever there as one
// of our threads ended. Windows' slim reader/writer locks keep nothing per thread.

// Exclusive and not recursive; use it with std::lock_guard and std::unique_lock.
class SrwLock {
 public:
  SrwLock() = default;
  SrwLock(const SrwLock&) = delete;
  SrwLock& operator=(const SrwLock&) = delete;

  void lock() { ::AcquireSRWLockExclusive(&srw); }
  bool try_lock() { return ::TryAcquireSRWLockExclusive(&srw) != FALSE; }
  void unlock() { ::ReleaseSRWLockExclusive(&srw); }

 private:
  friend class SrwConditionVariable;
  SRWLOCK srw = SRWLOCK_INIT;
};

class SrwConditionVariable {
 public:
  SrwConditionVariable() = default;
  SrwConditionVariable(const SrwConditionVariable&) = delete;
  SrwConditionVariable& operator=(const SrwConditionVariable&) = delete;

  // Releases |held| until woken, until |done| holds; |held| is locked again on return.
  template <typename Predicate>
  void wait(std::unique_lock<SrwLock>& held, Predicate done) {
    while (!done())
      ::SleepConditionVariableSRW(&variable, &held.mutex()->srw, INFINITE, 0);
  }

  void notify_all() { ::WakeAllConditionVariable(&variable); }

 private:
  CONDITION_VARIABLE variable = CONDITION_VARIABLE_INIT;
};

#endif  // BASE_WIN_SRW_LOCK_H_
