#include "sim/StopRequest.h"

#include <csignal>
#include <pthread.h>

namespace orlo::sim {

namespace {

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

} // namespace

StopRequest::StopRequest() {
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void StopRequest::wait() {
    const sigset_t signals = stopSignals();
    int signal = 0;
    sigwait(&signals, &signal);
}

} // namespace orlo::sim
