#include "core/config/AppConfig.h"

#include "core/platform/PrivateProfile.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace orlo {

namespace {

constexpr std::string_view kApplication = "Application";
// The section of the keys this tool adds; the original program ignores it.
constexpr std::string_view kOrloSetup = "OrloSetup";
constexpr std::string_view kIsShowDiff = "IsShowDiff";
constexpr std::string_view kDiffColor = "DiffColor";
constexpr std::string_view kIsShowArea = "IsShowArea";
constexpr std::string_view kExecuteFlag = "ExecuteFlag";
constexpr std::string_view kShortMotion = "ShortMotion";

constexpr std::int32_t kDefaultDiffColor = 55295; // red 255, green 215, blue 0
constexpr int kShortMotionItem = 0;

std::int32_t PackAddress(const Ipv4Address& address) {
    const std::uint32_t packed = (std::uint32_t{address[0]} << 24) | (std::uint32_t{address[1]} << 16) |
                                 (std::uint32_t{address[2]} << 8) | std::uint32_t{address[3]};
    return static_cast<std::int32_t>(packed);
}

Ipv4Address UnpackAddress(std::int32_t value) {
    const auto packed = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(packed >> 24), static_cast<std::uint8_t>(packed >> 16),
            static_cast<std::uint8_t>(packed >> 8), static_cast<std::uint8_t>(packed)};
}

std::int32_t ReadNumber(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::int32_t defaultValue) {
    return ParseLongSaturated(ReadProfileString(file, section, key, std::to_string(defaultValue)));
}

// Callers carry on whatever the outcome of a write: the preference is simply not kept.
void WriteText(const std::filesystem::path& file, std::string_view section, std::string_view key,
               std::string_view value) {
    static_cast<void>(WriteProfileString(file, section, key, value));
}

void WriteNumber(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::int32_t value) {
    WriteText(file, section, key, std::to_string(value));
}

const char* AreaKey(int item) {
    switch (item) {
    case 0:
        return "BodyDetection";
    case 1:
        return "ShortMotion";
    default:
        return nullptr;
    }
}

} // namespace

std::optional<std::int32_t> WindowsComPortNumber(std::string_view port) {
    if (port.size() < 4 || port.size() > 6) {
        return std::nullopt;
    }
    const std::string_view prefix = port.substr(0, 3);
    const auto isCom = std::equal(prefix.begin(), prefix.end(), "COM", [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
    });
    std::int32_t number = 0;
    const auto digits = port.substr(3);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    const bool leadingZero = digits.size() > 1 && digits.front() == '0';
    const bool startsWithSign = !std::isdigit(static_cast<unsigned char>(digits.front()));
    if (!isCom || startsWithSign || error != std::errc{} || end != digits.data() + digits.size() ||
        leadingZero || number > 255) {
        return std::nullopt;
    }
    return number;
}

AppConfig::AppConfig(const std::filesystem::path& directory)
    : configFile_(directory / "Orlo-X1.conf"), pefFile_(directory / "pef") {}

std::int32_t AppConfig::ReadComNo() const {
    return ReadNumber(configFile_, kApplication, "ComNo", 0);
}

void AppConfig::WriteComNo(std::int32_t comNo) {
    WriteNumber(configFile_, kApplication, "ComNo", comNo);
}

std::string AppConfig::ReadComPort() const {
    return ReadProfileString(configFile_, kApplication, "ComPort", "");
}

void AppConfig::WriteComPort(std::string_view port) {
    WriteText(configFile_, kApplication, "ComPort", port);
    if (const auto number = WindowsComPortNumber(port)) {
        WriteComNo(*number);
    }
}

std::int32_t AppConfig::ReadBaudRate() const {
    return ReadNumber(configFile_, kApplication, "BaudRate", 115200);
}

void AppConfig::WriteBaudRate(std::int32_t baudRate) {
    WriteNumber(configFile_, kApplication, "BaudRate", baudRate);
}

std::int32_t AppConfig::ReadAngleOfViewCom() const {
    return ReadNumber(configFile_, kApplication, "AngleOfView_Com", 90);
}

void AppConfig::WriteAngleOfViewCom(std::int32_t angleOfView) {
    WriteNumber(configFile_, kApplication, "AngleOfView_Com", angleOfView);
}

Ipv4Address AppConfig::ReadIpAddress() const {
    return UnpackAddress(ReadNumber(configFile_, kApplication, "IPAddress", 0));
}

void AppConfig::WriteIpAddress(const Ipv4Address& address) {
    WriteNumber(configFile_, kApplication, "IPAddress", PackAddress(address));
}

std::int32_t AppConfig::ReadPortNo() const {
    return ReadNumber(configFile_, kApplication, "PortNo", 9600);
}

void AppConfig::WritePortNo(std::int32_t portNo) {
    WriteNumber(configFile_, kApplication, "PortNo", portNo);
}

std::int32_t AppConfig::ReadAngleOfViewLan() const {
    return ReadNumber(configFile_, kApplication, "AngleOfView_Lan", 90);
}

void AppConfig::WriteAngleOfViewLan(std::int32_t angleOfView) {
    WriteNumber(configFile_, kApplication, "AngleOfView_Lan", angleOfView);
}

Ipv4Address AppConfig::ReadSearchStartAddress() const {
    return UnpackAddress(ReadNumber(configFile_, kApplication, "SearchStartAddress", 0));
}

