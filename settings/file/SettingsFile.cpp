#include "settings/file/SettingsFile.h"

#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/PrivateProfile.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace orlo {

namespace {

// A settings file is a few kilobytes; anything far larger is not one.
constexpr std::size_t MaxSettingsFileBytes = 1 << 20;
constexpr std::size_t MaxValueChars = 511;
constexpr std::size_t DeviceInfoBytes = 20;
constexpr int WriteAttempts = 5;

std::string AreaMaskSection(std::uint32_t number) {
    return "AreaMask" + std::to_string(number + 1);
}
std::string MotionMaskSection(std::uint32_t number) {
    return "MotionMask" + std::to_string(number + 1);
}
std::string OtherKey(int number) {
    return (number < 10 ? "Other0" : "Other") + std::to_string(number);
}

// File bytes as UTF-8 text, by byte-order mark; without one the file is CP932.
std::optional<std::string> DecodeSettingsText(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return Utf16LeToUtf8(std::string_view(bytes).substr(2));
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return bytes.substr(3);
    }
    return Cp932ToUtf8(bytes);
}

// Visits every numeric key in file order with its section, key and the value as a signed number.
// The same table drives the writer and the reader, so both keep one order.
class RecordFields {
public:
    using Visitor = std::function<bool(const std::string& section, const char* key, std::int64_t& value,
                                       std::int32_t rejected, int bits)>;

    static bool Visit(SettingsRecord& record, const Visitor& visit) {
        auto field = [&](const std::string& section, const char* key, auto& member, std::int32_t rejected) {
            std::int64_t value = member;
            if (!visit(section, key, value, rejected, static_cast<int>(sizeof(member) * 8))) {
                return false;
            }
            member = static_cast<std::remove_reference_t<decltype(member)>>(value);
            return true;
        };
        bool ok = field("Camera", "Camera", record.camera, -1) && field("Camera", "Mode", record.mode, -1) &&
                  field("Ditection", "Threshold", record.threshold, -1) &&
                  field("Ditection", "SizeMin", record.sizeMin, -1) &&
                  field("Ditection", "SizeMax", record.sizeMax, -1);
        for (auto& mask : record.areaMasks) {
            const std::string section = AreaMaskSection(mask.number);
            ok = ok && field(section, "Left", mask.left, -2) && field(section, "Top", mask.top, -2) &&
                 field(section, "Right", mask.right, -2) && field(section, "Bottom", mask.bottom, -2) &&
                 field(section, "JudgeFlag", mask.judgeFlag, -1);
        }
        for (auto& mask : record.motionMasks) {
            const std::string section = MotionMaskSection(mask.number);
            ok = ok && field(section, "Left", mask.left, -2) && field(section, "Top", mask.top, -2) &&
                 field(section, "Right", mask.right, -2) && field(section, "Bottom", mask.bottom, -2);
        }
        return ok && field("System", "USBSendTimeout", record.usbSendTimeout, -1) &&
               field("System", "USBReceiveTimeout", record.usbReceiveTimeout, -1);
    }

    // The Other section follows DeviceInfo in the file.
    static bool VisitOther(SettingsRecord& record, const Visitor& visit) {
        auto field = [&](int number, auto& member, std::int32_t rejected) {
            std::int64_t value = member;
            if (!visit("Other", OtherKey(number).c_str(), value, rejected,
                       static_cast<int>(sizeof(member) * 8))) {
                return false;
            }
            member = static_cast<std::remove_reference_t<decltype(member)>>(value);
            return true;
        };
        bool ok = field(1, record.other01, -1) && field(2, record.other02, -1) &&
                  field(3, record.other03, -1) && field(4, record.other04, -1) &&
                  field(5, record.other05, -1) && field(6, record.other06, -1) &&
                  field(7, record.other07, -1);
        for (int i = 0; i < 4; ++i) {
            ok = ok && field(8 + i, record.other08To11[static_cast<std::size_t>(i)], -2);
        }
        ok = ok && field(12, record.other12, -1);
        for (int i = 0; i < 4; ++i) {
            ok = ok && field(23 + i, record.other23To26[static_cast<std::size_t>(i)], -2);
        }
        return ok && field(27, record.other27, 0) && field(28, record.other28, 0);
    }
};

// The low bits a field of `bits` width keeps, as the field's unsigned or signed value.
std::int64_t Truncated(std::int32_t value, int bits) {
    switch (bits) {
    case 8:
        return static_cast<std::uint8_t>(value);
    case 16:
        return static_cast<std::uint16_t>(value);
    default:
        return value;
    }
}

} // namespace

bool SetSettingsKeys(IniDocument& document, const SettingsRecord& record) {
    SettingsRecord copy = record;
    const auto write = [&](const std::string& section, const char* key, std::int64_t& value, std::int32_t,
                           int) {
        document.Set(section, key, std::to_string(static_cast<std::int32_t>(value)));
        return true;
    };
    RecordFields::Visit(copy, write);
    const bool deviceInfoSet = document.Set("System", "DeviceInfo", record.deviceInfo);
    RecordFields::VisitOther(copy, write);
    return deviceInfoSet;
}

int WriteSettingsFile(const std::filesystem::path& path, const SettingsRecord& record) {
    IniDocument document;
    if (const auto existing = ReadFileLimited(path, MaxSettingsFileBytes)) {
        if (const auto text = DecodeSettingsText(*existing)) {
            document = IniDocument::Parse(*text);
        }
    }
    if (!SetSettingsKeys(document, record)) {
        return -1;
    }
    const std::string text = document.Serialize();
    // Text of an existing Unicode file that CP932 cannot hold stays UTF-8, marked so it reads back.
    const std::string bytes = Utf8ToCp932(text).value_or("\xEF\xBB\xBF" + text);
    for (int attempt = 0; attempt < WriteAttempts; ++attempt) {
        if (WriteFileAtomically(path, bytes)) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
}

int ReadSettingsFile(const std::filesystem::path& path, SettingsRecord& record) {
    const auto bytes = ReadFileLimited(path, MaxSettingsFileBytes);
    if (!bytes) {
        return -1;
    }
    const auto text = DecodeSettingsText(*bytes);
    if (!text) {
        return -1;
    }
    const IniDocument document = IniDocument::Parse(*text);
    const auto valueOf = [&](const std::string& section, const char* key) -> std::optional<std::string> {
        auto value = document.Get(section, key);
        if (value && value->size() > MaxValueChars) {
            value->resize(MaxValueChars);
        }
        return value;
    };

    SettingsRecord read;
    for (std::uint32_t i = 0; i < read.areaMasks.size(); ++i) {
        read.areaMasks[i].number = i;
        read.motionMasks[i].number = i;
    }
    const auto readField = [&](const std::string& section, const char* key, std::int64_t& value,
                               std::int32_t rejected, int bits) {
        const auto text = valueOf(section, key);
        if (!text) {
            return false;
        }
        const std::int32_t number = ParseLongSaturated(*text);
        if (number == rejected) {
            return false;
        }
        value = Truncated(number, bits);
        return true;
    };
    if (!RecordFields::Visit(read, readField)) {
        return -1;
    }
    const auto deviceInfo = valueOf("System", "DeviceInfo");
    if (!deviceInfo || *deviceInfo == "-1") {
        return -1;
    }
    const std::string cp932 = Utf8ToCp932(*deviceInfo).value_or(std::string());
    read.deviceInfo = Cp932ToUtf8(Cp932Prefix(cp932, DeviceInfoBytes)).value_or(std::string());
    if (!RecordFields::VisitOther(read, readField)) {
        return -1;
    }
    record = std::move(read);
    return 0;
}

} // namespace orlo
