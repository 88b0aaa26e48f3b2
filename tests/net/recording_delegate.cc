#include "tests/net/recording_delegate.h"

void RecordingDelegate::OnResponseStarted() {
  std::lock_guard<std::mutex> held(lock);
  ++responsesStarted;
  callsAfterCompletion += completions > 0;
  changed.notify_all();
}

void RecordingDelegate::OnProgress(uint32_t received, uint32_t total) {
  std::lock_guard<std::mutex> held(lock);
  progress.push_back({received, total});
  callsAfterCompletion += completions > 0;
  changed.notify_all();
}

void RecordingDelegate::OnRequestComplete(const std::string& completedBody) {
  std::lock_guard<std::mutex> held(lock);
  callsAfterCompletion += completions > 0;
  ++completions;
  body = completedBody;
  changed.notify_all();
}

void RecordingDelegate::OnConnectionClosed() {
  std::lock_guard<std::mutex> held(lock);
  ++connectionsClosed;
  changed.notify_all();
}

bool RecordingDelegate::WaitForCompletions(int count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> held(lock);
  return changed.wait_for(held, timeout, [&] { return completions >= count; });
}

bool RecordingDelegate::WaitForProgress(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> held(lock);
  return changed.wait_for(held, timeout, [&] { return progress.size() >= count; });
}

int RecordingDelegate::Completions() const {
  std::lock_guard<std::mutex> held(lock);
  return completions;
}

int RecordingDelegate::ResponsesStarted() const {
  std::lock_guard<std::mutex> held(lock);
  return responsesStarted;
}

int RecordingDelegate::CallsAfterCompletion() const {
  std::lock_guard<std::mutex> held(lock);
  return callsAfterCompletion;
}

std::string RecordingDelegate::Body() const {
  std::lock_guard<std::mutex> held(lock);
  return body;
}

std::vector<RecordingDelegate::Progress> RecordingDelegate::ProgressCalls() const {
  std::lock_guard<std::mutex> held(lock);
  return progress;
}

int RecordingDelegate::TotalCalls() const {
  std::lock_guard<std::mutex> held(lock);
  return completions + responsesStarted + connectionsClosed + static_cast<int>(progress.size());
}
