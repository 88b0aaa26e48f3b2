#include "net/deferred_start.h"

#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "base/win/debug_output.h"

struct DeferredStart::Slot {
  std::mutex lock;
  bool armed = true;
};

bool DeferredStart::Launch(Preparation prepare) {
  Disarm();
  std::shared_ptr<Slot> launched;
  try {
    launched = std::make_shared<Slot>();
    // Detached: a preparation stuck on the network must not hold up the owner, who has
    // stopped caring about it once disarmed.
    std::thread([launched, prepare = std::move(prepare)] {
      const StartStep start = prepare();
      const std::lock_guard<std::mutex> held(launched->lock);
      if (launched->armed && start)
        start();
      launched->armed = false;
    }).detach();
  } catch (const std::exception&) {
    WriteDebugLine("Cannot start the thread that prepares a transfer.\n");
    return false;
  }
  slot = std::move(launched);
  return true;
}

void DeferredStart::Disarm() {
  if (!slot)
    return;
  {
    const std::lock_guard<std::mutex> held(slot->lock);
    slot->armed = false;
  }
  slot.reset();
}
