#pragma once
#include "app/browser.h"

namespace halvit {

// The whole life of one browser on the user-interface thread: start-up in its fixed order,
// the event loop, the exit steps. Returns once `shutdownAndExit` has run (on a real platform
// the process has ended by then).
void runBrowser(Browser& browser);

// The single way out: writes pending misc.ini changes, releases the toolkit and ends the
// process with exit code 0.
void shutdownAndExit(Browser& browser);

// Asks the system to trim the process's working set.
void TrimWorkingSet(Browser& browser);

}  // namespace halvit
