#include "cli/SensorFileName.h"

#include "cli/CommandLine.h"
#include "cli/NarrowFileName.h"
#include "core/platform/PrintableText.h"

namespace orlo::cli {

namespace {

constexpr std::size_t kMostTextBytes = 60;
// Besides what PrintableText escapes: separators, what Windows refuses in a name, and blanks.
constexpr std::string_view kReplaced = "/:*?\"<>| ";

std::string SafeText(std::string_view text) {
    std::string safe;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = PrintableSequenceLength(text, i);
        const bool replaced = length == 0 ||
                              (length == 1 && kReplaced.find(text[i]) != std::string_view::npos) ||
                              text.substr(i, length) == "\u3000" || // the ideographic space
                              !NarrowNameHolds(text.substr(i, length));
        if (safe.size() + std::max<std::size_t>(length, 1) > kMostTextBytes) {
            break;
        }
        if (!replaced) {
            safe.append(text.substr(i, length));
        } else if (safe.empty() || safe.back() != '_') {
            safe += '_';
        }
        i += std::max<std::size_t>(length, 1);
    }
    const std::size_t first = safe.find_first_not_of("._");
    if (first == std::string::npos) {
        return {};
    }
    return safe.substr(first, safe.find_last_not_of("._") + 1 - first);
}

} // namespace

std::string SensorFileName(const IdentifyTarget& target, std::string_view text) {
    std::string name = FormatIpv4(target.address);
    if (target.port != DefaultLanPort) {
        name += "-" + std::to_string(target.port);
    }
    const std::string safe = SafeText(text);
    return safe.empty() ? name : name + "_" + NarrowFileName(safe);
}

} // namespace orlo::cli
