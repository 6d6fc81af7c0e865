#pragma once
// The operating system as start-up and shutdown need it.
#include <cstdint>
#include <optional>
#include <vector>

#include "text/text.h"

namespace halvit {

class Host {
 public:
  virtual ~Host() = default;

  // Full path of the running program, as the system reports it.
  virtual Text programPath() = 0;
  // Command-line parameters after the program name, in order.
  virtual std::vector<Text> parameters() = 0;
  // True when the system is at least the oldest one the browser supports; nullopt when the
  // version cannot be determined (which counts as new enough).
  virtual std::optional<bool> systemSupported() = 0;
  virtual void declareDpiAwareness() = 0;
  // Monotonic milliseconds; the first reading sets the time base.
  virtual std::int64_t tickMs() = 0;
  virtual void trimWorkingSet() = 0;
  // Ends the process with this exit code. The sim platform records it and returns, so the
  // core always returns right after calling it.
  virtual void exitProcess(int code) = 0;
};

}  // namespace halvit
