#include "webview/engine_relay.h"

#include "ui/event_queue.h"
#include "ui/ids.h"

namespace halvit {

void EngineRelay::reset() {
  started_ = false;
  requestOutstanding_ = false;
  callback_ = nullptr;
  std::lock_guard<std::mutex> hold(statusLock_);
  statusText_.clear();
}

bool EngineRelay::navigationRequested(const Text& url) {
  if (!started_) return true;
  requestOutstanding_ = true;
  if (!callback_) return true;
  return callback_(control_, url);
}

void EngineRelay::documentComplete() { started_ = true; }

void EngineRelay::downloadBegin() {
  if (started_ && requestOutstanding_) raise(WEB_DOWNLOAD_BEGIN);
}

void EngineRelay::downloadComplete() {
  if (!started_ || !requestOutstanding_) return;
  requestOutstanding_ = false;
  raise(WEB_DOWNLOAD_COMPLETE);
}

void EngineRelay::titleChanged() { raise(WEB_TITLE_CHANGE); }

void EngineRelay::statusTextChanged(const Text& text) {
  if (!started_) return;
  {
    std::lock_guard<std::mutex> hold(statusLock_);
    statusText_ = text;
  }
  raise(WEB_STATUS_CHANGE);
}

void EngineRelay::popupBlocked() { raise(WEB_POPUP_BLOCKED); }
void EngineRelay::progress() { raise(WEB_PROGRESS); }
void EngineRelay::contextMenu() { raise(WEB_CONTEXT_MENU); }

void EngineRelay::navigateError(int statusCode, const Text& url) {
  if (started_ && sink_) sink_->onNavigateError(statusCode, url);
}

void EngineRelay::newWindow(const Text& url) {
  if (started_ && sink_) sink_->onNewWindow(url);
}

Text EngineRelay::statusText() const {
  std::lock_guard<std::mutex> hold(statusLock_);
  return statusText_;
}

void EngineRelay::raise(int type) {
  if (!started_) return;
  Event event;
  event.number = EVENT_GADGET;
  event.control = control_;
  event.type = type;
  queue_.raise(event);
}

}  // namespace halvit
