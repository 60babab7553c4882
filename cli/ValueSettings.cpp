#include "cli/Setting.h"
#include "cli/TextOutput.h"
#include "core/device/CommandSupport.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SystemCommands.h"
#include "core/platform/CodePage.h"
#include "core/settingsfile/SettingsFile.h"

namespace orlo::cli {

namespace {

constexpr int Timeout = SettingTimeout;

Setting ThresholdSetting() {
    return {"N (" + RangeText(ThresholdRule) + ")",
            [](DeviceSession& s, Printed& p) {
                std::uint16_t value = 0;
                const ResultCode result = GetThreshold(s, Timeout, value);
                p = {{std::to_string(value)}, std::to_string(value)};
                return result;
            },
            [](const Args& a) { return CheckNumbers(a, 1, ThresholdRule); },
            [](DeviceSession& s, const Args& a) {
                return SetThresholdVerified(s, static_cast<std::uint16_t>(*Number(a[0], ThresholdRule)));
            }};
}

Setting SizeMaskSetting() {
    return {"MIN MAX (" + RangeText(SizeRule) + ", MIN <= MAX)",
            [](DeviceSession& s, Printed& p) {
                SizeMask value;
                const ResultCode result = GetSizeMask(s, Timeout, value);
                p = {{std::to_string(value.minimum) + " " + std::to_string(value.maximum)},
                     "{\"min\": " + std::to_string(value.minimum) +
                         ", \"max\": " + std::to_string(value.maximum) + "}"};
                return result;
            },
            [](const Args& a) {
                std::string error = CheckNumbers(a, 2, SizeRule);
                return error.empty() && *Number(a[0], SizeRule) > *Number(a[1], SizeRule)
                           ? std::string("MIN must not exceed MAX")
                           : error;
            },
            [](DeviceSession& s, const Args& a) {
                return SetSizeMaskVerified(s, {static_cast<std::uint16_t>(*Number(a[0], SizeRule)),
                                               static_cast<std::uint16_t>(*Number(a[1], SizeRule))});
            }};
}

Setting DirectionSetting() {
    return {"0|1|2|3 (0, 90, 180, 270 degrees)",
            [](DeviceSession& s, Printed& p) {
                std::uint8_t value = 0;
                const ResultCode result = GetMountingDirection(s, Timeout, value);
                p = {{std::to_string(value)}, std::to_string(value)};
                return result;
            },
            [](const Args& a) { return CheckNumbers(a, 1, DirectionRule); },
            [](DeviceSession& s, const Args& a) {
                // As the camera page does: write, read the direction back, then both detection areas.
                std::uint8_t direction = 0;
                Rect area;
                ResultCode result =
                    SetMountingDirection(s, Timeout, static_cast<std::uint8_t>(*Number(a[0], DirectionRule)));
                result = result == RC_OK ? GetMountingDirection(s, Timeout, direction) : result;
                result = result == RC_OK ? GetHumanDetectionArea(s, Timeout, area) : result;
                return result == RC_OK ? GetMotionDetectionArea(s, Timeout, area) : result;
            }};
}

Setting ModeSetting() {
    return {"N (" + RangeText(ByteRule) + ", as the mode list names it)",
            [](DeviceSession& s, Printed& p) {
                std::uint8_t value = 0;
                const ResultCode result = GetOperatingMode(s, Timeout, value);
                p = {{std::to_string(value)}, std::to_string(value)};
                return result;
            },
            [](const Args& a) { return CheckNumbers(a, 1, ByteRule); },
            [](DeviceSession& s, const Args& a) {
                return SetOperatingModeVerified(s, static_cast<std::uint8_t>(*Number(a[0], ByteRule)));
            }};
}

Setting UsbTimeoutsSetting() {
    return {"SEND RECV (milliseconds, " + RangeText(WordRule) + ")",
            [](DeviceSession& s, Printed& p) {
                std::uint16_t send = 0;
                std::uint16_t receive = 0;
                ResultCode result = GetUsbSendTimeout(s, Timeout, send);
                result = result == RC_OK ? GetUsbReceiveTimeout(s, Timeout, receive) : result;
                p = {{std::to_string(send) + " " + std::to_string(receive)},
                     "{\"send\": " + std::to_string(send) + ", \"receive\": " + std::to_string(receive) +
                         "}"};
                return result;
            },
            [](const Args& a) { return CheckNumbers(a, 2, WordRule); },
            [](DeviceSession& s, const Args& a) {
                return SetUsbTimeoutsVerified(s, static_cast<std::uint16_t>(*Number(a[0], WordRule)),
                                              static_cast<std::uint16_t>(*Number(a[1], WordRule)));
            }};
}

Setting AreasSetting() {
    return {"human|motion LEFT TOP RIGHT BOTTOM  (-1 -1 -1 -1: the whole frame)",
            [](DeviceSession& s, Printed& p) {
                Rect human;
                Rect motion;
                ResultCode result = GetHumanDetectionArea(s, Timeout, human);
                result = result == RC_OK ? GetMotionDetectionArea(s, Timeout, motion) : result;
                p = {{"human " + RectText(human), "motion " + RectText(motion)},
                     "{\"human\": " + RectJson(human) + ", \"motion\": " + RectJson(motion) + "}"};
                return result;
            },
            [](const Args& a) {
                if (a.size() != 5 || (a[0] != "human" && a[0] != "motion") || !ParseRect(a, 1)) {
                    return std::string("needs human|motion and four coordinates");
                }
                return CheckRestorable(*ParseRect(a, 1), a[1] + " " + a[2] + " " + a[3] + " " + a[4]);
            },
            [](DeviceSession& s, const Args& a) {
                const Rect rect = *ParseRect(a, 1);
                return a[0] == "human" ? SetHumanDetectionAreaVerified(s, rect)
                                       : SetMotionDetectionAreaVerified(s, rect);
            }};
}

Setting InfoTextSetting() {
    return {"TEXT (at most 20 bytes in the sensor's character set)",
            [](DeviceSession& s, Printed& p) {
                std::string text;
                const ResultCode result = GetDeviceInfoText(s, Timeout, text);
                p = {{PrintableText(text)}, JsonString(PrintableText(text))};
                return result;
            },
            [](const Args& a) {
                if (a.size() != 1) {
                    return std::string("needs one TEXT");
                }
                if (a[0].find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
                    return "a line break or a zero byte cannot be stored: " + PrintableText(a[0]);
                }
                if (a[0] == UnrestorableDeviceInfo) {
                    return "the text " + a[0] + " cannot be restored from a settings file";
                }
                const auto cp932 = Utf8ToCp932(a[0]);
                if (!cp932) {
                    return "cannot be stored by the sensor: " + PrintableText(a[0]);
                }
                return cp932->size() > DeviceInfoTextSize ? "longer than 20 bytes: " + a[0] : std::string();
            },
            [](DeviceSession& s, const Args& a) {
                return command::WriteAndVerify(s, a[0], SetDeviceInfoText, GetDeviceInfoText);
            }};
}

} // namespace

void AddValueSettings(SettingTable& table) {
    table.emplace("threshold", ThresholdSetting());
    table.emplace("sizemask", SizeMaskSetting());
    table.emplace("direction", DirectionSetting());
    table.emplace("mode", ModeSetting());
    table.emplace("usb-timeouts", UsbTimeoutsSetting());
    table.emplace("areas", AreasSetting());
    table.emplace("info-text", InfoTextSetting());
}

} // namespace orlo::cli
