#pragma once
#include "app/host.h"

namespace halvit::sim {

// A process whose program path, command line, system version and clock the test sets, and
// which records how it ended.
class SimHost : public Host {
 public:
  Text path = u"/opt/halvit/halvit";
  std::vector<Text> params;
  std::optional<bool> supported = true;
  std::int64_t clockMs = 1000;
  int trimCount = 0;
  bool dpiDeclared = false;
  std::optional<int> exitCode;

  // Sets the parameters from a raw command line, as the Windows entry point splits it.
  void setCommandLine(TextView line);

  Text programPath() override { return path; }
  std::vector<Text> parameters() override { return params; }
  std::optional<bool> systemSupported() override { return supported; }
  void declareDpiAwareness() override { dpiDeclared = true; }
  std::int64_t tickMs() override { return clockMs; }
  void trimWorkingSet() override { ++trimCount; }
  void exitProcess(int code) override { exitCode = code; }
};

}  // namespace halvit::sim
