#pragma once

#include "sim/SocketIo.h"

#include <utility>

namespace orlo::sim {

// Owns one file descriptor (a socket on Windows) and closes it.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(NativeHandle fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, kNoHandle)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.fd_, kNoHandle));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    NativeHandle get() const { return fd_; }
    NativeHandle release() { return std::exchange(fd_, kNoHandle); }
    bool valid() const { return fd_ != kNoHandle; }
    void reset(NativeHandle fd = kNoHandle) {
        if (valid()) {
            closeHandle(fd_);
        }
        fd_ = fd;
    }

private:
    NativeHandle fd_ = kNoHandle;
};

} // namespace orlo::sim
