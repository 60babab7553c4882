#include "sim/SensorCore.h"

#include "sim/CommandCodes.h"
#include "sim/DetectionResponse.h"
#include "sim/StateFile.h"
#include "sim/WireBuffer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace orlo::sim {

namespace {

constexpr std::array<std::uint8_t, 8> kAccessCode{'K', 'E', 'S', 'T', 'R', 'I', 'V', 'A'};
constexpr std::array<std::uint8_t, 4> kOther27To28Tail{0x00, 0x08, 0x46, 0x82};
constexpr std::uint8_t kRestartPlain = 0x00;
constexpr std::uint8_t kRestartFactory = 0x5A;

Rect16 readRect(std::span<const std::uint8_t> p, std::size_t at) {
    return {readS16(p, at), readS16(p, at + 2), readS16(p, at + 4), readS16(p, at + 6)};
}

void writeRect(WireBuffer& w, const Rect16& r) {
    w.s16(r.left);
    w.s16(r.top);
    w.s16(r.right);
    w.s16(r.bottom);
}

std::vector<std::uint8_t> frame(std::uint8_t status, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> out;
    out.reserve(6 + payload.size());
    WireBuffer w(out);
    w.u8(kStartByte);
    w.u8(status);
    w.u32(static_cast<std::uint32_t>(payload.size()));
    w.bytes(payload);
    return out;
}

std::string hexByte(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

} // namespace

std::optional<std::size_t> requestPayloadSize(std::uint8_t code) {
    switch (code) {
    case cmd::GetDeviceInfo:
    case cmd::GetMountingDirection:
    case cmd::GetThreshold:
    case cmd::GetSizeMask:
    case cmd::GetDeviceInfoText:
    case cmd::GetUsbSendTimeout:
    case cmd::GetUsbReceiveTimeout:
    case cmd::GetOther01:
    case cmd::GetHumanDetectionArea:
    case cmd::GetOther02To06:
    case cmd::GetOther07:
    case cmd::GetOperatingMode:
    case cmd::GetMotionDetectionArea:
    case cmd::GetOther27To28:
        return 0;
    case cmd::SetMountingDirection:
    case cmd::SetCommSpeed:
    case cmd::GetAreaMask:
    case cmd::GetFalseRect:
    case cmd::SetOther07:
    case cmd::SetOperatingMode:
    case cmd::GetMotionMask:
        return 1;
    case cmd::SetUsbSendTimeout:
    case cmd::SetUsbReceiveTimeout:
    case cmd::SetOther01:
        return 2;
    case cmd::ExecuteDetection:
        return 3;
    case cmd::SetOther02To06:
    case cmd::SetOther27To28:
        return 6;
    case cmd::SetThreshold:
    case cmd::SetHumanDetectionArea:
    case cmd::SetMotionDetectionArea:
        return 8;
    case cmd::SetFalseRect:
    case cmd::SetMotionMask:
    case cmd::Restart:
        return 9;
    case cmd::SetAreaMask:
        return 10;
    case cmd::SetSizeMask:
        return 12;
    case cmd::SetDeviceInfoText:
        return 20;
    default:
        return std::nullopt;
    }
}

SensorCore::SensorCore(const SensorSettings& initial, std::uint64_t seed, std::string stateFile,
                       FaultSet faults, SimLogger log)
    : settings_(initial), scene_(seed), stateFile_(std::move(stateFile)), faults_(std::move(faults)),
      log_(std::move(log)) {}

SensorSettings SensorCore::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::uint32_t SensorCore::baud() const {
    std::lock_guard lock(mutex_);
    return settings_.baudRate;
}

std::chrono::milliseconds SensorCore::receiveTimeout() const {
    std::lock_guard lock(mutex_);
    return std::chrono::milliseconds(settings_.usbReceiveTimeoutMs);
}

std::chrono::milliseconds SensorCore::sendTimeout() const {
    std::lock_guard lock(mutex_);
    return std::chrono::milliseconds(settings_.usbSendTimeoutMs);
}

void SensorCore::setFaults(FaultSet faults) {
    std::lock_guard lock(mutex_);
    faults_ = std::move(faults);
}

void SensorCore::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

void SensorCore::persist() {
    if (stateFile_.empty()) {
        return;
    }
    std::string error;
    if (!saveStateFile(stateFile_, settings_, error)) {
        log("state not saved: " + error);
    }
}

namespace {

bool IsWrite(const Request& request) {
    return request.code != cmd::ExecuteDetection && !request.payload.empty() &&
           request.code != cmd::GetAreaMask && request.code != cmd::GetMotionMask &&
           request.code != cmd::GetFalseRect;
}

} // namespace

Reply SensorCore::handle(const FrameEvent& event) {
    std::lock_guard lock(mutex_);
    Reply reply;
    reply.paceBaud = settings_.baudRate;
    const std::optional<std::uint8_t> code =
        event.garbage ? std::nullopt : std::optional<std::uint8_t>(event.request.code);
    const FaultSet::Effect fault = faults_.effectFor(code);
    reply.delay = fault.delay;
    reply.dropAfter = fault.dropAfter;
    if (fault.silent) {
        reply.silent = true;
        log(code ? "request " + hexByte(*code) + ": silent (fault)" : "malformed bytes: silent (fault)");
        return reply;
    }
    if (fault.errorStatus) {
        reply.bytes = frame(*fault.errorStatus, {});
        log((code ? "request " + hexByte(*code) : std::string("malformed bytes")) + ": status " +
            hexByte(*fault.errorStatus) + " (fault)");
        return reply;
    }

    Outcome outcome;
    const auto expected = code ? requestPayloadSize(*code) : std::nullopt;
    if (!code) {
        outcome.status = status::BadStartByte;
    } else if (!expected) {
        outcome.status = status::UnknownCommand;
    } else if (*expected != event.request.payload.size()) {
        outcome.status = status::BadLength;
    } else if (*code == cmd::Restart && fault.abnormal) {
        // A sensor answering 0x50 to a restart stays up: the client keeps its link.
        outcome.status = status::SettingsAbnormal;
    } else if (fault.forget && IsWrite(event.request)) {
        // Acknowledged but not stored: what a read-back check must catch.
        outcome.status = status::Ok;
    } else {
        outcome = execute(event.request, fault.checksum);
    }
    if (outcome.changed) {
        persist();
    }
    if (outcome.status == status::Ok && fault.abnormal) {
        outcome.status = status::SettingsAbnormal;
    }
    reply.bytes = frame(outcome.status, outcome.payload);
    reply.restart = outcome.restart;
    log((code ? "request " + hexByte(*code) : std::string("malformed bytes")) + ": status " +
        hexByte(outcome.status) + ", " + std::to_string(outcome.payload.size()) + " payload bytes");
    return reply;
}

SensorCore::Outcome SensorCore::execute(const Request& request, bool corruptChecksum) {
    if (request.code == cmd::ExecuteDetection) {
        Outcome o;
        const std::uint16_t flags = readU16(request.payload, 0);
        const std::uint8_t imageCode = request.payload[2];
        if (!isValidImageCode(imageCode)) {
            o.status = status::BadParameter;
            return o;
        }
        scene_.advance();
        o.payload = buildDetectionPayload(scene_, settings_, flags, imageCode, corruptChecksum);
        return o;
    }
    if (request.payload.empty() || request.code == cmd::GetAreaMask || request.code == cmd::GetMotionMask ||
        request.code == cmd::GetFalseRect) {
        return executeGet(request);
    }
    return executeSet(request);
}

SensorCore::Outcome SensorCore::executeGet(const Request& request) {
    Outcome o;
    WireBuffer w(o.payload);
    const auto& s = settings_;
    const std::uint8_t slot = request.payload.empty() ? 0 : request.payload[0];
    switch (request.code) {
    case cmd::GetDeviceInfo: {
        std::array<std::uint8_t, 12> name{};
        std::memcpy(name.data(), "Orlo-X1", 7);
        w.bytes(name);
        w.u8(1);
        w.u8(2);
        w.u8(0);
        w.u32(5);
        break;
    }
    case cmd::GetMountingDirection:
        w.u8(s.direction);
        break;
    case cmd::GetThreshold:
        w.u16(s.threshold);
        w.bytes(std::array<std::uint8_t, 6>{});
        break;
    case cmd::GetSizeMask:
        w.u16(s.sizeMin);
        w.u16(s.sizeMax);
        w.bytes(std::array<std::uint8_t, 8>{});
        break;
    case cmd::GetDeviceInfoText:
        w.bytes(s.deviceInfoText);
        break;
    case cmd::GetUsbSendTimeout:
        w.u16(s.usbSendTimeoutMs);
        break;
    case cmd::GetUsbReceiveTimeout:
        w.u16(s.usbReceiveTimeoutMs);
        break;
    case cmd::GetOther01:
        w.u16(s.other01);
        break;
    case cmd::GetHumanDetectionArea:
        writeRect(w, s.humanArea);
        break;
    case cmd::GetMotionDetectionArea:
        writeRect(w, s.motionArea);
        break;
    case cmd::GetOther02To06:
        w.u8(s.other02);
        w.u8(s.other03);
        w.u16(s.other04);
        w.u8(s.other05);
        w.u8(s.other06);
        break;
    case cmd::GetOther07:
        w.u8(s.other07);
        break;
    case cmd::GetOperatingMode:
        w.u8(s.operatingMode);
        break;
    case cmd::GetOther27To28:
        w.u8(s.other27);
        w.u8(s.other28);
        break;
    case cmd::GetAreaMask:
        if (slot >= kAreaMaskSlots) {
            o.status = status::BadParameter;
            break;
        }
        writeRect(w, s.areaMasks[slot].rect);
        w.u8(s.areaMasks[slot].judge);
        break;
    case cmd::GetMotionMask:
        if (slot >= kMotionMaskSlots) {
            o.status = status::BadParameter;
            break;
        }
        writeRect(w, s.motionMasks[slot]);
        break;
    case cmd::GetFalseRect:
        if (slot >= kFalseRectSlots) {
            o.status = status::BadParameter;
            break;
        }
        writeRect(w, s.falseRects[slot]);
        break;
    default:
        o.status = status::UnknownCommand;
        break;
    }
    if (o.status != status::Ok) {
        o.payload.clear();
    }
    return o;
}

SensorCore::Outcome SensorCore::executeSet(const Request& request) {
    Outcome o;
    const std::span<const std::uint8_t> p(request.payload);
    auto& s = settings_;
    const auto refuse = [&o] {
        o.status = status::BadParameter;
        return o;
    };
    switch (request.code) {
    case cmd::SetMountingDirection:
        if (p[0] > 3) {
            return refuse();
        }
        s.direction = p[0];
        break;
    case cmd::SetThreshold:
        s.threshold = readU16(p, 0);
        break;
    case cmd::SetSizeMask:
        s.sizeMin = readU16(p, 0);
        s.sizeMax = readU16(p, 2);
        break;
    case cmd::SetDeviceInfoText:
        std::copy(p.begin(), p.end(), s.deviceInfoText.begin());
        break;
    case cmd::SetCommSpeed: {
        const std::uint32_t baud = baudForSpeedIndex(p[0]);
        if (baud == 0) {
            return refuse();
        }
        // Takes effect at once; the link still paces this response at the old speed.
        s.baudRate = baud;
        break;
    }
    case cmd::SetUsbSendTimeout:
        s.usbSendTimeoutMs = readU16(p, 0);
        break;
    case cmd::SetUsbReceiveTimeout:
        s.usbReceiveTimeoutMs = readU16(p, 0);
        break;
    case cmd::SetAreaMask:
        if (p[0] >= kAreaMaskSlots) {
            return refuse();
        }
        s.areaMasks[p[0]] = {readRect(p, 1), p[9]};
        break;
    case cmd::SetOther01:
        s.other01 = readU16(p, 0);
        break;
    case cmd::SetHumanDetectionArea:
        s.humanArea = readRect(p, 0);
        break;
    case cmd::SetMotionDetectionArea:
        s.motionArea = readRect(p, 0);
        break;
    case cmd::SetFalseRect:
        if (p[0] >= kFalseRectSlots) {
            return refuse();
        }
        s.falseRects[p[0]] = readRect(p, 1);
        break;
    case cmd::SetMotionMask:
        if (p[0] >= kMotionMaskSlots) {
            return refuse();
        }
        s.motionMasks[p[0]] = readRect(p, 1);
        break;
    case cmd::SetOther02To06:
        s.other02 = p[0];
        s.other03 = p[1];
        s.other04 = readU16(p, 2);
        s.other05 = p[4];
        s.other06 = p[5];
        break;
    case cmd::SetOther07:
        s.other07 = p[0];
        break;
    case cmd::SetOperatingMode:
        s.operatingMode = p[0];
        break;
    case cmd::SetOther27To28:
        if (!std::equal(kOther27To28Tail.begin(), kOther27To28Tail.end(), p.begin() + 2)) {
            return refuse();
        }
        s.other27 = p[0];
        s.other28 = p[1];
        break;
    case cmd::Restart:
        if (!std::equal(kAccessCode.begin(), kAccessCode.end(), p.begin()) ||
            (p[8] != kRestartPlain && p[8] != kRestartFactory)) {
            return refuse();
        }
        if (p[8] == kRestartFactory) {
            // The serial speed survives, so the link that asked can still reach the sensor.
            const std::uint32_t baud = s.baudRate;
            s = SensorSettings{};
            s.baudRate = baud;
        }
        o.restart = true;
        break;
    default:
        o.status = status::UnknownCommand;
        return o;
    }
    o.changed = true;
    return o;
}

} // namespace orlo::sim
