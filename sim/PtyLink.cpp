#include "sim/PtyLink.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace orlo::sim {

namespace {

speed_t speedConstant(std::uint32_t baud) {
    switch (baud) {
    case 9600:
        return B9600;
    case 38400:
        return B38400;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    default:
        return B0;
    }
}

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

PtyLink::PtyLink(Responder& core, LinkControl& control, bool throttle, std::string symlinkPath, SimLogger log)
    : core_(core), control_(control), throttle_(throttle), symlinkPath_(std::move(symlinkPath)),
      log_(std::move(log)) {
    control_.attach(wake_);
}

PtyLink::~PtyLink() {
    join();
    if (symlinkMade_) {
        std::error_code ec;
        if (std::filesystem::read_symlink(symlinkPath_, ec) == slavePath_) {
            std::filesystem::remove(symlinkPath_, ec);
        }
    }
}

bool PtyLink::open(std::string& error) {
    if (!wake_.valid()) {
        error = errnoText("eventfd");
        return false;
    }
    master_.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master_.valid() || ::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0) {
        error = errnoText("pseudo-terminal");
        return false;
    }
    std::array<char, 256> name{};
    if (::ptsname_r(master_.get(), name.data(), name.size()) != 0) {
        error = errnoText("ptsname");
        return false;
    }
    slavePath_ = name.data();
    slave_.reset(::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.valid()) {
        error = errnoText(slavePath_);
        return false;
    }
    // Raw 8N1 at the sensor's speed until a client sets its own line; no echo of our output.
    termios t{};
    ::tcgetattr(slave_.get(), &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, speedConstant(core_.baud()));
    ::cfsetospeed(&t, speedConstant(core_.baud()));
    ::tcsetattr(slave_.get(), TCSANOW, &t);
    ::fcntl(master_.get(), F_SETFL, ::fcntl(master_.get(), F_GETFL) | O_NONBLOCK);

    if (!symlinkPath_.empty()) {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(symlinkPath_, ec);
        if (std::filesystem::exists(status) && !std::filesystem::is_symlink(status)) {
            error = symlinkPath_ + ": exists and is not a symbolic link";
            return false;
        }
        std::filesystem::remove(symlinkPath_, ec);
        std::filesystem::create_symlink(slavePath_, symlinkPath_, ec);
        if (ec) {
            error = symlinkPath_ + ": " + ec.message();
            return false;
        }
        symlinkMade_ = true;
    }
    return true;
}

void PtyLink::start() {
    thread_ = std::thread([this] { run(); });
}

void PtyLink::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool PtyLink::lineSpeedMatches() const {
    if (!core_.checksLineSpeed()) {
        return true;
    }
    termios t{};
    // On a pty master this reports the slave's settings, i.e. the client's line.
    if (::tcgetattr(master_.get(), &t) != 0) {
        return false;
    }
    const speed_t want = speedConstant(core_.baud());
    const speed_t out = ::cfgetospeed(&t);
    const speed_t in = ::cfgetispeed(&t);
    return out == want && (in == want || in == B0);
}

void PtyLink::discardInput() {
    std::array<std::uint8_t, 4096> buffer{};
    while (::read(master_.get(), buffer.data(), buffer.size()) > 0) {
    }
}

void PtyLink::stayQuietUntil(LinkControl::Clock::time_point until) {
    while (!control_.stopping()) {
        const auto left = until - LinkControl::Clock::now();
        if (left <= LinkControl::Clock::duration::zero()) {
            return;
        }
        std::array<pollfd, 2> fds{pollfd{master_.get(), POLLIN, 0}, pollfd{wake_.fd(), POLLIN, 0}};
        const int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
        if (::poll(fds.data(), fds.size(), ms) > 0) {
            if (fds[1].revents & POLLIN) {
                wake_.drain();
            }
            if (fds[0].revents & POLLIN) {
                discardInput();
            }
        }
    }
}

void PtyLink::run() {
    Channel::Options options;
    options.name = "pty " + slavePath_;
    options.pace = throttle_;
    options.speedMatches = [this] { return lineSpeedMatches(); };
    Channel channel(core_, control_, wake_, options, log_);
    while (!control_.stopping()) {
        switch (channel.serve(master_.get())) {
        case Channel::End::Stop:
            return;
        case Channel::End::Restart:
            // The port stays (like a USB serial bridge), the sensor behind it says nothing.
            stayQuietUntil(control_.silentUntil());
            discardInput();
            break;
        case Channel::End::Dropped:
        case Channel::End::Displaced: // not here: a pty has no waiting clients
            discardInput();
            break;
        case Channel::End::PeerClosed:
            // Should not happen while we hold the slave; back off instead of spinning.
            stayQuietUntil(LinkControl::Clock::now() + std::chrono::milliseconds(100));
            break;
        }
    }
}

} // namespace orlo::sim
