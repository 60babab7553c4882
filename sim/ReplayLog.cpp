#include "sim/ReplayLog.h"

#include <charconv>
#include <fstream>
#include <string_view>

namespace orlo::sim {

namespace {

// The tool logs a transfer of at most its response buffer (1,024,000 bytes) on one line: the byte
// count, the bytes as "xx " and the direction and time stamp in front.
constexpr std::size_t MaxLineChars = 64 + std::size_t{3} * 1'024'000;
constexpr std::size_t ReadPieceBytes = 64 * 1024;

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

bool ReplayLogReader::Refuse(int line, std::string message) {
    error_ = ReplayLogError{line, std::move(message)};
    return false;
}

bool ReplayLogReader::Feed(std::span<const std::uint8_t> piece) {
    static constexpr std::uint8_t mark[] = {0xFF, 0xFE};
    for (const std::uint8_t byte : piece) {
        if (error_) {
            return false;
        }
        if (markBytes_ < sizeof mark) {
            if (byte != mark[markBytes_++]) {
                return Refuse(0, "not a command log: no UTF-16LE byte-order mark");
            }
        } else if (!lowByte_) {
            lowByte_ = byte;
        } else {
            const unsigned unit = *lowByte_ | (unsigned{byte} << 8);
            lowByte_.reset();
            Take(unit);
        }
    }
    return !error_;
}

bool ReplayLogReader::Take(unsigned unit) {
    if (unit >= 0x80 || (unit < 0x20 && unit != '\t' && unit != '\n')) {
        return Refuse(lineNumber_, "a character the log never holds");
    }
    if (unit == '\n') {
        return EndLine();
    }
    if (line_.size() >= MaxLineChars) {
        return Refuse(lineNumber_, "longer than any line the tool writes");
    }
    line_.push_back(static_cast<char>(unit));
    return true;
}

bool ReplayLogReader::EndLine() {
    Transfer transfer;
    ReplayLogError error;
    if (!ParseLine(line_, lineNumber_, transfer, error)) {
        return Refuse(error.line, std::move(error.message));
    }
    if (transfer.sent) {
        exchanges_.push_back({std::move(transfer.bytes), {}, lineNumber_});
    } else if (exchanges_.empty()) {
        return Refuse(lineNumber_, "bytes received before any request");
    } else {
        auto& response = exchanges_.back().response;
        response.insert(response.end(), transfer.bytes.begin(), transfer.bytes.end());
    }
    line_.clear();
    ++lineNumber_;
    return true;
}

std::optional<std::vector<RecordedExchange>> ReplayLogReader::Finish(ReplayLogError& error) {
    if (!error_) {
        if (markBytes_ < 2) {
            Refuse(0, "not a command log: no UTF-16LE byte-order mark");
        } else if (lowByte_) {
            Refuse(lineNumber_, "cut off in the middle of a character");
        } else if (!line_.empty()) {
            Refuse(lineNumber_, "cut off: the last line has no line end");
        }
    }
    if (error_) {
        error = *error_;
        return std::nullopt;
    }
    return std::move(exchanges_);
}

std::optional<std::vector<RecordedExchange>> ParseReplayLog(std::span<const std::uint8_t> file,
                                                            ReplayLogError& error) {
    ReplayLogReader reader;
    reader.Feed(file);
    return reader.Finish(error);
}

std::optional<std::vector<RecordedExchange>> LoadReplayLog(const std::filesystem::path& path,
                                                           ReplayLogError& error) {
    std::error_code statusError;
    const auto status = std::filesystem::status(path, statusError);
    if (statusError) {
        Refuse(error, 0, path.string() + ": " + statusError.message());
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(status)) {
        Refuse(error, 0, path.string() + ": not a regular file");
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<char> piece(ReadPieceBytes);
    ReplayLogReader reader;
    bool refused = false;
    while (in && !refused) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        refused = !reader.Feed(
            {reinterpret_cast<const std::uint8_t*>(piece.data()), static_cast<std::size_t>(in.gcount())});
    }
    if (!refused && !in.eof()) {
        Refuse(error, 0, path.string() + ": cannot be read");
        return std::nullopt;
    }
    return reader.Finish(error);
}

} // namespace orlo::sim
