#include <algorithm>

#include "updater/browser_updater.h"
#include "updater/random_index.h"

bool BrowserUpdater::PickNextUrl() {
  std::lock_guard<std::mutex> hold(answerLock);
  std::vector<std::string>* candidates = defaultUrls.empty() ? &backupUrls : &defaultUrls;
  if (candidates->empty())
    return false;
  // The URL just tried is used up.
  if (!currentUrl.empty()) {
    const auto tried = std::find(candidates->begin(), candidates->end(), currentUrl);
    if (tried != candidates->end())
      candidates->erase(tried);
  }
  if (candidates->empty() && candidates == &defaultUrls)
    candidates = &backupUrls;
  if (candidates->empty())
    return false;
  currentUrl = (*candidates)[RandomIndexBelow(candidates->size())];
  return true;
}
