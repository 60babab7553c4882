#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlo::sim {

// Misbehaviour switched on for tests: "abnormal", "checksum", "silent", "forget", "error=0xNN",
// "drop-after=N", "delay=MS", each optionally limited to one command with "@0xCC".
class FaultSet {
public:
    // What applies to one response.
    struct Effect {
        bool abnormal = false;
        bool checksum = false;
        bool silent = false;
        bool forget = false;
        std::optional<std::uint8_t> errorStatus;
        std::optional<std::size_t> dropAfter;
        std::chrono::milliseconds delay{0};
    };

    // Adds a comma-separated list of faults; on error nothing is added.
    bool add(const std::string& list, std::string& error);

    // `command` is empty for a request that could not be framed (no command to match).
    Effect effectFor(std::optional<std::uint8_t> command) const;

    bool empty() const { return faults_.empty(); }

    static const char* helpText();

private:
    enum class Kind { Abnormal, Checksum, Silent, Forget, Error, DropAfter, Delay };
    struct Fault {
        Kind kind;
        unsigned long value = 0;
        std::optional<std::uint8_t> command;
    };
    static bool parseOne(const std::string& item, Fault& out, std::string& error);

    std::vector<Fault> faults_;
};

} // namespace orlo::sim
