#include "sim/Channel.h"

#include "sim/RequestReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orlo::sim {

namespace {

using Clock = LinkControl::Clock;

timespec toTimespec(Clock::duration d) {
    if (d < Clock::duration::zero()) {
        d = Clock::duration::zero();
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

} // namespace

Channel::Channel(Responder& core, LinkControl& control, WakeSignal& wake, Options options, SimLogger log)
    : core_(core), control_(control), wake_(wake), options_(std::move(options)), log_(std::move(log)) {}

void Channel::log(const std::string& line) const {
    if (log_) {
        log_(options_.name + ": " + line);
    }
}

bool Channel::interrupted() const {
    return control_.stopping() || control_.generation() != generation_;
}

Channel::End Channel::serve(int fd) {
    generation_ = control_.generation();
    RequestReader reader;
    Clock::time_point frameDeadline{};
    std::array<std::uint8_t, 4096> buffer{};
    while (true) {
        if (control_.stopping()) {
            return End::Stop;
        }
        if (control_.generation() != generation_ || control_.silentNow()) {
            return End::Restart;
        }
        std::array<pollfd, 2> fds{pollfd{fd, POLLIN, 0}, pollfd{wake_.fd(), POLLIN, 0}};
        timespec timeout{};
        const bool timed = reader.midFrame();
        if (timed) {
            timeout = toTimespec(frameDeadline - Clock::now());
        }
        const int ready = ::ppoll(fds.data(), fds.size(), timed ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return End::PeerClosed;
        }
        if (fds[1].revents & POLLIN) {
            wake_.drain();
            continue;
        }
        if (ready == 0) {
            // The rest of the request never came: forget the part that did.
            reader.reset();
            log("incomplete request discarded");
            continue;
        }
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0) {
            return End::PeerClosed;
        }
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return End::PeerClosed;
        }
        reader.feed(buffer.data(), static_cast<std::size_t>(n));
        frameDeadline = Clock::now() + core_.receiveTimeout();
        while (auto event = reader.next()) {
            if (options_.speedMatches && !options_.speedMatches()) {
                log("request dropped: the line speed is not the sensor's");
                continue;
            }
            End end{};
            if (!respond(fd, core_.handle(*event), end)) {
                return end;
            }
        }
    }
}

bool Channel::respond(int fd, const Reply& reply, End& end) {
    if (reply.silent) {
        return true;
    }
    if (reply.delay.count() > 0 && !sleepUntil(Clock::now() + reply.delay)) {
        end = control_.stopping() ? End::Stop : End::Restart;
        return false;
    }
    const std::size_t size = std::min(reply.bytes.size(), reply.dropAfter.value_or(reply.bytes.size()));
    switch (writeOut(fd, reply.bytes.data(), size, options_.pace ? reply.paceBaud : 0)) {
    case Write::Done:
        break;
    case Write::Aborted:
        end = control_.stopping() ? End::Stop : End::Restart;
        return false;
    case Write::TimedOut:
        log("response abandoned: the client does not read");
        end = End::Dropped;
        return false;
    case Write::Failed:
        end = End::PeerClosed;
        return false;
    }
    if (reply.dropAfter) {
        log("link dropped after " + std::to_string(size) + " bytes (fault)");
        end = End::Dropped;
        return false;
    }
    if (reply.restart) {
        log("restarting");
        control_.beginRestart();
        end = End::Restart;
        return false;
    }
    return true;
}

Channel::Write Channel::writeOut(int fd, const std::uint8_t* data, std::size_t size, std::uint32_t paceBaud) {
    if (paceBaud == 0) {
        return writeAll(fd, data, size);
    }
    // A byte is handed over when its tenth bit would have left the wire; 5 ms worth at a time.
    const std::size_t chunk = std::max<std::size_t>(1, paceBaud / 2000);
    const auto start = Clock::now();
    for (std::size_t offset = 0; offset < size;) {
        const std::size_t len = std::min(chunk, size - offset);
        const auto due = start + std::chrono::nanoseconds((offset + len) * 10'000'000'000ull / paceBaud);
        if (!sleepUntil(due)) {
            return Write::Aborted;
        }
        const Write w = writeAll(fd, data + offset, len);
        if (w != Write::Done) {
            return w;
        }
        offset += len;
    }
    return Write::Done;
}

Channel::Write Channel::writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    auto lastProgress = Clock::now();
    while (done < size) {
        const ssize_t n = options_.socket ? ::send(fd, data + done, size - done, MSG_NOSIGNAL)
                                          : ::write(fd, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            lastProgress = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return Write::Failed;
        }
        const auto limit = lastProgress + core_.sendTimeout();
        std::array<pollfd, 2> fds{pollfd{fd, POLLOUT, 0}, pollfd{wake_.fd(), POLLIN, 0}};
        const timespec timeout = toTimespec(limit - Clock::now());
        const int ready = ::ppoll(fds.data(), fds.size(), &timeout, nullptr);
        if (ready < 0 && errno != EINTR) {
            return Write::Failed;
        }
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            wake_.drain();
            if (interrupted()) {
                return Write::Aborted;
            }
        }
        if (ready == 0 && Clock::now() >= limit) {
            return Write::TimedOut;
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return Write::Failed;
        }
    }
    return Write::Done;
}

bool Channel::sleepUntil(Clock::time_point until) {
    while (true) {
        if (interrupted()) {
            return false;
        }
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        pollfd wake{wake_.fd(), POLLIN, 0};
        const timespec timeout = toTimespec(left);
        if (::ppoll(&wake, 1, &timeout, nullptr) > 0) {
            wake_.drain();
        }
    }
}

} // namespace orlo::sim
