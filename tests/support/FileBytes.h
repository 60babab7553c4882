#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orlo::test {

// The whole file as it is on disk; empty when it cannot be read.
inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace orlo::test
