#pragma once
// What the GTK toolkit and the GTK web view share: the window they both live in and the
// engine's last hit test, which decides the pointer shape the toolkit reports.
#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "text/text.h"

namespace halvit::gtk {

struct GtkPlatformState {
  GtkWidget* window = nullptr;  // the main window, once open
  GtkWidget* client = nullptr;  // its client area (a GtkFixed); controls sit at client coordinates
  GtkWidget* webView = nullptr;  // the engine's widget while it exists

  // The engine's last hit test (mouse-target-changed).
  bool overLink = false;
  bool overEditable = false;

  // Set by the web view: ends the engine before the window goes.
  std::function<void()> releaseEngine;
};

// GTK speaks UTF-8; the core speaks UTF-16.
inline std::string utf8(const Text& text) { return toUtf8(text); }
inline Text fromGtk(const char* text) { return text ? fromUtf8(text) : Text(); }

}  // namespace halvit::gtk
