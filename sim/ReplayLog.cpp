#include "sim/ReplayLog.h"

#include <charconv>
#include <fstream>
#include <string_view>

namespace orlo::sim {

namespace {

// A log larger than this is not one the tool wrote in a session anybody would replay.
constexpr std::uintmax_t MaxLogBytes = std::uintmax_t{2} << 30;

bool Refuse(ReplayLogError& error, int line, std::string message) {
    error = {line, std::move(message)};
    return false;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// "Y/MM/DD HH:MM:SS.mmm" with the widths the log writes (the year has at least one digit).
bool IsTimestamp(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos || !AllDigits(text.substr(0, slash))) {
        return false;
    }
    const std::string_view rest = text.substr(slash);
    constexpr std::string_view shape = "/00/00 00:00:00.000";
    if (rest.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '0' ? (rest[i] < '0' || rest[i] > '9') : rest[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

struct Transfer {
    bool sent = false;
    std::vector<std::uint8_t> bytes;
};

bool ParseLine(std::string_view text, int line, Transfer& transfer, ReplayLogError& error) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const auto tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    if (fields.size() != 4) {
        return Refuse(error, line, "expected 4 tab-separated fields, found " + std::to_string(fields.size()));
    }
    if (fields[0] != "S" && fields[0] != "R") {
        return Refuse(error, line, "direction is neither S nor R");
    }
    transfer.sent = fields[0] == "S";
    if (!IsTimestamp(fields[1])) {
        return Refuse(error, line, "bad time stamp");
    }
    std::uint32_t count = 0;
    const auto [end, status] = std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), count);
    if (!AllDigits(fields[2]) || status != std::errc() || end != fields[2].data() + fields[2].size()) {
        return Refuse(error, line, "bad byte count");
    }
    const std::string_view hex = fields[3];
    // "xx" and then " xx" for every further byte.
    if (count == 0 ? !hex.empty() : hex.size() != std::size_t{count} * 3 - 1) {
        return Refuse(error, line, "the bytes do not match the count " + std::to_string(count));
    }
    transfer.bytes.clear();
    transfer.bytes.reserve(count);
    for (std::size_t i = 0; i < hex.size(); i += 3) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0 || (i + 2 < hex.size() && hex[i + 2] != ' ')) {
            return Refuse(error, line, "bad byte at column " + std::to_string(i + 1));
        }
        transfer.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

} // namespace

std::string ReplayLogError::Text() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

std::optional<std::vector<RecordedExchange>> ParseReplayLog(std::span<const std::uint8_t> file,
                                                            ReplayLogError& error) {
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xFE) {
        Refuse(error, 0, "not a command log: no UTF-16LE byte-order mark");
        return std::nullopt;
    }
    std::vector<RecordedExchange> exchanges;
    std::string line;
    int lineNumber = 1;
    for (std::size_t i = 2; i < file.size(); i += 2) {
        if (i + 1 >= file.size()) {
            Refuse(error, lineNumber, "cut off in the middle of a character");
            return std::nullopt;
        }
        const unsigned unit = file[i] | (unsigned{file[i + 1]} << 8);
        if (unit >= 0x80 || (unit < 0x20 && unit != '\t' && unit != '\n')) {
            Refuse(error, lineNumber, "a character the log never holds");
            return std::nullopt;
        }
        if (unit != '\n') {
            line.push_back(static_cast<char>(unit));
            continue;
        }
        Transfer transfer;
        if (!ParseLine(line, lineNumber, transfer, error)) {
            return std::nullopt;
        }
        if (transfer.sent) {
            exchanges.push_back({std::move(transfer.bytes), {}, lineNumber});
        } else if (exchanges.empty()) {
            Refuse(error, lineNumber, "bytes received before any request");
            return std::nullopt;
        } else {
            auto& response = exchanges.back().response;
            response.insert(response.end(), transfer.bytes.begin(), transfer.bytes.end());
        }
        line.clear();
        ++lineNumber;
    }
    if (!line.empty()) {
        Refuse(error, lineNumber, "cut off: the last line has no line end");
        return std::nullopt;
    }
    return exchanges;
}

std::optional<std::vector<RecordedExchange>> LoadReplayLog(const std::filesystem::path& path,
                                                           ReplayLogError& error) {
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (sizeError) {
        Refuse(error, 0, path.string() + ": " + sizeError.message());
        return std::nullopt;
    }
    if (size > MaxLogBytes) {
        Refuse(error, 0, path.string() + ": too large for a command log");
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        Refuse(error, 0, path.string() + ": cannot be read");
        return std::nullopt;
    }
    return ParseReplayLog(bytes, error);
}

} // namespace orlo::sim
