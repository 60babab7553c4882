#include "cli/Interruption.h"

// clang-format off
#include <windows.h>
// clang-format on

#include <atomic>
#include <csignal>

namespace orlo::cli {

namespace {

// Set by the console's handler thread, taken by the watcher.
HANDLE wake = nullptr;
std::atomic<int> pending{0};
std::atomic<bool> caught{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    // Catches once: a second Ctrl-C ends a program that does not stop.
    if (caught.exchange(true)) {
        return FALSE;
    }
    pending = type == CTRL_C_EVENT ? SIGINT : SIGTERM;
    ::SetEvent(wake);
    return TRUE;
}

} // namespace

bool Interruption::InstallHandlers() {
    wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (wake == nullptr) {
        return false;
    }
    if (!::SetConsoleCtrlHandler(OnConsoleControl, TRUE)) {
        ::CloseHandle(wake);
        wake = nullptr;
        return false;
    }
    return true;
}

void Interruption::RemoveHandlers() {
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    ::CloseHandle(wake);
    wake = nullptr;
}

int Interruption::WaitForSignal() {
    ::WaitForSingleObject(wake, INFINITE);
    return pending.exchange(0);
}

void Interruption::WakeWithoutSignal() {
    pending = 0;
    ::SetEvent(wake);
}

} // namespace orlo::cli
