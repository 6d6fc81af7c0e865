#include "app/config_files.h"

#include "app/browser.h"

namespace halvit {

namespace {

std::optional<Text> readTextFile(Files& files, const Text& path) {
  auto bytes = files.readExclusive(path, TEXT_FILE_MAX_BYTES);
  if (!bytes) return std::nullopt;
  std::string_view view(*bytes);
  auto nul = view.find('\0');
  if (nul != std::string_view::npos) view = view.substr(0, nul);
  return fromUtf8(view);
}

}  // namespace

Text readWholeTextFile(Files& files, const Text& path) {
  return readTextFile(files, path).value_or(Text());
}

std::vector<Text> splitAtCrLf(TextView text) {
  std::vector<Text> pieces;
  std::size_t start = 0;
  while (true) {
    auto at = text.find(u"\r\n", start);
    if (at == TextView::npos) break;
    pieces.emplace_back(text.substr(start, at - start));
    start = at + 2;
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

void readListFile(Files& files, const Text& path, std::vector<Text>& list) {
  if (files.kindOf(path) != FileKind::File) return;
  // A list that cannot be opened adds nothing rather than one empty line.
  auto text = readTextFile(files, path);
  if (!text) return;
  for (auto& line : splitAtCrLf(*text)) list.push_back(std::move(line));
}

void loadConfiguration(Browser& browser) {
  AppConfig& config = browser.config;
  Files& files = browser.files;
  const Text& dir = config.configDir;
  config.miscIniPath = dir + u"misc.ini";
  config.staticUrlsPath = dir + u"staticURLs.ini";

  config.helpText = readWholeTextFile(files, config.programDir + u"help.txt");
  config.tldWhitelist = readWholeTextFile(files, dir + u"tld.ini");
  config.patternList.clear();
  readListFile(files, dir + u"patterns.ini", config.patternList);
  config.staticUrlList.clear();
  readListFile(files, config.staticUrlsPath, config.staticUrlList);
  config.httpAllowList.clear();
  readListFile(files, dir + u"http.ini", config.httpAllowList);

  PreferenceFile& prefs = browser.prefs;
  prefs.open(config.miscIniPath);
  config.translateTarget = prefs.readText(u"GTranslateDefaultTargetLanguage", u"en");
  config.disablePatchLevelChecks = prefs.readInteger(u"DisablePatchLevelChecks", 0);
  config.windowX = prefs.readInteger(u"x", 20);
  config.windowY = prefs.readInteger(u"y", 20);
  config.windowW = prefs.readInteger(u"w", 650);
  config.windowH = prefs.readInteger(u"h", 570);
  config.allowHttpNavigation = prefs.readInteger(u"AllowHTTPNavigation", 0);
}

void saveGeometry(Browser& browser) {
  Rect geometry = browser.toolkit.windowGeometry();
  PreferenceFile& prefs = browser.prefs;
  prefs.open(browser.config.miscIniPath);
  prefs.writeInteger(u"x", geometry.x);
  prefs.writeInteger(u"y", geometry.y);
  prefs.writeInteger(u"w", geometry.w);
  prefs.writeInteger(u"h", geometry.h);
}

}  // namespace halvit
