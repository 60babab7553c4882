#include "core/device/DetectionSettingsCommands.h"

#include "core/device/CommandSupport.h"

namespace orlo {

using command::Read;
using command::Write;
using command::WriteAndVerify;

namespace {

constexpr std::uint8_t CMD_SET_THRESHOLD = 0x05;
constexpr std::uint8_t CMD_GET_THRESHOLD = 0x06;
constexpr std::uint8_t CMD_SET_SIZE_MASK = 0x07;
constexpr std::uint8_t CMD_GET_SIZE_MASK = 0x08;
constexpr std::uint8_t CMD_SET_AREA_MASK = 0x61;
constexpr std::uint8_t CMD_GET_AREA_MASK = 0x62;
constexpr std::uint8_t CMD_SET_HUMAN_DETECTION_AREA = 0x65;
constexpr std::uint8_t CMD_GET_HUMAN_DETECTION_AREA = 0x66;
constexpr std::uint8_t CMD_SET_FALSE_RECT = 0x67;
constexpr std::uint8_t CMD_GET_FALSE_RECT = 0x68;
constexpr std::uint8_t CMD_SET_MOTION_MASK = 0x76;
constexpr std::uint8_t CMD_GET_MOTION_MASK = 0x77;
constexpr std::uint8_t CMD_SET_MOTION_DETECTION_AREA = 0x78;
constexpr std::uint8_t CMD_GET_MOTION_DETECTION_AREA = 0x79;

constexpr int Timeout = DeviceSession::CommandTimeoutMs;

wire::PayloadBuilder& AppendRect(wire::PayloadBuilder& payload, const Rect& rect) {
    return payload.S16(rect.left).S16(rect.top).S16(rect.right).S16(rect.bottom);
}

Rect DecodeRect(std::span<const std::uint8_t> payload, std::size_t offset) {
    return {wire::S16(payload, offset), wire::S16(payload, offset + 2), wire::S16(payload, offset + 4),
            wire::S16(payload, offset + 6)};
}

ResultCode WriteRect(DeviceSession& session, std::uint8_t code, int timeoutMs, const Rect& rect) {
    wire::PayloadBuilder payload;
    return Write(session, code, AppendRect(payload, rect), timeoutMs);
}

ResultCode WriteSlotRect(DeviceSession& session, std::uint8_t code, int timeoutMs, int slot,
                         const Rect& rect) {
    wire::PayloadBuilder payload;
    payload.U8(static_cast<std::uint8_t>(slot));
    return Write(session, code, AppendRect(payload, rect), timeoutMs);
}

ResultCode ReadSlotRect(DeviceSession& session, std::uint8_t code, int timeoutMs, int slot, Rect& rect) {
    return Read(session, code, wire::PayloadBuilder().U8(static_cast<std::uint8_t>(slot)), 8, timeoutMs,
                [&](auto payload) { rect = DecodeRect(payload, 0); });
}

ResultCode ReadArea(DeviceSession& session, std::uint8_t code, int timeoutMs, int cacheEntry, Rect& rect) {
    return Read(session, code, 8, timeoutMs, [&](auto payload) {
        rect = DecodeRect(payload, 0);
        session.DetectionAreaCache()[static_cast<std::size_t>(cacheEntry)] = rect;
    });
}

// Reads every slot of one kind; records read before a failure stay in `records`.
template <typename Record, typename ReadSlot>
ResultCode ReadSlots(DeviceSession& session, int slots, std::vector<Record>& records, ReadSlot readSlot) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    for (int slot = 0; slot < slots; ++slot) {
        Record record;
        if (const ResultCode result = readSlot(slot, record); result != RC_OK) {
            return result;
        }
        records.push_back(record);
    }
    return RC_OK;
}

template <typename Record, typename Same>
ResultCode CompareReadBack(const std::vector<Record>& written, const std::vector<Record>& readBack,
                           Same same) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (i >= readBack.size() || !same(written[i], readBack[i])) {
            return RC_VERIFY_MISMATCH;
        }
    }
    return RC_OK;
}

} // namespace

