#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orlo::sim {

// One request of a recorded session with every byte received for it, in order.
struct RecordedExchange {
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> response; // may be empty or cut short: what the tool really got
    int line = 0;                       // line of the request in the log
};

// Why a command log was refused; line 0 when the file as a whole is at fault.
struct ReplayLogError {
    int line = 0;
    std::string message;
    std::string Text() const;
};

// Reads the set-up tool's command log (UTF-16LE with byte-order mark, one line per transfer: "S" or
// "R", a tab, the local time, a tab, the byte count, a tab, the bytes in lower-case hex). Strict:
// a line that is cut short, malformed or disagrees with its own byte count refuses the whole log,
// naming the line, so a damaged recording is never half played.
std::optional<std::vector<RecordedExchange>> ParseReplayLog(std::span<const std::uint8_t> file,
                                                            ReplayLogError& error);
std::optional<std::vector<RecordedExchange>> LoadReplayLog(const std::filesystem::path& path,
                                                           ReplayLogError& error);

} // namespace orlo::sim
