#pragma once
// The command line: an optional switch ("-nc" no chrome, "-na" a further copy) and an
// address or file.
#include <vector>

#include "app/files.h"
#include "text/text.h"

namespace halvit {

enum class StartMode { Normal, NormalWithoutParameter, NoChrome, SecondaryInstance };

struct CommandLine {
  StartMode mode = StartMode::NormalWithoutParameter;
  Text firstArg;
  Text addressText;  // the parameter the start address is taken from
};

// Splits a raw command line at blanks; a stretch in double quotes may hold blanks and the
// quotes are not kept. An unbalanced quote runs to the end of the line.
std::vector<Text> splitCommandLine(TextView line);

// Switches are matched exactly and case-sensitively: "-NC" is an address.
CommandLine parseCommandLine(const std::vector<Text>& parameters);

// Three characters or fewer give no address; a text with "://" or naming an existing file
// stands as it is; anything else gets the https prefix.
Text completeStartUrl(const Text& addressText, Files& files);

}  // namespace halvit
