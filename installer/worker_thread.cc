#include "installer/worker_thread.h"

WorkerThread::~WorkerThread() {
  if (thread)
    ::WaitForSingleObject(thread.get(), INFINITE);
}

bool WorkerThread::Start() {
  if (!delegate || thread)
    return false;
  thread.reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  return thread.IsValid();
}

unsigned long __stdcall WorkerThread::ThreadMain(void* argument) {
  auto* self = static_cast<WorkerThread*>(argument);
  self->delegate->Run(self);
  return 0;
}
