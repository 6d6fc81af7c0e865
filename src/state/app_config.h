#pragma once
// Start-up values of one running browser. Written during start-up, read everywhere after;
// only `guardArmed` changes later, from the user-interface thread, while the watcher reads it.
#include <atomic>
#include <cstdint>
#include <vector>

#include "text/text.h"

namespace halvit {

struct AppConfig {
  // Program identity and command line.
  Text productTitle;
  Text buildDate;
  Text exeFileName;
  Text programDir;  // ends in the path separator
  Text firstArg;
  Text startUrl;
  std::int64_t windowFlags = 0;
  int toolbarHeight = 23;
  int safetyChecksOff = 0;
  std::atomic<int> guardArmed{0};
  std::int64_t startTick = 0;

  // Configuration folder and files.
  Text configDir;  // programDir + "Config" + separator
  Text miscIniPath;
  Text staticUrlsPath;
  Text helpText;
  Text tldWhitelist;
  std::vector<Text> patternList;
  std::vector<Text> staticUrlList;
  std::vector<Text> httpAllowList;

  // misc.ini settings.
  Text translateTarget = u"en";
  std::int64_t disablePatchLevelChecks = 0;
  std::int64_t windowX = 20;
  std::int64_t windowY = 20;
  std::int64_t windowW = 650;
  std::int64_t windowH = 570;
  std::int64_t allowHttpNavigation = 0;
};

}  // namespace halvit
