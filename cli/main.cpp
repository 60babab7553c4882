#include "cli/Orloctl.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return orlo::cli::RunOrloctl(args, std::cout, std::cerr);
}
