#pragma once

#include "core/platform/Ipv4Address.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlo {

// The tool's preferences in "Orlo-X1.conf" and the drawing switches in "pef" of one directory. Nothing is
// cached: every read opens the file and every write changes it at once, so the acquisition loop sees a
// change at its next cycle. A file that cannot be read gives the defaults; a failed write is not reported.
// Numbers that are not numbers read as 0, a number followed by other text as that number.
// n for a Windows serial port name "COMn" (n from 0 to 255, "com" in any case), else nothing.
std::optional<std::int32_t> WindowsComPortNumber(std::string_view port);

class AppConfig {
public:
    explicit AppConfig(const std::filesystem::path& directory);

    const std::filesystem::path& ConfigFile() const { return configFile_; }
    const std::filesystem::path& PefFile() const { return pefFile_; }

    // Last successful COM connection. On POSIX the port is a device path, kept in ComPort beside ComNo.
    // A Windows port name "COMn" also goes to ComNo, the only key the original tool reads.
    std::int32_t ReadComNo() const;
    void WriteComNo(std::int32_t comNo);
    std::string ReadComPort() const;
    void WriteComPort(std::string_view port);
    std::int32_t ReadBaudRate() const;
    void WriteBaudRate(std::int32_t baudRate);
    std::int32_t ReadAngleOfViewCom() const;
    void WriteAngleOfViewCom(std::int32_t angleOfView);

    // Last successful LAN connection. Addresses are stored as one signed 32-bit number.
    Ipv4Address ReadIpAddress() const;
    void WriteIpAddress(const Ipv4Address& address);
    std::int32_t ReadPortNo() const;
    void WritePortNo(std::int32_t portNo);
    std::int32_t ReadAngleOfViewLan() const;
    void WriteAngleOfViewLan(std::int32_t angleOfView);

    // IP search range: the first address and the last value of its fourth byte.
    Ipv4Address ReadSearchStartAddress() const;
    void WriteSearchStartAddress(const Ipv4Address& address);
    std::int32_t ReadSearchEndAddress() const;
    void WriteSearchEndAddress(std::int32_t last);

    // On for any non-zero value.
    bool ReadGetImage() const;
    void WriteGetImage(bool on);
    // On only for exactly 1.
    bool ReadGetDiffImage() const;
    void WriteGetDiffImage(bool on);
    // 1 = 320 x 240, 2 = 160 x 120, 0 = no picture; any other stored value reads as 0.
    std::int32_t ReadImageResolution() const;
    void WriteImageResolution(std::int32_t resolution);
    // Monitoring cycle period in milliseconds.
    std::int32_t ReadRenewInterval() const;
    void WriteRenewInterval(std::int32_t milliseconds);

    // One entry per stored character (its code minus that of '0', unchecked); the area editor normalises.
    std::vector<int> ReadDetectAreaOverlap() const;
    void WriteDetectAreaOverlap(const std::vector<int>& order);

    // Display options by the display settings dialog's item index. IsShowDiff and DiffColor know item 0
    // (short-range motion); IsShowArea items 0 (human detection area) and 1 (motion area). Other items
    // write nothing; they read as 1, except DiffColor, which reads item 0's colour for any index. The raw
    // stored number is returned: the dialog shows values other than 0 and 1 as empty.
    std::int32_t ReadIsShowDiff(int item) const;
    void WriteIsShowDiff(int item, bool on);
    // Colour with red in bits 0-7, green 8-15, blue 16-23.
    std::int32_t ReadDiffColor(int item) const;
    void WriteDiffColor(int item, std::int32_t colour);
    std::int32_t ReadIsShowArea(int item) const;
    void WriteIsShowArea(int item, bool on);

    // "pef" (read only): whether detection area 0 (ShortRange) and 1 (ShortMotion) may be drawn; on only
    // for exactly 1.
    bool ReadPefShortRange() const;
    bool ReadPefShortMotion() const;

    // [OrloSetup] AutoReconnect: a link lost while monitoring is retried in the background instead of
    // being reported; off unless exactly 1.
    bool ReadAutoReconnect() const;
    void WriteAutoReconnect(bool on);
    // [OrloSetup] ShowSensorDetails: the IP search also asks each answering address which sensor it
    // is; off unless exactly 1.
    bool ReadShowSensorDetails() const;
    void WriteShowSensorDetails(bool on);
    // [OrloSetup] ReportSite, ReportCustomer, ReportInstaller: what the last report said (UTF-8), offered
    // for the next one; empty when never given.
    std::string ReadReportSite() const;
    void WriteReportSite(std::string_view text);
    std::string ReadReportCustomer() const;
    void WriteReportCustomer(std::string_view text);
    std::string ReadReportInstaller() const;
    void WriteReportInstaller(std::string_view text);

private:
    std::filesystem::path configFile_;
    std::filesystem::path pefFile_;
};

} // namespace orlo
