#pragma once

namespace orlo {

// Local date and time to the millisecond, as the logs print it.
struct LocalTimestamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    static LocalTimestamp Now();
};

} // namespace orlo