ResultCode SetThreshold(DeviceSession& session, int timeoutMs, std::uint16_t threshold) {
    return Write(session, CMD_SET_THRESHOLD, wire::PayloadBuilder().U16(threshold).Zeros(6), timeoutMs);
}

ResultCode GetThreshold(DeviceSession& session, int timeoutMs, std::uint16_t& threshold) {
    return Read(session, CMD_GET_THRESHOLD, 8, timeoutMs,
                [&](auto payload) { threshold = wire::U16(payload, 0); });
}

ResultCode SetSizeMask(DeviceSession& session, int timeoutMs, const SizeMask& sizeMask) {
    return Write(session, CMD_SET_SIZE_MASK,
                 wire::PayloadBuilder().U16(sizeMask.minimum).U16(sizeMask.maximum).Zeros(8), timeoutMs);
}

ResultCode GetSizeMask(DeviceSession& session, int timeoutMs, SizeMask& sizeMask) {
    return Read(session, CMD_GET_SIZE_MASK, 12, timeoutMs, [&](auto payload) {
        sizeMask = {wire::U16(payload, 0), wire::U16(payload, 2)};
    });
}

ResultCode SetAreaMask(DeviceSession& session, int timeoutMs, int slot, const Rect& rect,
                       std::uint8_t judgeByte) {
    wire::PayloadBuilder payload;
    payload.U8(static_cast<std::uint8_t>(slot));
    AppendRect(payload, rect).U8(judgeByte);
    return Write(session, CMD_SET_AREA_MASK, payload, timeoutMs);
}

ResultCode GetAreaMask(DeviceSession& session, int timeoutMs, int slot, Rect& rect, std::uint8_t& judgeByte) {
    return Read(session, CMD_GET_AREA_MASK, wire::PayloadBuilder().U8(static_cast<std::uint8_t>(slot)), 9,
                timeoutMs, [&](auto payload) {
                    rect = DecodeRect(payload, 0);
                    judgeByte = payload[8];
                });
}

ResultCode SetMotionMask(DeviceSession& session, int timeoutMs, int slot, const Rect& rect) {
    return WriteSlotRect(session, CMD_SET_MOTION_MASK, timeoutMs, slot, rect);
}

ResultCode GetMotionMask(DeviceSession& session, int timeoutMs, int slot, Rect& rect) {
    return ReadSlotRect(session, CMD_GET_MOTION_MASK, timeoutMs, slot, rect);
}

ResultCode SetFalseRect(DeviceSession& session, int timeoutMs, int slot, const Rect& rect) {
    return WriteSlotRect(session, CMD_SET_FALSE_RECT, timeoutMs, slot, rect);
}

ResultCode GetFalseRect(DeviceSession& session, int timeoutMs, int slot, Rect& rect) {
    return ReadSlotRect(session, CMD_GET_FALSE_RECT, timeoutMs, slot, rect);
}

ResultCode SetHumanDetectionArea(DeviceSession& session, int timeoutMs, const Rect& rect) {
    return WriteRect(session, CMD_SET_HUMAN_DETECTION_AREA, timeoutMs, rect);
}

ResultCode GetHumanDetectionArea(DeviceSession& session, int timeoutMs, Rect& rect) {
    return ReadArea(session, CMD_GET_HUMAN_DETECTION_AREA, timeoutMs, HUMAN_DETECTION_AREA, rect);
}

ResultCode SetMotionDetectionArea(DeviceSession& session, int timeoutMs, const Rect& rect) {
    return WriteRect(session, CMD_SET_MOTION_DETECTION_AREA, timeoutMs, rect);
}

ResultCode GetMotionDetectionArea(DeviceSession& session, int timeoutMs, Rect& rect) {
    return ReadArea(session, CMD_GET_MOTION_DETECTION_AREA, timeoutMs, MOTION_DETECTION_AREA, rect);
}

ResultCode ReadAreaMasks(DeviceSession& session, std::vector<CAreaMaskArea>& masks) {
    return ReadSlots(session, AREA_MASK_SLOTS, masks, [&](int slot, CAreaMaskArea& mask) {
        Rect rect;
        std::uint8_t judgeByte = 0;
        const ResultCode result = GetAreaMask(session, Timeout, slot, rect, judgeByte);
        mask = CAreaMaskArea(slot, rect, DecodeJudgeByte(judgeByte));
        return result;
    });
}

