// A fresh folder under the system's temporary folder, removed afterwards.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace testsupport {

class TestFolder {
public:
    TestFolder() {
        static std::atomic<int> counter{0};
        FPath = std::filesystem::temp_directory_path() /
                ("tivalo-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& Path() const noexcept { return FPath; }

private:
    std::filesystem::path FPath;
};

}  // namespace testsupport
