#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orlo::cli {

// The whole tool: the arguments after the program name; returns the exit status.
int RunOrloctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orlo::cli
