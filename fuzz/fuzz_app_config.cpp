// "Orlo-X1.conf" and "pef" as a user or another program left them, in any encoding. Every read gives a
// value without failing, a resolution is one the tool knows, and a write changes the one key it names:
// the value reads back and every other key reads as before, and a file it cannot decode stays as it was.
#include "core/config/AppConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Every key the tool reads except RenewInterval, which the fuzzer writes.
struct OtherKeys {
    std::int32_t comNo, baudRate, angleCom, portNo, angleLan, searchEnd, resolution, showDiff, colour;
    std::int32_t showHuman, showMotion;
    std::string comPort;
    orlo::Ipv4Address address, searchStart;
    bool image, diffImage, pefRange, pefMotion;
    std::vector<int> overlap;

    static OtherKeys Read(const orlo::AppConfig& config) {
        return {config.ReadComNo(),
                config.ReadBaudRate(),
                config.ReadAngleOfViewCom(),
                config.ReadPortNo(),
                config.ReadAngleOfViewLan(),
                config.ReadSearchEndAddress(),
                config.ReadImageResolution(),
                config.ReadIsShowDiff(0),
                config.ReadDiffColor(0),
                config.ReadIsShowArea(0),
                config.ReadIsShowArea(1),
                config.ReadComPort(),
                config.ReadIpAddress(),
                config.ReadSearchStartAddress(),
                config.ReadGetImage(),
                config.ReadGetDiffImage(),
                config.ReadPefShortRange(),
                config.ReadPefShortMotion(),
                config.ReadDetectAreaOverlap()};
    }
    friend bool operator==(const OtherKeys&, const OtherKeys&) = default;
};

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::filesystem::path& Directory() {
    static const std::filesystem::path directory = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/orlo-config-XXXXXX";
        Require(mkdtemp(pattern.data()) != nullptr);
        return std::filesystem::path(pattern);
    }();
    return directory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte splits the input between the two files; the next four are the value to write.
    if (size < 5) {
        return 0;
    }
    const std::int32_t written = static_cast<std::int32_t>(data[1] | data[2] << 8 | data[3] << 16 |
                                                           static_cast<std::uint32_t>(data[4]) << 24);
    const std::string text(reinterpret_cast<const char*>(data) + 5, size - 5);
    const std::size_t split = text.empty() ? 0 : data[0] % (text.size() + 1);
    orlo::AppConfig config(Directory());
    std::ofstream(config.ConfigFile(), std::ios::binary | std::ios::trunc) << text.substr(split);
    std::ofstream(config.PefFile(), std::ios::binary | std::ios::trunc) << text.substr(0, split);

    const OtherKeys before = OtherKeys::Read(config);
    Require(before.resolution >= 0 && before.resolution <= 2);
    (void)config.ReadRenewInterval();

    const std::string file = FileBytes(config.ConfigFile());
    config.WriteRenewInterval(written);
    // A file the tool cannot decode is refused as a whole and never rewritten.
    if (FileBytes(config.ConfigFile()) != file) {
        Require(config.ReadRenewInterval() == written);
    }
    Require(OtherKeys::Read(config) == before);
    return 0;
}
