#pragma once

#include <atomic>
#include <filesystem>
#include <random>
#include <string>

namespace orlo::test {

// A fresh directory removed with everything in it when the test ends.
class TempDirectory {
public:
    TempDirectory() {
        static std::atomic<int> counter{0};
        // Different for each test process, so parallel test programs never share a directory.
        static const unsigned processTag = std::random_device{}();
        path_ = std::filesystem::temp_directory_path() /
                ("orlo-test-" + std::to_string(processTag) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace orlo::test
