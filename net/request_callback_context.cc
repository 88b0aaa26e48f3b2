#include "net/request_callback_context.h"

RequestCallbackContext::Entry::Entry(RequestCallbackContext* entered) : context(entered) {
  std::lock_guard<SrwLock> held(context->lock);
  target = context->request;
  next = context->entries;
  context->entries = this;
}

RequestCallbackContext::Entry::~Entry() {
  std::unique_lock<SrwLock> held(context->lock);
  Entry** link = &context->entries;
  while (*link != this)
    link = &(*link)->next;
  *link = next;
  context->idle.notify_all();
  context->FreeIfDone(held);
}

void RequestCallbackContext::OnHandleClosing() {
  std::unique_lock<SrwLock> held(lock);
  closing = true;
  FreeIfDone(held);
}

void RequestCallbackContext::Detach() {
  std::unique_lock<SrwLock> held(lock);
  request = nullptr;
  idle.wait(held, [this] { return !IsEnteredElsewhere(); });
}

bool RequestCallbackContext::IsEnteredElsewhere() const {
  const DWORD self = ::GetCurrentThreadId();
  for (const Entry* entry = entries; entry; entry = entry->next) {
    if (entry->thread != self)
      return true;
  }
  return false;
}

void RequestCallbackContext::FreeIfDone(std::unique_lock<SrwLock>& held) {
  if (!closing || entries)
    return;
  held.unlock();
  delete this;
}
