#include "platform/sim/sim_web_view.h"

namespace halvit::sim {

namespace {

Text titleOfHtml(const Text& html) {
  auto open = toLowerAscii(html).find(u"<title>");
  if (open == Text::npos) return Text();
  auto start = open + 7;
  auto close = toLowerAscii(html).find(u"</title>", start);
  return html.substr(start, close == Text::npos ? Text::npos : close - start);
}

}  // namespace

bool SimWebView::create(int number, const Rect& rect, const Text& address, EngineRelay& relay) {
  ++created;
  control = number;
  createdWith = address;
  where = rect;
  relay_ = &relay;
  relay.reset();
  history_.clear();
  historyAt_ = 0;
  load(u"about:blank", false);
  if (!address.empty()) navigate(address);
  return true;
}

void SimWebView::destroy() {
  ++destroyed;
  relay_ = nullptr;
  url_.clear();
}

void SimWebView::navigate(const Text& url) {
  if (url.empty() || !relay_) return;
  requested.push_back(url);
  load(url, true);
}

void SimWebView::load(const Text& url, bool addToHistory) {
  if (!relay_->navigationRequested(url)) return;
  relay_->downloadBegin();
  if (startsWith(url, u"about:") && url != u"about:blank") {
    // "about:" followed by HTML shows that HTML; the address then reads about:blank.
    url_ = u"about:blank";
    source_ = url.substr(6);
    title_ = titleOfHtml(source_);
  } else {
    auto page = pages.find(url);
    url_ = url;
    if (page == pages.end() && url != u"about:blank") {
      relay_->navigateError(INET_E_RESOURCE_NOT_FOUND, url);
      title_.clear();
      source_.clear();
    } else if (page != pages.end()) {
      if (page->second.httpStatus >= 400) relay_->navigateError(page->second.httpStatus, url);
      title_ = page->second.title;
      source_ = page->second.source;
    } else {
      title_.clear();
      source_.clear();
    }
  }
  loaded.push_back(url_);
  if (addToHistory) {
    history_.resize(historyAt_ == 0 && history_.empty() ? 0 : historyAt_ + 1);
    history_.push_back(url);
    historyAt_ = history_.size() - 1;
  }
  relay_->titleChanged();
  relay_->downloadComplete();
  relay_->documentComplete();
}

void SimWebView::goBack() {
  if (!relay_ || historyAt_ == 0 || history_.empty()) return;
  --historyAt_;
  load(history_[historyAt_], false);
}

void SimWebView::goForward() {
  if (!relay_ || historyAt_ + 1 >= history_.size()) return;
  ++historyAt_;
  load(history_[historyAt_], false);
}

void SimWebView::refresh() {
  if (relay_ && !url_.empty()) load(url_, false);
}

void SimWebView::setNavigationCallback(NavigationCallback fn) {
  if (relay_) relay_->setNavigationCallback(std::move(fn));
}

void SimWebView::connectEventSink(BrowserEventSink& sink) {
  if (relay_) relay_->connectEventSink(sink);
}

void SimWebView::runScript(const Text& script) {
  if (waitForDocument()) scripts.push_back(script);
}

void SimWebView::move(const Rect& rect) {
  where = rect;
  moves.push_back(rect);
}

void SimWebView::hoverLink(const Text& url) {
  if (relay_) relay_->statusTextChanged(url);
}

}  // namespace halvit::sim
