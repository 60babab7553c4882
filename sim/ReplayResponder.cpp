#include "sim/ReplayResponder.h"

#include <algorithm>
#include <cstdio>

namespace orlo::sim {

namespace {

// The sensor's factory time-outs: a recording does not say what they were.
constexpr std::chrono::milliseconds ReceiveTimeout{3000};
constexpr std::chrono::milliseconds SendTimeout{5000};
constexpr std::size_t ShownBytes = 16;

std::vector<std::uint8_t> FrameBytes(const Request& request) {
    std::vector<std::uint8_t> bytes(4 + request.payload.size());
    bytes[0] = 0xFE;
    bytes[1] = request.code;
    bytes[2] = static_cast<std::uint8_t>(request.payload.size() & 0xFF);
    bytes[3] = static_cast<std::uint8_t>((request.payload.size() >> 8) & 0xFF);
    std::copy(request.payload.begin(), request.payload.end(), bytes.begin() + 4);
    return bytes;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < std::min(bytes.size(), ShownBytes); ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%s%02x", i == 0 ? "" : " ", bytes[i]);
        text += digits;
    }
    return bytes.size() > ShownBytes ? text + " ..." : text;
}

} // namespace

ReplayResponder::ReplayResponder(std::vector<RecordedExchange> exchanges, std::uint32_t baud,
                                 SimLogger report)
    : exchanges_(std::move(exchanges)), baud_(baud), report_(std::move(report)) {}

Reply ReplayResponder::handle(const FrameEvent& event) {
    Reply reply;
    reply.paceBaud = baud_;
    reply.silent = true;
    if (event.garbage) {
        if (report_) {
            report_("replay: bytes that do not start a request: no answer");
        }
        return reply;
    }
    const std::vector<std::uint8_t> request = FrameBytes(event.request);
    std::lock_guard lock(mutex_);
    const auto first = exchanges_.begin() + static_cast<std::ptrdiff_t>(next_);
    const auto found = std::find_if(first, exchanges_.end(),
                                    [&request](const RecordedExchange& e) { return e.request == request; });
    if (found == exchanges_.end()) {
        if (report_) {
            report_("replay: no recorded request " + Hex(request) + " after log line " +
                    std::to_string(next_ == 0 ? 0 : exchanges_[next_ - 1].line) + ": no answer");
        }
        return reply;
    }
    next_ = static_cast<std::size_t>(found - exchanges_.begin()) + 1;
    reply.silent = found->response.empty();
    reply.bytes = found->response;
    return reply;
}

std::chrono::milliseconds ReplayResponder::receiveTimeout() const {
    return ReceiveTimeout;
}

std::chrono::milliseconds ReplayResponder::sendTimeout() const {
    return SendTimeout;
}

std::size_t ReplayResponder::Position() const {
    std::lock_guard lock(mutex_);
    return next_;
}

} // namespace orlo::sim
