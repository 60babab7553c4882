#include "cli/Interruption.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orlo::cli {

namespace {

// The self-pipe: the handler writes the signal's number, the watcher reads it.
int wakeRead = -1;
int wakeWrite = -1;

void OnSignal(int signal) {
    // Only async-signal-safe calls here: one write, errno kept for the interrupted code.
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(wakeWrite, &byte, 1);
    errno = savedErrno;
}

void SetHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Restarted system calls leave the program's own I/O alone; the handler catches once, so a
    // second Ctrl-C ends a program that does not stop.
    action.sa_flags = handler == SIG_DFL ? 0 : SA_RESTART | SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

bool Interruption::InstallHandlers() {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
    // A full pipe must not block the handler: the watcher has a signal to read already then.
    ::fcntl(wakeWrite, F_SETFL, O_NONBLOCK);
    SetHandler(SIGINT, OnSignal);
    SetHandler(SIGTERM, OnSignal);
    return true;
}

void Interruption::RemoveHandlers() {
    SetHandler(SIGINT, SIG_DFL);
    SetHandler(SIGTERM, SIG_DFL);
    ::close(wakeRead);
    ::close(wakeWrite);
    wakeRead = -1;
    wakeWrite = -1;
}

int Interruption::WaitForSignal() {
    unsigned char byte = 0;
    for (;;) {
        const auto got = ::read(wakeRead, &byte, 1);
        if (got == 1) {
            return byte;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return 0;
    }
}

void Interruption::WakeWithoutSignal() {
    const unsigned char none = 0;
    [[maybe_unused]] const auto written = ::write(wakeWrite, &none, 1);
}

} // namespace orlo::cli
