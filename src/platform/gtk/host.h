#pragma once
// The process on Linux: its program file, command line, kernel version and clock.
#include <vector>

#include "app/host.h"

namespace halvit::gtk {

class GtkHost : public Host {
 public:
  // argv as left by gtk_init (GTK's own options removed).
  GtkHost(int argc, char** argv);

  Text programPath() override;
  std::vector<Text> parameters() override { return parameters_; }
  std::optional<bool> systemSupported() override;
  void declareDpiAwareness() override;
  std::int64_t tickMs() override;
  void trimWorkingSet() override;
  void exitProcess(int code) override;

 private:
  std::vector<Text> parameters_;
  std::int64_t tickBase_ = -1;
};

}  // namespace halvit::gtk
