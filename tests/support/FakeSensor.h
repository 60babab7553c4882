#pragma once

#include "tests/support/FakeConnection.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace orlo::test {

// The settings the camera and detection pages, the USB time-out dialog and the system page touch,
// answered from memory over a FakeConnection so that a test sees every frame sent. Set up before the
// link is used, read after the worker has ended.
class FakeSensor {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Edges = std::array<std::int16_t, 4>;
    struct AreaMask {
        Edges rect{-1, -1, -1, -1};
        std::uint8_t judge = 0xFF;
    };
    static constexpr int PictureWidth = 320;
    static constexpr int PictureHeight = 240;

    std::uint8_t direction = 0;
    std::uint8_t mode = 0;
    std::uint16_t sendTimeoutMs = 5000;
    std::uint16_t receiveTimeoutMs = 3000;
    Edges humanArea{100, 200, 300, 400};
    Edges motionArea{-1, -1, -1, -1};
    std::uint16_t threshold = 500;
    std::uint16_t sizeMinimum = 20;
    std::uint16_t sizeMaximum = 1600;
    std::array<AreaMask, 16> areaMasks{};
    std::array<Edges, 16> motionMasks = Unset<16>();
    std::array<Edges, 10> falseRects = Unset<10>();
    // What the sensor keeps of a value written to it (a sensor that rounds or ignores a value).
    std::function<std::uint8_t(std::uint8_t)> storeDirection = [](std::uint8_t v) { return v; };
    std::function<std::uint8_t(std::uint8_t)> storeMode = [](std::uint8_t v) { return v; };
    std::function<std::uint16_t(std::uint16_t)> storeTimeout = [](std::uint16_t v) { return v; };
    std::function<std::uint16_t(std::uint16_t)> storeThreshold = [](std::uint16_t v) { return v; };
    std::function<Edges(Edges)> storeArea = [](Edges v) { return v; };
    // A status byte for every request of a command: 0x50 answers with the usual payload, other
    // statuses without one.
    std::map<std::uint8_t, std::uint8_t> status;
    // Commands that get no answer at all (a time-out).
    std::vector<std::uint8_t> silent;
    // Called with each request's code before it is answered, on the thread that sends.
    std::function<void(std::uint8_t)> beforeAnswer;

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
    template <std::size_t N>
    static std::array<Edges, N> Unset() {
        std::array<Edges, N> all;
        all.fill({-1, -1, -1, -1});
        return all;
    }
    static Bytes U16(std::uint16_t value) {
        return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    }
    static Bytes Concat(Bytes first, const Bytes& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }
    static Bytes Area(const Edges& area) {
        Bytes bytes;
        for (const std::int16_t edge : area) {
            const Bytes part = U16(static_cast<std::uint16_t>(edge));
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        return bytes;
    }
    static std::uint16_t ReadU16(const Bytes& payload, std::size_t at = 0) {
        return static_cast<std::uint16_t>(payload.at(at) | payload.at(at + 1) << 8);
    }
    static Edges ReadEdges(const Bytes& payload, std::size_t at) {
        Edges edges{};
        for (std::size_t i = 0; i < edges.size(); ++i) {
            edges[i] = static_cast<std::int16_t>(ReadU16(payload, at + 2 * i));
        }
        return edges;
    }
    // No detections; for image code 1 a 320 x 240 grey ramp.
    static Bytes Detection(const Bytes& request) {
        Bytes payload(6, 0);
        if (request.at(2) != 1) {
            return payload;
        }
        for (const std::uint16_t side : {PictureWidth, PictureHeight}) {
            const Bytes part = U16(side);
            payload.insert(payload.end(), part.begin(), part.end());
        }
        for (int y = 0; y < PictureHeight; ++y) {
            for (int x = 0; x < PictureWidth; ++x) {
                payload.push_back(static_cast<std::uint8_t>(64 + (x + y) / 8));
            }
        }
        return payload;
    }

    Bytes Answer(const Bytes& request) {
        const std::uint8_t code = request[1];
        const Bytes payload(request.begin() + 4, request.end());
        if (beforeAnswer) {
            beforeAnswer(code);
        }
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
            return Detection(payload);
        case 0x05:
            threshold = storeThreshold(ReadU16(payload));
            return {};
        case 0x06:
            return Concat(U16(threshold), Bytes(6, 0));
        case 0x07:
            sizeMinimum = ReadU16(payload);
            sizeMaximum = ReadU16(payload, 2);
            return {};
        case 0x08:
            return Concat(Concat(U16(sizeMinimum), U16(sizeMaximum)), Bytes(8, 0));
        case 0x61:
            areaMasks.at(payload.at(0)) = {ReadEdges(payload, 1), payload.at(9)};
            return {};
        case 0x62:
            return Concat(Area(areaMasks.at(payload.at(0)).rect), {areaMasks.at(payload.at(0)).judge});
        case 0x65:
            humanArea = storeArea(ReadEdges(payload, 0));
            return {};
        case 0x66:
            return Area(humanArea);
        case 0x67:
            falseRects.at(payload.at(0)) = ReadEdges(payload, 1);
            return {};
        case 0x68:
            return Area(falseRects.at(payload.at(0)));
        case 0x76:
            motionMasks.at(payload.at(0)) = ReadEdges(payload, 1);
            return {};
        case 0x77:
            return Area(motionMasks.at(payload.at(0)));
        case 0x78:
            motionArea = storeArea(ReadEdges(payload, 0));
            return {};
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