ResultCode ApplyAreaMasks(DeviceSession& session, const std::vector<CAreaMaskArea>& masks,
                          SettingsApplyProgress* progress) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    for (const CAreaMaskArea& mask : masks) {
        const ResultCode result = CountWrite(
            progress, SetAreaMask(session, Timeout, mask.GetNumber(), mask.GetRect(), mask.JudgeByte()));
        if (result != RC_OK) {
            return result;
        }
    }
    std::vector<CAreaMaskArea> readBack;
    if (const ResultCode result = ReadAreaMasks(session, readBack); result != RC_OK) {
        return result;
    }
    return CompareReadBack(masks, readBack, SameAreaMask);
}

ResultCode ReadMotionMasks(DeviceSession& session, std::vector<CTevoArea>& masks) {
    return ReadSlots(session, MOTION_MASK_SLOTS, masks, [&](int slot, CTevoArea& mask) {
        Rect rect;
        const ResultCode result = GetMotionMask(session, Timeout, slot, rect);
        mask = CTevoArea(slot, rect);
        return result;
    });
}

ResultCode ApplyMotionMasks(DeviceSession& session, const std::vector<CTevoArea>& masks,
                            SettingsApplyProgress* progress) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    for (const CTevoArea& mask : masks) {
        if (const ResultCode result =
                CountWrite(progress, SetMotionMask(session, Timeout, mask.GetNumber(), mask.GetRect()));
            result != RC_OK) {
            return result;
        }
    }
    std::vector<CTevoArea> readBack;
    if (const ResultCode result = ReadMotionMasks(session, readBack); result != RC_OK) {
        return result;
    }
    return CompareReadBack(masks, readBack, SameRegion);
}

ResultCode ReadFalseRects(DeviceSession& session, std::vector<CFalseRectArea>& rects) {
    return ReadSlots(session, FALSE_RECT_SLOTS, rects, [&](int slot, CFalseRectArea& record) {
        Rect rect;
        const ResultCode result = GetFalseRect(session, Timeout, slot, rect);
        record = CFalseRectArea(slot, rect, FalseRectState::Stored);
        return result;
    });
}

ResultCode ApplyFalseRects(DeviceSession& session, const std::vector<CFalseRectArea>& rects,
                           SettingsApplyProgress* progress) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    for (const CFalseRectArea& record : rects) {
        if (!record.NeedsWrite()) {
            continue;
        }
        // A removed record holds the unset rectangle, which clears the slot.
        if (const ResultCode result =
                CountWrite(progress, SetFalseRect(session, Timeout, record.GetNumber(), record.GetRect()));
            result != RC_OK) {
            return result;
        }
    }
    std::vector<CFalseRectArea> readBack;
    if (const ResultCode result = ReadFalseRects(session, readBack); result != RC_OK) {
        return result;
    }
    return CompareReadBack(rects, readBack, SameRegion);
}

ResultCode SetThresholdVerified(DeviceSession& session, std::uint16_t threshold,
                                SettingsApplyProgress* progress) {
    return WriteAndVerify(session, threshold, SetThreshold, GetThreshold, progress);
}

ResultCode SetSizeMaskVerified(DeviceSession& session, const SizeMask& sizeMask,
                               SettingsApplyProgress* progress) {
    return WriteAndVerify(session, sizeMask, SetSizeMask, GetSizeMask, progress);
}

ResultCode SetHumanDetectionAreaVerified(DeviceSession& session, const Rect& rect,
                                         SettingsApplyProgress* progress) {
    return WriteAndVerify(session, rect, SetHumanDetectionArea, GetHumanDetectionArea, progress);
}

ResultCode SetMotionDetectionAreaVerified(DeviceSession& session, const Rect& rect,
                                          SettingsApplyProgress* progress) {
    return WriteAndVerify(session, rect, SetMotionDetectionArea, GetMotionDetectionArea, progress);
}

} // namespace orlo
