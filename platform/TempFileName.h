#pragma once

#include <filesystem>
#include <string>

namespace orlo {

// ".NAME.PROCESS.SERIAL.tmp" beside target: hidden, and unique per process and attempt.
inline std::filesystem::path TempFileName(const std::filesystem::path& target, unsigned long process,
                                          unsigned serial) {
    // Appended piece by piece: `"." + name` inserts at the front, where GCC 12 at -O3 reports a false
    // overlap (-Wrestrict).
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    name += std::to_string(process);
    name += '.';
    name += std::to_string(serial);
    name += ".tmp";
    std::filesystem::path candidate = target;
    candidate.replace_filename(name);
    return candidate;
}

} // namespace orlo
