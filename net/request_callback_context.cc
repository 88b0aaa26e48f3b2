#include "net/request_callback_context.h"

namespace {

// The context whose callback this thread is running, and how deeply (WinHTTP may call back
// from inside a call made by a callback).
thread_local const RequestCallbackContext* g_currentContext = nullptr;
thread_local int g_currentDepth = 0;

}  // namespace

RequestCallbackContext::Entry::Entry(RequestCallbackContext* entered)
    : context(entered), previousContext(g_currentContext), previousDepth(g_currentDepth) {
  std::lock_guard<std::mutex> held(context->lock);
  ++context->inside;
  target = context->request;
  if (g_currentContext == context) {
    ++g_currentDepth;
  } else {
    g_currentContext = context;
    g_currentDepth = 1;
  }
}

RequestCallbackContext::Entry::~Entry() {
  g_currentContext = previousContext;
  g_currentDepth = previousDepth;
  std::unique_lock<std::mutex> held(context->lock);
  --context->inside;
  context->idle.notify_all();
  context->FreeIfDone(held);
}

void RequestCallbackContext::OnHandleClosing() {
  std::unique_lock<std::mutex> held(lock);
  closing = true;
  FreeIfDone(held);
}

void RequestCallbackContext::Detach() {
  std::unique_lock<std::mutex> held(lock);
  request = nullptr;
  const int ownDepth = g_currentContext == this ? g_currentDepth : 0;
  idle.wait(held, [this, ownDepth] { return inside <= ownDepth; });
}

void RequestCallbackContext::FreeIfDone(std::unique_lock<std::mutex>& held) {
  if (!closing || inside > 0)
    return;
  held.unlock();
  delete this;
}
