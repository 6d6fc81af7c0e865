#pragma once
// One running browser: its records, its event queue and the ports it talks to. The core's
// procedures take a Browser&, so tests can run several side by side.
#include "app/files.h"
#include "app/host.h"
#include "app/preference_file.h"
#include "state/app_config.h"
#include "state/page_state.h"
#include "ui/event_queue.h"
#include "ui/ids.h"
#include "ui/toolkit.h"
#include "webview/engine_relay.h"
#include "webview/web_view.h"

namespace halvit {

struct Ports {
  Toolkit& toolkit;
  WebView& webView;
  Files& files;
  Host& host;
};

struct Browser {
  explicit Browser(Ports ports)
      : toolkit(ports.toolkit), webView(ports.webView), files(ports.files), host(ports.host),
        prefs(ports.files) {}
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  Toolkit& toolkit;
  WebView& webView;
  Files& files;
  Host& host;

  AppConfig config;
  PageState page;
  EventQueue events;
  EngineRelay relay{events, CONTROL_WEB_VIEW};
  PreferenceFile prefs;
};

}  // namespace halvit
