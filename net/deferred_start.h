#ifndef NET_DEFERRED_START_H_
#define NET_DEFERRED_START_H_

#include <windows.h>

#include <functional>
#include <memory>

// Runs the slow preparation of a transfer (finding its proxy may fetch and run a script) on
// a worker thread of its own, then the quick step that starts the transfer, unless the
// owner disarmed it first. The worker never waits for the owner; the owner waits, in Disarm,
// only for a start step already running, never for the preparation.
class DeferredStart {
 public:
  // What the preparation hands back: the start step, run under the lock (may be empty).
  using StartStep = std::function<void()>;
  using Preparation = std::function<StartStep()>;

  DeferredStart() = default;
  ~DeferredStart() { Disarm(); }

  DeferredStart(const DeferredStart&) = delete;
  DeferredStart& operator=(const DeferredStart&) = delete;

  // Disarms the previous preparation and runs |prepare| on a new thread; its start step runs
  // there too, unless Disarm comes first. |prepare| must only use what it owns: the owner
  // may be gone when it returns. False when no thread could be started. Owner's thread.
  bool Launch(Preparation prepare);

  // From now on no start step runs; waits for one that is running. Owner's thread; a start
  // step must never call it.
  void Disarm();

 private:
  struct Slot;
  struct Work;
  static DWORD WINAPI Run(void* work);

  std::shared_ptr<Slot> slot;
};

#endif  // NET_DEFERRED_START_H_
