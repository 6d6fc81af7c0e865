#include "platform/sim/sim_host.h"

#include "app/command_line.h"

namespace halvit::sim {

void SimHost::setCommandLine(TextView line) { params = splitCommandLine(line); }

}  // namespace halvit::sim
