#include "state/page_state.h"

#include <utility>

namespace halvit {

void PageState::setCurrentUrl(Text url) {
  // Swap under the lock and let the old text die outside it.
  std::lock_guard<std::mutex> hold(lock_);
  currentUrl_.swap(url);
}

void PageState::setPageSource(Text source) {
  std::lock_guard<std::mutex> hold(lock_);
  pageSource_.swap(source);
}

Text PageState::currentUrl() const {
  std::lock_guard<std::mutex> hold(lock_);
  return currentUrl_;
}

Text PageState::pageSource() const {
  std::lock_guard<std::mutex> hold(lock_);
  return pageSource_;
}

}  // namespace halvit
