#pragma once

#include <cstddef>
#include <cstdint>

// Command codes and status bytes of the sensor's wire protocol, as the sensor sees them.
namespace orlo::sim {

inline constexpr std::uint8_t kStartByte = 0xFE;
inline constexpr std::size_t kRequestHeaderSize = 4;

namespace cmd {
inline constexpr std::uint8_t GetDeviceInfo = 0x00;
inline constexpr std::uint8_t SetMountingDirection = 0x01;
inline constexpr std::uint8_t GetMountingDirection = 0x02;
inline constexpr std::uint8_t ExecuteDetection = 0x03;
inline constexpr std::uint8_t SetThreshold = 0x05;
inline constexpr std::uint8_t GetThreshold = 0x06;
inline constexpr std::uint8_t SetSizeMask = 0x07;
inline constexpr std::uint8_t GetSizeMask = 0x08;
inline constexpr std::uint8_t SetDeviceInfoText = 0x0C;
inline constexpr std::uint8_t GetDeviceInfoText = 0x0D;
inline constexpr std::uint8_t SetCommSpeed = 0x0E;
inline constexpr std::uint8_t SetUsbSendTimeout = 0x17;
inline constexpr std::uint8_t GetUsbSendTimeout = 0x18;
inline constexpr std::uint8_t SetUsbReceiveTimeout = 0x19;
inline constexpr std::uint8_t GetUsbReceiveTimeout = 0x1A;
inline constexpr std::uint8_t SetAreaMask = 0x61;
inline constexpr std::uint8_t GetAreaMask = 0x62;
inline constexpr std::uint8_t SetOther01 = 0x63;
inline constexpr std::uint8_t GetOther01 = 0x64;
inline constexpr std::uint8_t SetHumanDetectionArea = 0x65;
inline constexpr std::uint8_t GetHumanDetectionArea = 0x66;
inline constexpr std::uint8_t SetFalseRect = 0x67;
inline constexpr std::uint8_t GetFalseRect = 0x68;
inline constexpr std::uint8_t SetOther02To06 = 0x69;
inline constexpr std::uint8_t GetOther02To06 = 0x6A;
inline constexpr std::uint8_t SetOther07 = 0x6B;
inline constexpr std::uint8_t GetOther07 = 0x6C;
inline constexpr std::uint8_t SetOperatingMode = 0x6D;
inline constexpr std::uint8_t GetOperatingMode = 0x6E;
inline constexpr std::uint8_t SetMotionMask = 0x76;
inline constexpr std::uint8_t GetMotionMask = 0x77;
inline constexpr std::uint8_t SetMotionDetectionArea = 0x78;
inline constexpr std::uint8_t GetMotionDetectionArea = 0x79;
inline constexpr std::uint8_t SetOther27To28 = 0x7A;
inline constexpr std::uint8_t GetOther27To28 = 0x7B;
inline constexpr std::uint8_t Restart = 0xFF;
} // namespace cmd

namespace status {
inline constexpr std::uint8_t Ok = 0x00;
inline constexpr std::uint8_t SettingsAbnormal = 0x50;
// The sensor's own refusals; any value other than Ok and SettingsAbnormal is an error to the client.
inline constexpr std::uint8_t UnknownCommand = 0xE0;
inline constexpr std::uint8_t BadStartByte = 0xE1;
inline constexpr std::uint8_t BadLength = 0xE2;
inline constexpr std::uint8_t BadParameter = 0xE3;
} // namespace status

// Function flags and image code bits of command 0x03.
inline constexpr std::uint16_t kFuncHuman = 0x0001;
inline constexpr std::uint16_t kFuncBlockB = 0x2000;
inline constexpr std::uint16_t kFuncMotion = 0x4000;
inline constexpr std::uint8_t kImageCodeBlocks = 0x20;

inline constexpr std::size_t kBlockSide = 128;

} // namespace orlo::sim
