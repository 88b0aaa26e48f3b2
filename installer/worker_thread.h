#ifndef INSTALLER_WORKER_THREAD_H_
#define INSTALLER_WORKER_THREAD_H_

#include "base/win/scoped_handle.h"

class WorkerThread;

// What a WorkerThread runs.
class ThreadDelegate {
 public:
  // Runs on the new thread; |thread| is the object that started it.
  virtual void Run(WorkerThread* thread) = 0;

 protected:
  ~ThreadDelegate() = default;
};

// One background thread that runs its delegate once.
class WorkerThread {
 public:
  WorkerThread() = default;
  // Waits, without time limit, for a thread that was started.
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // |delegate| is not owned and must outlive the thread.
  void SetDelegate(ThreadDelegate* newDelegate) { delegate = newDelegate; }
  // Starts the thread. False without a delegate, when the platform refuses, or when a
  // thread was already started.
  bool Start();

 private:
  static unsigned long __stdcall ThreadMain(void* argument);

  ThreadDelegate* delegate = nullptr;
  UniqueHandle thread;
};

#endif  // INSTALLER_WORKER_THREAD_H_
