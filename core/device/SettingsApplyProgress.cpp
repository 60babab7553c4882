#include "core/device/SettingsApplyProgress.h"

#include <algorithm>

namespace orlo {

namespace {

// Planned writes first to last by name: "A to B", or "A" alone.
std::string Range(const std::vector<std::string>& names, std::size_t first, std::size_t last) {
    return first == last ? names[first] : names[first] + " to " + names[last];
}

} // namespace

std::string SettingsApplyProgress::Written() const {
    const std::size_t done = std::min(written, Total());
    return done == 0 ? std::string() : Range(planned, 0, done - 1);
}

std::string SettingsApplyProgress::NotWritten() const {
    return written >= Total() ? std::string() : Range(planned, written, Total() - 1);
}

ResultCode CountWrite(SettingsApplyProgress* progress, ResultCode result) {
    if (progress != nullptr && result == RC_OK) {
        ++progress->written;
    }
    return result;
}

namespace write_name {

std::string AreaMask(int slot) {
    return "AreaMask" + std::to_string(slot + 1);
}

std::string MotionMask(int slot) {
    return "MotionMask" + std::to_string(slot + 1);
}

std::string FalseRect(int slot) {
    return "FalseRect" + std::to_string(slot + 1);
}

} // namespace write_name

} // namespace orlo
