#include "cli/Orloctl.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    orlo::cli::Interruption interruption;
    const orlo::cli::Console console = orlo::cli::ProcessConsole();
    const int status = orlo::cli::RunOrloctl(args, std::cout, std::cerr, &interruption, &console);
    // The command has ended what it was doing; the status says that a signal ended it.
    return interruption.Signal() != 0 ? interruption.ExitStatus() : status;
}
