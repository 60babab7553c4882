#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/imaging/ImageData.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orlo {

inline constexpr std::uint16_t FUNCTION_HUMAN_DETECTION = 0x0001;
inline constexpr std::uint16_t FUNCTION_BLOCK_2000 = 0x2000;
inline constexpr std::uint16_t FUNCTION_MOTION_DETECTION = 0x4000;
inline constexpr std::uint8_t IMAGE_CODE_BLOCKS = 0x20;
inline constexpr int BLOCK_SIDE = 128;

// One detection as the sensor reports it, in sensor coordinates.
struct DetectionRecord {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::uint16_t exclusionBits = 0; // info bits 13-15
    std::uint16_t value = 0;         // info bits 0-9
};

// The entry handed to the pages and the detection log.
struct DetectionResult {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::uint32_t value = 0;
    std::uint8_t excludedByAreaMask = 0;
    std::uint8_t excludedBySizeMask = 0;
    std::uint8_t excludedAsFalseDetection = 0;

    static DetectionResult FromRecord(const DetectionRecord& record);
    bool IsPlain() const { return !excludedByAreaMask && !excludedBySizeMask && !excludedAsFalseDetection; }
    bool operator==(const DetectionResult&) const = default;
};

// Milliseconds of the time-out table by baud rate (unknown rates use the 9600 row) and image kind.
int DetectionTableMs(std::uint32_t baudRate, int imageKind);
// Receive time-out of a detection or image exchange: table x 4 + 20,000 ms.
int DetectionTimeoutMs(std::uint32_t baudRate, int imageKind);

struct DetectionOutput {
    std::vector<DetectionRecord> records;
    std::uint8_t stateByte = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

// The raw detection command. Pixels go to imageDestination (76,800 bytes; null skips the picture
// and blocks) and the motion block to the first of blockDestinations (16,384 bytes each).
ResultCode ExecuteDetection(DeviceSession& session, int timeoutMs, std::uint8_t imageCode,
                            std::uint16_t functionFlags, DetectionOutput& output,
                            std::uint8_t* imageDestination, std::span<std::uint8_t* const> blockDestinations);
// Picture only (function flags 0); the checksum is not tested.
ResultCode CaptureImage(DeviceSession& session, int timeoutMs, int imageKind, std::uint16_t& width,
                        std::uint16_t& height, std::uint8_t* imageDestination);

// One detection cycle as the pages run it: image kind 0/1/2, the motion block when wanted.
ResultCode DetectOnce(DeviceSession& session, int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks);
// A picture of the given kind (an empty picture for kind 0). 80 tells that the sensor reports its
// settings as abnormal.
ResultCode AcquireImage(DeviceSession& session, int imageKind, CImageData& image);

} // namespace orlo
