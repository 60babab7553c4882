#include "core/device/CommandLog.h"

#include "core/platform/FileIo.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace orlo {

namespace {

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

CommandLog::CommandLog(const std::filesystem::path& workingDirectory, Switch logSwitch,
                       std::size_t queueLimitBytes, std::string_view fileName)
    : enabled_(logSwitch == Switch::On || IsRegularFile(workingDirectory / "outputlog")),
      logPath_(workingDirectory / fileName), queueLimitBytes_(queueLimitBytes) {}

CommandLog::~CommandLog() {
    StopLog();
}

void CommandLog::StartLog() {
    if (!enabled_) {
        return;
    }
    StopLog();
    file_.reset(OpenRegularFileForRewrite(logPath_));
    if (!file_) {
        return;
    }
    static constexpr unsigned char byteOrderMark[] = {0xFF, 0xFE};
    std::fwrite(byteOrderMark, 1, sizeof byteOrderMark, file_.get());
    std::fflush(file_.get());
    stop_ = false;
    writer_ = std::thread(&CommandLog::WriterLoop, this);
}

void CommandLog::StopLog() {
    if (!enabled_) {
        return;
    }
    {
        std::lock_guard lock(queueMutex_);
        stop_ = true;
    }
    queueChanged_.notify_all();
    spaceFreed_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
    file_.reset();
}

void CommandLog::LogTransfer(const LocalTimestamp& time, const std::uint8_t* bytes, std::uint32_t count,
                             Direction direction) {
    if (!enabled_) {
        return;
    }
    std::unique_lock lock(queueMutex_);
    // Only while a writer runs: a queue nobody drains would grow with every exchange.
    spaceFreed_.wait(lock, [&] {
        return !writer_.joinable() || stop_ || queue_.empty() || queuedBytes_ + count <= queueLimitBytes_;
    });
    if (!writer_.joinable() || stop_) {
        return;
    }
    queue_.push_back({time, std::vector<std::uint8_t>(bytes, bytes + count), direction});
    queuedBytes_ += count;
    peakQueuedBytes_ = std::max(peakQueuedBytes_, queuedBytes_);
    queueChanged_.notify_one();
}

std::size_t CommandLog::PeakQueuedBytes() const {
    std::lock_guard lock(queueMutex_);
    return peakQueuedBytes_;
}

std::string CommandLog::FormatLine(const LocalTimestamp& time, const std::uint8_t* bytes, std::uint32_t count,
                                   Direction direction) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%s\t%d/%02d/%02d %02d:%02d:%02d.%03d\t%u\t",
                  direction == Direction::Sent ? "S" : "R", time.year, time.month, time.day, time.hour,
                  time.minute, time.second, time.millisecond, count);
    std::string line(prefix);
    line.reserve(line.size() + count * 3 + 1);
    static constexpr char hexDigits[] = "0123456789abcdef";
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i != 0) {
            line += ' ';
        }
        line += hexDigits[bytes[i] >> 4];
        line += hexDigits[bytes[i] & 0x0F];
    }
    line += '\n';
    return line;
}

void CommandLog::WriterLoop() {
    std::unique_lock lock(queueMutex_);
    for (;;) {
        queueChanged_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty()) {
            return; // stopped and drained
        }
        Entry entry = std::move(queue_.front());
        queue_.pop_front();
        queuedBytes_ -= entry.bytes.size();
        spaceFreed_.notify_all();
        lock.unlock();
        WriteEntry(entry);
        lock.lock();
    }
}

void CommandLog::WriteEntry(const Entry& entry) {
    const std::string line = FormatLine(entry.time, entry.bytes.data(),
                                        static_cast<std::uint32_t>(entry.bytes.size()), entry.direction);
    std::string wide;
    wide.reserve(line.size() * 2);
    for (char c : line) {
        wide += c;
        wide += '\0';
    }
    std::fwrite(wide.data(), 1, wide.size(), file_.get());
    std::fflush(file_.get());
}

} // namespace orlo
