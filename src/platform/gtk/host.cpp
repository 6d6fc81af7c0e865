#include "platform/gtk/host.h"

#include <glib.h>
#include <malloc.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace halvit::gtk {

namespace {

// The oldest kernel the browser supports.
constexpr long OLDEST_KERNEL_MAJOR = 3;

}  // namespace

GtkHost::GtkHost(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (argv[i]) parameters_.push_back(fromUtf8(argv[i]));
}

Text GtkHost::programPath() {
  // The executable itself, not argv[0]: a copy of the program in another folder finds that
  // folder's Config/.
  char buffer[PATH_MAX];
  if (::realpath("/proc/self/exe", buffer)) return fromUtf8(buffer);
  return Text();
}

std::optional<bool> GtkHost::systemSupported() {
  struct utsname name;
  if (::uname(&name) != 0) return std::nullopt;
  char* end = nullptr;
  long major = std::strtol(name.release, &end, 10);
  if (end == name.release || *end != '.') return std::nullopt;
  return major >= OLDEST_KERNEL_MAJOR;
}

// Stands in for declaring per-monitor DPI awareness: GTK already scales by each monitor's
// scale factor.
void GtkHost::declareDpiAwareness() {}

std::int64_t GtkHost::tickMs() {
  const std::int64_t now = g_get_monotonic_time() / 1000;
  if (tickBase_ < 0) tickBase_ = now;
  return now - tickBase_;
}

void GtkHost::trimWorkingSet() { ::malloc_trim(0); }

void GtkHost::exitProcess(int code) {
  std::fflush(nullptr);
  ::_exit(code);
}

}  // namespace halvit::gtk
