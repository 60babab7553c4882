#pragma once

#include <array>
#include <cstdint>

namespace orlo::sim {

// A rectangle as the sensor stores it (signed 16-bit edges); all -1 means "unset".
struct Rect16 {
    std::int16_t left = -1;
    std::int16_t top = -1;
    std::int16_t right = -1;
    std::int16_t bottom = -1;

    bool isSet() const { return left != -1 || top != -1 || right != -1 || bottom != -1; }
    friend bool operator==(const Rect16&, const Rect16&) = default;
};

struct AreaMask {
    Rect16 rect;
    std::uint8_t judge = 0xFF;
    friend bool operator==(const AreaMask&, const AreaMask&) = default;
};

inline constexpr std::size_t kAreaMaskSlots = 16;
inline constexpr std::size_t kMotionMaskSlots = 16;
inline constexpr std::size_t kFalseRectSlots = 10;
inline constexpr std::size_t kDeviceInfoTextSize = 20;

inline constexpr std::uint8_t kJudgeNone = 0xFF;
inline constexpr std::uint8_t kJudgeCentre = 0x80;
inline constexpr std::uint8_t kJudgeFoot = 0x90;

// Every value the sensor keeps, initialised to its factory settings.
struct SensorSettings {
    std::uint8_t direction = 0;
    std::uint8_t operatingMode = 0;
    std::uint32_t baudRate = 115200;
    std::uint16_t threshold = 500;
    std::uint16_t sizeMin = 20;
    std::uint16_t sizeMax = 1600;
    std::array<AreaMask, kAreaMaskSlots> areaMasks{};
    std::array<Rect16, kMotionMaskSlots> motionMasks{};
    std::array<Rect16, kFalseRectSlots> falseRects{};
    Rect16 humanArea;
    Rect16 motionArea;
    std::array<std::uint8_t, kDeviceInfoTextSize> deviceInfoText{};
    std::uint16_t usbSendTimeoutMs = 5000;
    std::uint16_t usbReceiveTimeoutMs = 3000;
    std::uint16_t other01 = 100;
    std::uint8_t other02 = 1;
    std::uint8_t other03 = 0;
    std::uint16_t other04 = 300;
    std::uint8_t other05 = 2;
    std::uint8_t other06 = 0;
    std::uint8_t other07 = 1;
    std::uint8_t other27 = 3;
    std::uint8_t other28 = 5;

    bool portrait() const { return direction == 1 || direction == 3; }

    friend bool operator==(const SensorSettings&, const SensorSettings&) = default;
};

// Serial speeds by the index of command 0x0E; 0 when the index is unknown.
std::uint32_t baudForSpeedIndex(std::uint8_t index);
bool isSupportedBaud(std::uint32_t baud);

} // namespace orlo::sim
