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
// naming the line, so a damaged recording is never half played. The file is taken in pieces of any
// size: besides the exchanges it keeps one line, and a line longer than the largest transfer the
// tool logs is refused, so the memory needed follows the recorded bytes, never the file's shape.
class ReplayLogReader {
public:
    // False once the log is refused; later pieces are ignored.
    bool Feed(std::span<const std::uint8_t> piece);
    // After the last piece: the exchanges, or nothing with `error` set.
    std::optional<std::vector<RecordedExchange>> Finish(ReplayLogError& error);

private:
    bool Take(unsigned unit);
    bool EndLine();
    bool Refuse(int line, std::string message);

    std::size_t markBytes_ = 0;
    std::optional<std::uint8_t> lowByte_;
    std::string line_;
    int lineNumber_ = 1;
    std::vector<RecordedExchange> exchanges_;
    std::optional<ReplayLogError> error_;
};

std::optional<std::vector<RecordedExchange>> ParseReplayLog(std::span<const std::uint8_t> file,
                                                            ReplayLogError& error);
// Reads the file piece by piece: a file that is not a command log is refused after its first bytes.
std::optional<std::vector<RecordedExchange>> LoadReplayLog(const std::filesystem::path& path,
                                                           ReplayLogError& error);

} // namespace orlo::sim
