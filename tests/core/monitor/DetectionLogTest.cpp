#include "core/monitor/DetectionLog.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace orlo {
namespace {

std::vector<std::filesystem::path> LogFiles(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::exists(directory / "log")) {
        for (const auto& entry : std::filesystem::directory_iterator(directory / "log")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(DetectionLogFormat, Lines) {
    DetectionLogRecord record{{2024, 5, 6, 7, 8, 9, 10},
                              {{100, 200, 300, 400, 55, 0, 0, 0}, {500, 600, 700, 800, 12, 1, 0, 0}},
                              true};
    EXPECT_EQ("2024/05/06 07:08:09.010,2,1,1,100,200,300,400,0,0,0,55,500,600,700,800,1,0,0,12\n",
              FormatDetectionLogLine(record));

    EXPECT_EQ("2024/05/06 07:08:09.010,0,0,0,\n", FormatDetectionLogLine({record.time, {}, false}));

    const DetectionLogRecord twice{record.time, {{-1, 2, 3, 4, 1023, 1, 1, 0}}, false};
    EXPECT_EQ("2024/05/06 07:08:09.010,1,0,0,-1,2,3,4,1,1,0,1023\n", FormatDetectionLogLine(twice));
}

TEST(DetectionLogFile, SwitchAndFileName) {
    test::TempDirectory directory;
    {
        std::filesystem::create_directory(directory.Path() / "outputdetectlog");
        DetectionLog log(directory.Path());
        EXPECT_FALSE(log.IsEnabled());
        log.StartNewLogFile();
        log.QueueRecord({});
    }
    EXPECT_TRUE(LogFiles(directory.Path()).empty());

    std::filesystem::remove(directory.Path() / "outputdetectlog");
    std::ofstream(directory.Path() / "outputdetectlog") << "";
    DetectionLog log(directory.Path());
    log.QueueRecord({}); // no file yet: dropped
    log.StartNewLogFile();
    log.QueueRecord({{2024, 1, 2, 3, 4, 5, 6}, {}, true});
    log.StopDetectionLog();
    const auto files = LogFiles(directory.Path());
    ASSERT_EQ(1u, files.size());
    const std::string name = files[0].filename().string();
    EXPECT_EQ(18u, name.size()) << name; // yyyymmddhhmmss.csv
    EXPECT_TRUE(std::all_of(name.begin(), name.begin() + 14, [](char c) { return c >= '0' && c <= '9'; }))
        << name;
    EXPECT_EQ(".csv", name.substr(14));
    EXPECT_EQ("2024/01/02 03:04:05.006,0,0,1,\n", test::FileBytes(files[0]));
}

TEST(DetectionLogFile, RecordsQueuedBeforeANewFileStayInTheOldOneExactlyOnce) {
    test::TempDirectory directory;
    std::ofstream(directory.Path() / "outputdetectlog") << "";
    DetectionLog log(directory.Path());
    log.StartNewLogFile();
    const auto first = log.CurrentFile();
    for (int i = 0; i < 200; ++i) {
        log.QueueRecord({{2024, 1, 1, 0, 0, 0, i}, {}, false});
    }
    std::filesystem::rename(first, directory.Path() / "first.csv"); // the new file may get the same name
    log.StartNewLogFile();
    log.QueueRecord({{2025, 1, 1, 0, 0, 0, 0}, {}, false});
    const auto second = log.CurrentFile();
    log.StopDetectionLog();

    const std::string old = test::FileBytes(directory.Path() / "first.csv");
    EXPECT_EQ(200, std::count(old.begin(), old.end(), '\n'));
    EXPECT_EQ(std::string::npos, old.find("2025/"));
    EXPECT_EQ("2025/01/01 00:00:00.000,0,0,0,\n", test::FileBytes(second));
}

// Names the log may take in the next few seconds, to plant something under each.
std::vector<std::string> NamesOfTheComingSeconds() {
    std::vector<std::string> names;
    const auto now = std::chrono::system_clock::now();
    for (int second = 0; second < 3; ++second) {
        const std::time_t time = std::chrono::system_clock::to_time_t(now + std::chrono::seconds(second));
        char name[32];
        std::strftime(name, sizeof name, "%Y%m%d%H%M%S.csv", std::localtime(&time));
        names.emplace_back(name);
    }
    return names;
}

TEST(DetectionLogFile, ANameThatIsTakenIsNeverOpenedAndTheLogGoesToANewFile) {
    test::TempDirectory directory;
    std::ofstream(directory.Path() / "outputdetectlog") << "";
    const auto victim = directory.Path() / "victim.txt";
    std::ofstream(victim) << "precious";
    std::filesystem::create_directory(directory.Path() / "log");
    const std::vector<std::string> names = NamesOfTheComingSeconds();
    for (const std::string& name : names) {
#ifdef _WIN32
        std::ofstream(directory.Path() / "log" / name) << "precious"; // an earlier connection's log
#else
        std::filesystem::create_symlink(victim, directory.Path() / "log" / name);
#endif
    }
    DetectionLog log(directory.Path());
    log.StartNewLogFile();
    log.QueueRecord({{2024, 1, 2, 3, 4, 5, 6}, {}, true});
    const auto file = log.CurrentFile();
    log.StopDetectionLog();
    EXPECT_EQ("precious", test::FileBytes(victim));
    for (const std::string& name : names) {
        if (directory.Path() / "log" / name != file) {
            EXPECT_EQ("precious", test::FileBytes(directory.Path() / "log" / name)) << name;
        }
    }
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(file))) << file;
    EXPECT_EQ("2024/01/02 03:04:05.006,0,0,1,\n", test::FileBytes(file));
}

TEST(DetectionLogFile, AReconnectionWithinTheSameSecondKeepsTheEarlierLog) {
    test::TempDirectory directory;
    std::ofstream(directory.Path() / "outputdetectlog") << "";
    DetectionLog log(directory.Path());
    log.StartNewLogFile();
    log.QueueRecord({{2024, 1, 1, 0, 0, 0, 1}, {}, false});
    const auto first = log.CurrentFile();
    log.StartNewLogFile();
    log.QueueRecord({{2024, 1, 1, 0, 0, 0, 2}, {}, false});
    const auto second = log.CurrentFile();
    log.StopDetectionLog();
    EXPECT_NE(first, second);
    EXPECT_EQ("2024/01/01 00:00:00.001,0,0,0,\n", test::FileBytes(first));
    EXPECT_EQ("2024/01/01 00:00:00.002,0,0,0,\n", test::FileBytes(second));
}

} // namespace
} // namespace orlo
