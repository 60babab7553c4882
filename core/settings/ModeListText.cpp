#include "core/settings/ModeListText.h"

#include <charconv>

namespace orlo {
namespace {

constexpr std::string_view BLANKS = " \t\r";
constexpr std::size_t MIN_FIELDS = 2;
constexpr std::size_t MAX_FIELDS = 5;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(Trim(line.substr(start, bar == std::string_view::npos ? bar : bar - start)));
        if (bar == std::string_view::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

bool ParseId(std::string_view text, std::uint8_t& id) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || status != std::errc() || end != text.data() + text.size() || value > 0xFF) {
        return false;
    }
    id = static_cast<std::uint8_t>(value);
    return true;
}

} // namespace

bool ParseModeListText(std::string_view text, std::vector<ModeRecord>& records, std::string& error) {
    std::vector<ModeRecord> parsed;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::vector<std::string_view> fields = SplitFields(line);
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (fields.size() < MIN_FIELDS || fields.size() > MAX_FIELDS) {
            error = where + "expected 'id | name [| table 90 | table 50 | description]'";
            return false;
        }
        ModeRecord mode;
        if (!ParseId(fields[0], mode.id)) {
            error = where + "the mode id '" + std::string(fields[0]) + "' is not a number from 0 to 255";
            return false;
        }
        if (fields[1].empty()) {
            error = where + "the mode has no name";
            return false;
        }
        std::string* const texts[] = {&mode.name, &mode.table90, &mode.table50, &mode.description};
        for (std::size_t i = 1; i < fields.size(); ++i) {
            *texts[i - 1] = std::string(fields[i]);
        }
        parsed.push_back(std::move(mode));
    }
    records = std::move(parsed);
    return true;
}

std::string FormatModeListText(const std::vector<ModeRecord>& records) {
    std::string text = "# id | name | table file (90) | table file (50) | description\n";
    for (const ModeRecord& mode : records) {
        text += std::to_string(mode.id) + " | " + mode.name + " | " + mode.table90 + " | " + mode.table50 +
                " | " + mode.description + "\n";
    }
    return text;
}

} // namespace orlo
