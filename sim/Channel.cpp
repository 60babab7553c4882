#include "sim/Channel.h"

#include "sim/RequestReader.h"

#include <algorithm>
#include <array>

namespace orlo::sim {

namespace {

using Clock = LinkControl::Clock;

Clock::duration notNegative(Clock::duration d) {
    return std::max(d, Clock::duration::zero());
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

Channel::End Channel::serve(NativeHandle fd, NativeHandle newcomers) {
    generation_ = control_.generation();
    RequestReader reader;
    Clock::time_point frameDeadline{};
    Clock::time_point lastActivity = Clock::now();
    // After a newcomer was turned away, the listener is left alone for a moment, so a listener that
    // stays readable (no descriptor left to accept with) cannot keep this loop spinning.
    Clock::time_point newcomersAgain{};
    std::array<std::uint8_t, 4096> buffer{};
    while (true) {
        if (control_.stopping()) {
            return End::Stop;
        }
        if (control_.generation() != generation_ || control_.silentNow()) {
            return End::Restart;
        }
        const bool watchNewcomers =
            newcomers != kNoHandle && options_.onNewcomer && Clock::now() >= newcomersAgain;
        std::array<pollfd, 3> fds{pollfd{fd, POLLIN, 0}, pollfd{wake_.fd(), POLLIN, 0},
                                  pollfd{newcomers, POLLIN, 0}};
        std::optional<Clock::duration> timeout;
        if (reader.midFrame()) {
            timeout = notNegative(frameDeadline - Clock::now());
        }
        if (newcomers != kNoHandle && !watchNewcomers) {
            timeout = std::min(timeout.value_or(Clock::duration::max()),
                               notNegative(newcomersAgain - Clock::now()));
        }
        const int ready = waitHandles(fds.data(), watchNewcomers ? 3 : 2, timeout);
        if (ready < 0) {
            return End::PeerClosed;
        }
        if (fds[1].revents & POLLIN) {
            wake_.drain();
            continue;
        }
        if (ready == 0) {
            if (reader.midFrame() && Clock::now() >= frameDeadline) {
                // The rest of the request never came: forget the part that did.
                reader.reset();
                log("incomplete request discarded");
            }
            continue;
        }
        if (fds[0].revents == 0) {
            // Only a newcomer: this client's own bytes always come first.
            if (options_.onNewcomer(Clock::now() - lastActivity >= core_.receiveTimeout())) {
                return End::Displaced;
            }
            newcomersAgain = Clock::now() + std::chrono::milliseconds(100);
            continue;
        }
        const long n = readSome(fd, buffer.data(), buffer.size(), options_.socket);
        if (n == kTryAgain) {
            continue;
        }
        if (n <= 0) {
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
        lastActivity = Clock::now();
    }
}

bool Channel::respond(NativeHandle fd, const Reply& reply, End& end) {
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

Channel::Write Channel::writeOut(NativeHandle fd, const std::uint8_t* data, std::size_t size,
                                 std::uint32_t paceBaud) {
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

Channel::Write Channel::writeAll(NativeHandle fd, const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    auto lastProgress = Clock::now();
    while (done < size) {
        const long n = writeSome(fd, data + done, size - done, options_.socket);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            lastProgress = Clock::now();
            continue;
        }
        if (n == kFailed) {
            return Write::Failed;
        }
        const auto limit = lastProgress + core_.sendTimeout();
        std::array<pollfd, 2> fds{pollfd{fd, POLLOUT, 0}, pollfd{wake_.fd(), POLLIN, 0}};
        const int ready = waitHandles(fds.data(), fds.size(), notNegative(limit - Clock::now()));
        if (ready < 0) {
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
        if (waitHandles(&wake, 1, left) > 0) {
            wake_.drain();
        }
    }
}

} // namespace orlo::sim
