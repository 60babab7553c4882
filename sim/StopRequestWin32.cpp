#include "sim/StopRequest.h"

#include <windows.h>

namespace orlo::sim {

namespace {

HANDLE stopEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// Runs on a thread of its own that the system starts for the console event.
BOOL WINAPI onConsoleEvent(DWORD /*type*/) {
    ::SetEvent(stopEvent());
    return TRUE;
}

} // namespace

StopRequest::StopRequest() {
    stopEvent();
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void StopRequest::wait() {
    ::WaitForSingleObject(stopEvent(), INFINITE);
}

} // namespace orlo::sim
