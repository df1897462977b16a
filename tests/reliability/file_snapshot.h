// The files below a folder with their contents, to compare before and after
// an action: what it wrote, and what it changed or lost.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/png_chunks.h"

namespace reliability {

using FileSnapshot = std::map<std::filesystem::path, std::vector<std::uint8_t>>;

inline FileSnapshot SnapshotFiles(const std::filesystem::path& root) {
    FileSnapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[entry.path()] = testsupport::ReadFileBytes(entry.path().string());
    return files;
}

// Files of `after` that `before` did not hold.
inline std::vector<std::filesystem::path> AddedFiles(const FileSnapshot& before, const FileSnapshot& after) {
    std::vector<std::filesystem::path> added;
    for (const auto& [path, bytes] : after)
        if (!before.contains(path)) added.push_back(path);
    return added;
}

// Files of `before` that are gone or hold other bytes in `after`.
inline std::vector<std::filesystem::path> ChangedFiles(const FileSnapshot& before, const FileSnapshot& after) {
    std::vector<std::filesystem::path> changed;
    for (const auto& [path, bytes] : before) {
        const auto now = after.find(path);
        if (now == after.end() || now->second != bytes) changed.push_back(path);
    }
    return changed;
}

// Leftovers of a save: files named like its temporary files, "~name.tmp".
inline std::vector<std::filesystem::path> TemporaryFiles(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("~") && name.ends_with(".tmp")) found.push_back(entry.path());
    }
    return found;
}

}  // namespace reliability