void AppConfig::WriteSearchStartAddress(const Ipv4Address& address) {
    WriteNumber(configFile_, kApplication, "SearchStartAddress", PackAddress(address));
}

std::int32_t AppConfig::ReadSearchEndAddress() const {
    return ReadNumber(configFile_, kApplication, "SearchEndAddress", 255);
}

void AppConfig::WriteSearchEndAddress(std::int32_t last) {
    WriteNumber(configFile_, kApplication, "SearchEndAddress", last);
}

bool AppConfig::ReadAutoReconnect() const {
    return ReadNumber(configFile_, kOrloSetup, "AutoReconnect", 0) == 1;
}

void AppConfig::WriteAutoReconnect(bool on) {
    WriteNumber(configFile_, kOrloSetup, "AutoReconnect", on ? 1 : 0);
}

bool AppConfig::ReadShowSensorDetails() const {
    return ReadNumber(configFile_, kOrloSetup, "ShowSensorDetails", 0) == 1;
}

void AppConfig::WriteShowSensorDetails(bool on) {
    WriteNumber(configFile_, kOrloSetup, "ShowSensorDetails", on ? 1 : 0);
}

std::string AppConfig::ReadReportSite() const {
    return ReadProfileString(configFile_, kOrloSetup, "ReportSite", "");
}

void AppConfig::WriteReportSite(std::string_view text) {
    WriteText(configFile_, kOrloSetup, "ReportSite", text);
}

std::string AppConfig::ReadReportCustomer() const {
    return ReadProfileString(configFile_, kOrloSetup, "ReportCustomer", "");
}

void AppConfig::WriteReportCustomer(std::string_view text) {
    WriteText(configFile_, kOrloSetup, "ReportCustomer", text);
}

std::string AppConfig::ReadReportInstaller() const {
    return ReadProfileString(configFile_, kOrloSetup, "ReportInstaller", "");
}

void AppConfig::WriteReportInstaller(std::string_view text) {
    WriteText(configFile_, kOrloSetup, "ReportInstaller", text);
}

bool AppConfig::ReadGetImage() const {
    return ReadNumber(configFile_, kApplication, "GetImage", 1) != 0;
}

void AppConfig::WriteGetImage(bool on) {
    WriteNumber(configFile_, kApplication, "GetImage", on ? 1 : 0);
}

bool AppConfig::ReadGetDiffImage() const {
    return ReadNumber(configFile_, kApplication, "GetDiffImage", 0) == 1;
}

void AppConfig::WriteGetDiffImage(bool on) {
    WriteNumber(configFile_, kApplication, "GetDiffImage", on ? 1 : 0);
}

std::int32_t AppConfig::ReadImageResolution() const {
    const std::int32_t resolution = ReadNumber(configFile_, kApplication, "ImageResolution", 1);
    return (resolution >= 0 && resolution <= 2) ? resolution : 0;
}

void AppConfig::WriteImageResolution(std::int32_t resolution) {
    WriteNumber(configFile_, kApplication, "ImageResolution", resolution);
}

std::int32_t AppConfig::ReadRenewInterval() const {
    return ReadNumber(configFile_, kApplication, "RenewInterval", 3000);
}

void AppConfig::WriteRenewInterval(std::int32_t milliseconds) {
    WriteNumber(configFile_, kApplication, "RenewInterval", milliseconds);
}

std::vector<int> AppConfig::ReadDetectAreaOverlap() const {
    const std::string text = ReadProfileString(configFile_, kApplication, "DetectAreaOverlap", "0123");
    std::vector<int> order;
    order.reserve(text.size());
    for (const char c : text) {
        order.push_back(static_cast<int>(c) - '0');
    }
    return order;
}

void AppConfig::WriteDetectAreaOverlap(const std::vector<int>& order) {
    std::string text;
    for (const int entry : order) {
        text += std::to_string(entry);
    }
    WriteText(configFile_, kApplication, "DetectAreaOverlap", text);
}

std::int32_t AppConfig::ReadIsShowDiff(int item) const {
    return item == kShortMotionItem ? ReadNumber(configFile_, kIsShowDiff, kShortMotion, 1) : 1;
}

void AppConfig::WriteIsShowDiff(int item, bool on) {
    if (item == kShortMotionItem) {
        WriteNumber(configFile_, kIsShowDiff, kShortMotion, on ? 1 : 0);
    }
}

std::int32_t AppConfig::ReadDiffColor(int /*item*/) const {
    return ReadNumber(configFile_, kDiffColor, kShortMotion, kDefaultDiffColor);
}

void AppConfig::WriteDiffColor(int item, std::int32_t colour) {
    if (item == kShortMotionItem) {
        WriteNumber(configFile_, kDiffColor, kShortMotion, colour);
    }
}

std::int32_t AppConfig::ReadIsShowArea(int item) const {
    const char* key = AreaKey(item);
    return key != nullptr ? ReadNumber(configFile_, kIsShowArea, key, 1) : 1;
}

void AppConfig::WriteIsShowArea(int item, bool on) {
    if (const char* key = AreaKey(item)) {
        WriteNumber(configFile_, kIsShowArea, key, on ? 1 : 0);
    }
}

bool AppConfig::ReadPefShortRange() const {
    return ReadNumber(pefFile_, kExecuteFlag, "ShortRange", 1) == 1;
}

bool AppConfig::ReadPefShortMotion() const {
    return ReadNumber(pefFile_, kExecuteFlag, kShortMotion, 1) == 1;
}

} // namespace orlo
