#include "app/command_line.h"

namespace halvit {

std::vector<Text> splitCommandLine(TextView line) {
  std::vector<Text> parameters;
  Text current;
  bool inParameter = false;
  bool quoted = false;
  for (char16_t c : line) {
    if (c == u'"') {
      quoted = !quoted;
      inParameter = true;  // "" is an empty parameter
    } else if ((c == u' ' || c == u'\t') && !quoted) {
      if (inParameter) parameters.push_back(std::move(current));
      current.clear();
      inParameter = false;
    } else {
      current.push_back(c);
      inParameter = true;
    }
  }
  if (inParameter) parameters.push_back(std::move(current));
  return parameters;
}

CommandLine parseCommandLine(const std::vector<Text>& parameters) {
  CommandLine result;
  if (parameters.empty()) return result;
  result.firstArg = parameters[0];
  auto second = [&]() { return parameters.size() > 1 ? parameters[1] : Text(); };
  if (result.firstArg == u"-nc") {
    result.mode = StartMode::NoChrome;
    result.addressText = second();
  } else if (result.firstArg == u"-na") {
    result.mode = StartMode::SecondaryInstance;
    result.addressText = second();
  } else {
    result.mode = StartMode::Normal;
    result.addressText = result.firstArg;
  }
  return result;
}

Text completeStartUrl(const Text& addressText, Files& files) {
  if (addressText.size() <= 3) return Text();
  if (contains(addressText, u"://") || files.kindOf(addressText) == FileKind::File)
    return addressText;
  return u"https://" + addressText;
}

}  // namespace halvit
