#pragma once

#include "cli/Console.h"
#include "cli/Interruption.h"

#include <ostream>
#include <string>
#include <vector>

namespace orlo::cli {

// The whole tool: the arguments after the program name; returns the exit status. With an
// interruption, a signal ends the command in progress at once; without a console there is no
// terminal to show progress on or to ask.
int RunOrloctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               Interruption* interruption = nullptr, const Console* console = nullptr);

} // namespace orlo::cli
