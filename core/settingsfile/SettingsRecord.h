#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orlo {

struct SettingsAreaMask {
    std::uint32_t number = 0;
    std::int32_t left = -1;
    std::int32_t top = -1;
    std::int32_t right = -1;
    std::int32_t bottom = -1;
    std::uint8_t judgeFlag = 0xFF; // the judge byte as the sensor holds it
    bool operator==(const SettingsAreaMask&) const = default;
};

// A numbered rectangle: a motion mask or a false-detection rectangle.
struct SettingsSlotRect {
    std::uint32_t number = 0;
    std::int32_t left = -1;
    std::int32_t top = -1;
    std::int32_t right = -1;
    std::int32_t bottom = -1;
    bool operator==(const SettingsSlotRect&) const = default;
};
using SettingsMotionMask = SettingsSlotRect;
using SettingsFalseRect = SettingsSlotRect;

inline constexpr std::size_t SETTINGS_FALSE_RECT_COUNT = 10;
using SettingsFalseRects = std::array<SettingsFalseRect, SETTINGS_FALSE_RECT_COUNT>;

// Every sensor setting a settings file holds.
struct SettingsRecord {
    std::uint8_t camera = 0;
    std::uint8_t mode = 0;
    std::uint16_t threshold = 0;
    std::uint16_t sizeMin = 0;
    std::uint16_t sizeMax = 0;
    std::array<SettingsAreaMask, 16> areaMasks{};
    std::array<SettingsMotionMask, 16> motionMasks{};
    std::uint16_t usbSendTimeout = 0;
    std::uint16_t usbReceiveTimeout = 0;
    std::string deviceInfo; // CP932 bytes as the sensor holds them, up to the first zero; at most 20
    std::uint16_t other01 = 0;
    std::uint8_t other02 = 0;
    std::uint8_t other03 = 0;
    std::uint16_t other04 = 0;
    std::uint8_t other05 = 0;
    std::uint8_t other06 = 0;
    std::uint16_t other07 = 0;
    std::array<std::int32_t, 4> other08To11{}; // human detection area: left, top, right, bottom
    std::int32_t other12 = 90;                 // angle of view
    std::array<std::int32_t, 4> other23To26{}; // motion detection area
    std::uint8_t other27 = 0;
    std::uint8_t other28 = 0;
    // In a section the original reader never asks for; absent in files written without it, and then
    // the sensor's own rectangles stay as they are.
    std::optional<SettingsFalseRects> falseRects;

    bool operator==(const SettingsRecord&) const = default;
};

} // namespace orlo
