#pragma once

#include "core/platform/LocalTime.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace orlo {

// Diagnostic log of every byte sent to and received from the sensor, "CmdLog.log" in the working
// directory, switched on by a file "outputlog" there when the log object is created. Entries are
// queued by the exchanging thread and written by a writer thread, so a slow disk delays an exchange
// only once the queue holds `queueLimitBytes` of transfers: then the exchanging thread waits for the
// writer, and nothing the user asked to log is lost.
class CommandLog {
public:
    enum class Direction { Sent, Received };
    // Whether the log is on: as the file "outputlog" says, or on whatever it says (a user's --log).
    enum class Switch { OutputLogFile, On };
    // About 50 pictures of transfers; each waits in memory as its bytes, not as its longer line.
    static constexpr std::size_t DefaultQueueLimitBytes = std::size_t{4} << 20;
    static constexpr std::string_view DefaultFileName = "CmdLog.log";

    // The log is the file `fileName` in the working directory (one per sensor when several are served).
    explicit CommandLog(const std::filesystem::path& workingDirectory,
                        Switch logSwitch = Switch::OutputLogFile,
                        std::size_t queueLimitBytes = DefaultQueueLimitBytes,
                        std::string_view fileName = DefaultFileName);
    CommandLog(const CommandLog&) = delete;
    CommandLog& operator=(const CommandLog&) = delete;
    ~CommandLog();

    bool IsEnabled() const { return enabled_; }
    // Restarts the file (contents replaced); called on every successful open of a link.
    void StartLog();
    // Writes what is queued, then closes the file.
    void StopLog();
    // Queues one transfer; waits while the queue is full (a transfer larger than the limit waits for
    // an empty queue).
    void LogTransfer(const LocalTimestamp& time, const std::uint8_t* bytes, std::uint32_t count,
                     Direction direction);
    // The most transfer bytes the queue has held at once since the log object was made.
    std::size_t PeakQueuedBytes() const;

    // One line of the file as ASCII text (the file holds it as UTF-16LE).
    static std::string FormatLine(const LocalTimestamp& time, const std::uint8_t* bytes, std::uint32_t count,
                                  Direction direction);

private:
    struct Entry {
        LocalTimestamp time;
        std::vector<std::uint8_t> bytes;
        Direction direction;
    };
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void WriterLoop();
    void WriteEntry(const Entry& entry);

    const bool enabled_;
    const std::filesystem::path logPath_;
    const std::size_t queueLimitBytes_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    mutable std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::condition_variable spaceFreed_;
    std::deque<Entry> queue_;
    std::size_t queuedBytes_ = 0;
    std::size_t peakQueuedBytes_ = 0;
    std::atomic<bool> stop_{false};
    std::thread writer_;
};

} // namespace orlo
