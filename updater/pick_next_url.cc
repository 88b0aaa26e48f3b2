#include "updater/browser_updater.h"
#include "updater/random_index.h"

bool BrowserUpdater::PickNextUrl() {
  std::lock_guard<SrwLock> hold(answerLock);
  std::vector<std::string>* candidates = defaultUrls.empty() ? &backupUrls : &defaultUrls;
  if (candidates->empty())
    return false;
  // A chosen URL leaves its list at once, so each entry is tried at most once whatever its
  // text: an empty or unusable one fails like any other and is never chosen again.
  const auto chosen = candidates->begin() + RandomIndexBelow(candidates->size());
  currentUrl = std::move(*chosen);
  candidates->erase(chosen);
  return true;
}
