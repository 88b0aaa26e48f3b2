#ifndef TESTS_NET_RECORDING_DELEGATE_H_
#define TESTS_NET_RECORDING_DELEGATE_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "net/request_delegate.h"

// Records every delegate call of a transfer, from whichever thread it comes.
class RecordingDelegate : public RequestDelegate {
 public:
  struct Progress {
    uint32_t received;
    uint32_t total;
  };

  void OnResponseStarted() override;
  void OnProgress(uint32_t received, uint32_t total) override;
  void OnRequestComplete(const std::string& body) override;
  void OnConnectionClosed() override;

  // Waits until OnRequestComplete has been called |count| times in all; false on timeout.
  bool WaitForCompletions(int count, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  bool WaitForCompletion() { return WaitForCompletions(1); }
  // Waits until at least |count| progress calls arrived; false on timeout.
  bool WaitForProgress(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(30));

  int Completions() const;
  int ResponsesStarted() const;
  int CallsAfterCompletion() const;
  std::string Body() const;
  std::vector<Progress> ProgressCalls() const;
  // Every call counted, for checking that nothing arrives after a point in time.
  int TotalCalls() const;

 private:
  mutable std::mutex lock;
  std::condition_variable changed;
  int completions = 0;
  int responsesStarted = 0;
  int connectionsClosed = 0;
  int callsAfterCompletion = 0;
  std::string body;
  std::vector<Progress> progress;
};

#endif  // TESTS_NET_RECORDING_DELEGATE_H_
