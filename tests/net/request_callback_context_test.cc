#include "net/request_callback_context.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using std::chrono::milliseconds;

// A stand-in address: the context only hands the pointer back.
HttpRequest* const kRequest = reinterpret_cast<HttpRequest*>(0x1000);

// Each test ends the context the way WinHTTP does, with the handle-closing notification.
TEST(RequestCallbackContextTest, EntryReachesTheRequestUntilDetached) {
  auto* context = new RequestCallbackContext(kRequest);
  {
    RequestCallbackContext::Entry entry(context);
    EXPECT_EQ(entry.request(), kRequest);
  }
  context->Detach();
  {
    RequestCallbackContext::Entry entry(context);
    EXPECT_EQ(entry.request(), nullptr);
  }
  context->OnHandleClosing();
}

TEST(RequestCallbackContextTest, DetachWaitsForACallbackInsideOnAnotherThread) {
  auto* context = new RequestCallbackContext(kRequest);
  std::atomic<bool> inside{false};
  std::atomic<bool> left{false};
  std::thread callback([&] {
    RequestCallbackContext::Entry entry(context);
    inside = true;
    std::this_thread::sleep_for(milliseconds(300));
    left = true;
  });
  while (!inside)
    std::this_thread::yield();
  const auto start = std::chrono::steady_clock::now();
  context->Detach();
  EXPECT_TRUE(left);
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(200));
  callback.join();
  context->OnHandleClosing();
}

TEST(RequestCallbackContextTest, DetachFromInsideACallbackDoesNotWaitForItself) {
  auto* context = new RequestCallbackContext(kRequest);
  auto* next = new RequestCallbackContext(kRequest);
  {
    RequestCallbackContext::Entry outer(context);
    RequestCallbackContext::Entry nested(context);  // a call that completed inline
    RequestCallbackContext::Entry started(next);    // ...and the next transfer it started
    context->Detach();                              // must not deadlock
    RequestCallbackContext::Entry after(context);
    EXPECT_EQ(after.request(), nullptr);
  }
  context->OnHandleClosing();
  next->OnHandleClosing();
}

TEST(RequestCallbackContextTest, ClosingWhileACallbackIsInsideFreesOnlyAfterIt) {
  auto* context = new RequestCallbackContext(kRequest);
  context->Detach();
  std::atomic<bool> inside{false};
  std::atomic<bool> closed{false};
  std::thread callback([&] {
    RequestCallbackContext::Entry entry(context);
    inside = true;
    while (!closed)
      std::this_thread::yield();
    // Still usable: the context waits for this entry to leave before it goes.
    context->readBuffer.assign(16, 1);
  });
  while (!inside)
    std::this_thread::yield();
  context->OnHandleClosing();
  closed = true;
  callback.join();
}

}  // namespace
