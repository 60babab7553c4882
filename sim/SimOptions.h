#pragma once

#include "sim/Simulator.h"

#include <string>
#include <vector>

namespace orlo::sim {

// orlo-sim's command line.
struct SimCommandLine {
    SimConfig config;
    bool help = false;
    bool verbose = false;
};

// Parses the arguments after the program name; false with `error` on bad input.
bool parseSimCommandLine(const std::vector<std::string>& args, SimCommandLine& out, std::string& error);

std::string simUsage();

} // namespace orlo::sim
