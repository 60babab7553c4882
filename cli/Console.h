#pragma once

#include <istream>

namespace orlo::cli {

// What the program's own terminal allows: a progress line on stderr, a question answered on stdin.
// Tests run the tool in-process without one, or with a console of their own.
struct Console {
    bool errIsTerminal = false;
    bool inIsTerminal = false;
    std::istream* in = nullptr;
};

// The process's standard input and error as they are.
Console ProcessConsole();

} // namespace orlo::cli
