#pragma once

#include "tests/device/FakeConnection.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace orlo::test {

// The settings the camera page, the USB time-out dialog and the system page touch, answered from
// memory over a FakeConnection so that a test sees every frame sent. Set up before the link is
// used, read after the worker has ended.
class FakeSensor {
public:
    using Bytes = std::vector<std::uint8_t>;

    std::uint8_t direction = 0;
    std::uint8_t mode = 0;
    std::uint16_t sendTimeoutMs = 5000;
    std::uint16_t receiveTimeoutMs = 3000;
    std::array<std::int16_t, 4> humanArea{100, 200, 300, 400};
    std::array<std::int16_t, 4> motionArea{-1, -1, -1, -1};
    // What the sensor keeps of a value written to it (a sensor that rounds or ignores a value).
    std::function<std::uint8_t(std::uint8_t)> storeDirection = [](std::uint8_t v) { return v; };
    std::function<std::uint8_t(std::uint8_t)> storeMode = [](std::uint8_t v) { return v; };
    std::function<std::uint16_t(std::uint16_t)> storeTimeout = [](std::uint16_t v) { return v; };
    // A status byte for every request of a command: 0x50 answers with the usual payload, other
    // statuses without one.
    std::map<std::uint8_t, std::uint8_t> status;
    // Commands that get no answer at all (a time-out).
    std::vector<std::uint8_t> silent;

    explicit FakeSensor(FakeConnection& link) : link_(link) {
        link_.SetResponder([this](const Bytes& request) { return Answer(request); });
    }

    // The command codes sent so far, in order.
    std::vector<std::uint8_t> Codes() const {
        std::vector<std::uint8_t> codes;
        for (std::size_t i = sentBefore_; i < link_.Sent().size(); ++i) {
            codes.push_back(link_.Sent()[i][1]);
        }
        return codes;
    }
    // The payload of the last request with this code; empty when there was none.
    Bytes LastPayload(std::uint8_t code) const {
        for (std::size_t i = link_.Sent().size(); i > sentBefore_; --i) {
            const Bytes& frame = link_.Sent()[i - 1];
            if (frame[1] == code) {
                return Bytes(frame.begin() + 4, frame.end());
            }
        }
        return {};
    }
    // Forgets the frames sent so far.
    void ClearCodes() { sentBefore_ = link_.Sent().size(); }

private:
    static Bytes U16(std::uint16_t value) {
        return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    }
    static Bytes Area(const std::array<std::int16_t, 4>& area) {
        Bytes bytes;
        for (const std::int16_t edge : area) {
            const Bytes part = U16(static_cast<std::uint16_t>(edge));
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        return bytes;
    }
    static std::uint16_t ReadU16(const Bytes& payload) {
        return static_cast<std::uint16_t>(payload.at(0) | payload.at(1) << 8);
    }

    Bytes Answer(const Bytes& request) {
        const std::uint8_t code = request[1];
        const Bytes payload(request.begin() + 4, request.end());
        for (const std::uint8_t quiet : silent) {
            if (quiet == code) {
                return {};
            }
        }
        const auto forced = status.find(code);
        const std::uint8_t statusByte = forced == status.end() ? 0x00 : forced->second;
        if (statusByte != 0x00 && statusByte != 0x50) {
            return ResponseFrame(statusByte);
        }
        return ResponseFrame(statusByte, Execute(code, payload));
    }

    Bytes Execute(std::uint8_t code, const Bytes& payload) {
        switch (code) {
        case 0x01:
            direction = storeDirection(payload.at(0));
            return {};
        case 0x02:
            return {direction};
        case 0x03:
            return Bytes(6, 0); // no records, no picture
        case 0x66:
            return Area(humanArea);
        case 0x79:
            return Area(motionArea);
        case 0x6D:
            mode = storeMode(payload.at(0));
            return {};
        case 0x6E:
            return {mode};
        case 0x17:
            sendTimeoutMs = storeTimeout(ReadU16(payload));
            return {};
        case 0x18:
            return U16(sendTimeoutMs);
        case 0x19:
            receiveTimeoutMs = storeTimeout(ReadU16(payload));
            return {};
        case 0x1A:
            return U16(receiveTimeoutMs);
        default:
            return {};
        }
    }

    FakeConnection& link_;
    std::size_t sentBefore_ = 0;
};

} // namespace orlo::test
