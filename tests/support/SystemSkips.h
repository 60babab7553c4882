#pragma once

#include <gtest/gtest.h>

// Tests that need a facility this system lacks say which and skip, so a skip is never silent.
#ifdef _WIN32
#define ORLO_SKIP_WITHOUT_PSEUDO_TERMINALS()                                                                 \
    GTEST_SKIP() << "Windows has no pseudo-terminals for the simulator's serial link; the Win32 serial "     \
                    "transport is tested on a COM port in windows_serial_tests"
#else
#define ORLO_SKIP_WITHOUT_PSEUDO_TERMINALS() static_cast<void>(0)
#endif
