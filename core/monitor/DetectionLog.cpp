#include "core/monitor/DetectionLog.h"

#include "core/platform/FileIo.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace orlo {

std::string FormatDetectionLogLine(const DetectionLogRecord& record) {
    const auto plain = std::count_if(record.results.begin(), record.results.end(),
                                     [](const DetectionResult& result) { return result.IsPlain(); });
    char head[96];
    const LocalTimestamp& t = record.time;
    std::snprintf(head, sizeof head, "%d/%02d/%02d %02d:%02d:%02d.%03d,%d,%d,%d,", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond, static_cast<int>(record.results.size()),
                  static_cast<int>(plain), record.indicator ? 1 : 0);
    std::string line(head);
    for (std::size_t i = 0; i < record.results.size(); ++i) {
        const DetectionResult& r = record.results[i];
        char entry[128];
        std::snprintf(entry, sizeof entry, "%s%d,%d,%d,%d,%d,%d,%d,%u", i == 0 ? "" : ",", r.left, r.top,
                      r.right, r.bottom, r.excludedByAreaMask, r.excludedBySizeMask,
                      r.excludedAsFalseDetection, r.value);
        line += entry;
    }
    line += '\n';
    return line;
}

namespace {

constexpr int kNameAttempts = 10;

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

DetectionLog::DetectionLog(const std::filesystem::path& workingDirectory)
    : enabled_(IsRegularFile(workingDirectory / "outputdetectlog")), logDirectory_(workingDirectory / "log") {
}

DetectionLog::~DetectionLog() {
    StopDetectionLog();
}

void DetectionLog::StartNewLogFile() {
    if (!enabled_) {
        return;
    }
    StopWriter();
    std::error_code error;
    std::filesystem::create_directories(logDirectory_, error);
    const LocalTimestamp now = LocalTimestamp::Now();
    char stem[32];
    std::snprintf(stem, sizeof stem, "%d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::lock_guard lock(mutex_);
    // Created exclusively: a name already there (a link planted to truncate another file, or the
    // log of a connection made within the same second) is never opened, and a numbered name is
    // tried instead.
    for (int attempt = 1; attempt <= kNameAttempts && !file_; ++attempt) {
        // Appended piece by piece: GCC 12 at -O3 reports a false overlap (-Wrestrict) for text put
        // in front of a string.
        std::string name = stem;
        if (attempt > 1) {
            name += '_';
            name += std::to_string(attempt);
        }
        name += ".csv";
        currentFile_ = logDirectory_ / name;
        file_.reset(CreateNewFile(currentFile_));
    }
    if (!file_) {
        currentFile_.clear();
        return; // records are discarded while there is no file
    }
    stop_ = false;
    writer_ = std::thread(&DetectionLog::WriterLoop, this);
}

void DetectionLog::QueueRecord(DetectionLogRecord record) {
    if (!enabled_) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!writer_.joinable() || stop_) {
        return;
    }
    queue_.push_back(std::move(record));
    queueChanged_.notify_one();
}

void DetectionLog::StopDetectionLog() {
    StopWriter();
    std::lock_guard lock(mutex_);
    queue_.clear();
}

std::filesystem::path DetectionLog::CurrentFile() const {
    std::lock_guard lock(mutex_);
    return currentFile_;
}

void DetectionLog::StopWriter() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    queueChanged_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
    std::lock_guard lock(mutex_);
    file_.reset();
    currentFile_.clear();
}

void DetectionLog::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queueChanged_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty()) {
            return; // stopped with everything written
        }
        const std::string line = FormatDetectionLogLine(queue_.front());
        queue_.pop_front();
        std::fwrite(line.data(), 1, line.size(), file_.get());
        std::fflush(file_.get());
    }
}

} // namespace orlo
