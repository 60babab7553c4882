#pragma once

namespace orlo::sim {

// The user's request to end the program: SIGINT, SIGTERM or SIGHUP on POSIX, Ctrl+C, Ctrl+Break or
// closing the console on Windows. Make it before any thread exists (so on POSIX every thread inherits
// the blocked signals), then wait for it.
class StopRequest {
public:
    StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    void wait();
};

} // namespace orlo::sim
