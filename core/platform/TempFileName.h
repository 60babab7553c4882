#pragma once

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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

// The process in the name of a temporary file TempFileName made for `target`; nothing for any other
// name, so only our own files are ever taken for stale ones.
inline std::optional<unsigned long> TempFileProcess(const std::filesystem::path& target,
                                                    std::string_view name) {
    std::string prefix = ".";
    prefix += target.filename().string();
    prefix += '.';
    constexpr std::string_view suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix)) {
        return std::nullopt;
    }
    const std::string_view numbers = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dot = numbers.find('.');
    unsigned long process = 0;
    unsigned serial = 0;
    const auto digits = [](std::string_view text, auto& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return !text.empty() && error == std::errc() && end == text.data() + text.size();
    };
    if (dot == std::string_view::npos || !digits(numbers.substr(0, dot), process) ||
        !digits(numbers.substr(dot + 1), serial)) {
        return std::nullopt;
    }
    return process;
}

} // namespace orlo
