#include "cli/Interruption.h"

#include <system_error>

namespace orlo::cli {

Interruption::Interruption() {
    if (!InstallHandlers()) {
        return; // without a watcher a signal ends the program as it always did
    }
    try {
        watcher_ = std::thread(&Interruption::Watch, this);
    } catch (const std::system_error&) {
        RemoveHandlers();
    }
}

Interruption::~Interruption() {
    if (watcher_.joinable()) {
        WakeWithoutSignal();
        watcher_.join();
        RemoveHandlers();
    }
}

void Interruption::Watch() {
    while (const int signal = WaitForSignal()) {
        Deliver(signal);
    }
}

void Interruption::Deliver(int signal) {
    std::lock_guard lock(mutex_);
    if (signal_ == 0) {
        signal_ = signal;
    }
    interrupted_ = true;
    for (const auto& abort : aborts_) {
        abort();
    }
    signalled_.notify_all();
}

bool Interruption::SleepUntil(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    return !signalled_.wait_until(lock, until, [this] { return interrupted_.load(); });
}

Interruption::Registration::Registration(Interruption* interruption, std::function<void()> abort)
    : interruption_(interruption) {
    if (interruption_ == nullptr) {
        return;
    }
    std::lock_guard lock(interruption_->mutex_);
    abort_ = interruption_->aborts_.insert(interruption_->aborts_.end(), std::move(abort));
    if (interruption_->interrupted_) {
        (*abort_)();
    }
}

Interruption::Registration::~Registration() {
    if (interruption_ != nullptr) {
        std::lock_guard lock(interruption_->mutex_);
        interruption_->aborts_.erase(abort_);
    }
}

} // namespace orlo::cli
