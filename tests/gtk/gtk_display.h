#pragma once
// For tests that need GTK: a display (Xvfb in the test run) and a way to let the main loop
// run until something has happened.
#include <gtk/gtk.h>

namespace halvit::gtk::test {

// GTK opened once for the whole test program; false without a display.
inline bool displayReady() {
  static const bool ready = gtk_init_check(nullptr, nullptr);
  return ready;
}

// Runs the main loop until done() holds or the time is up; returns done().
template <typename Done>
bool pumpUntil(Done done, int timeoutMs = 10000) {
  const gint64 until = g_get_monotonic_time() + gint64(timeoutMs) * 1000;
  while (!done()) {
    if (g_get_monotonic_time() > until) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return true;
}

// Runs the main loop for a while.
inline void pumpFor(int ms) {
  pumpUntil([] { return false; }, ms);
}

}  // namespace halvit::gtk::test

#define HALVIT_NEEDS_DISPLAY()                                            \
  do {                                                                    \
    if (!::halvit::gtk::test::displayReady()) GTEST_SKIP() << "no display"; \
  } while (0)
