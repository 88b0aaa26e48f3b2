#include "net/deferred_start.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "base/win/debug_output.h"
#include "base/win/last_error_result.h"
#include "base/win/scoped_handle.h"
#include "base/win/srw_lock.h"

struct DeferredStart::Slot {
  SrwLock lock;
  bool armed = true;
};

struct DeferredStart::Work {
  std::shared_ptr<Slot> slot;
  Preparation prepare;
};

// A Windows thread, not std::thread: see base/win/srw_lock.h.
DWORD WINAPI DeferredStart::Run(void* parameter) {
  const std::unique_ptr<Work> work(static_cast<Work*>(parameter));
  const StartStep start = work->prepare();
  const std::lock_guard<SrwLock> held(work->slot->lock);
  if (work->slot->armed && start)
    start();
  work->slot->armed = false;
  return 0;
}

bool DeferredStart::Launch(Preparation prepare) {
  Disarm();
  std::unique_ptr<Work> work;
  try {
    work.reset(new Work{std::make_shared<Slot>(), std::move(prepare)});
  } catch (const std::bad_alloc&) {
    WriteDebugLine("Cannot start the thread that prepares a transfer: out of memory.\n");
    return false;
  }
  std::shared_ptr<Slot> launched = work->slot;  // |work| is the thread's once it starts
  // Not waited for: a preparation stuck on the network must not hold up the owner, who has
  // stopped caring about it once disarmed.
  const UniqueHandle thread(::CreateThread(nullptr, 0, &Run, work.get(), 0, nullptr));
  if (!thread) {
    WriteDebugLineF("Cannot start the thread that prepares a transfer: 0x%08lX.\n",
                    static_cast<unsigned long>(LastErrorResult()));
    return false;
  }
  work.release();
  slot = std::move(launched);
  return true;
}

void DeferredStart::Disarm() {
  if (!slot)
    return;
  {
    const std::lock_guard<SrwLock> held(slot->lock);
    slot->armed = false;
  }
  slot.reset();
}
