#pragma once

#include "core/device/DetectionCommands.h"
#include "core/platform/LocalTime.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orlo {

struct DetectionLogRecord {
    LocalTimestamp time; // taken when the cycle began
    std::vector<DetectionResult> results;
    bool indicator = false;
};

// One CSV line (with its line feed) per successful detection cycle.
std::string FormatDetectionLogLine(const DetectionLogRecord& record);

// The detection log: on when "outputdetectlog" is a regular file in the working directory at
// construction; each connection starts a new file in "log/" named after the local time. Records
// are written by a writer thread so the acquisition loop never waits for the disk.
class DetectionLog {
public:
    explicit DetectionLog(const std::filesystem::path& workingDirectory);
    DetectionLog(const DetectionLog&) = delete;
    DetectionLog& operator=(const DetectionLog&) = delete;
    ~DetectionLog();

    bool IsEnabled() const { return enabled_; }
    // Records queued so far go to the previous file; later ones to the new file.
    void StartNewLogFile();
    void QueueRecord(DetectionLogRecord record);
    void StopDetectionLog();
    // The file being written, empty when none.
    std::filesystem::path CurrentFile() const;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void StopWriter();
    void WriterLoop();

    const bool enabled_;
    const std::filesystem::path logDirectory_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::filesystem::path currentFile_;
    mutable std::mutex mutex_;
    std::condition_variable queueChanged_;
    std::deque<DetectionLogRecord> queue_;
    std::atomic<bool> stop_{false};
    std::thread writer_;
};

} // namespace orlo
