#include "cli/Console.h"

#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orlo::cli {

Console ProcessConsole() {
#ifdef _WIN32
    return {::_isatty(::_fileno(stderr)) != 0, ::_isatty(::_fileno(stdin)) != 0, &std::cin};
#else
    return {::isatty(STDERR_FILENO) == 1, ::isatty(STDIN_FILENO) == 1, &std::cin};
#endif
}

} // namespace orlo::cli
