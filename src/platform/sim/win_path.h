// Windows path syntax, as GetFullPathName reads it: drives, UNC shares,
// relative paths, "." and ".." components and doubled separators.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct WinPath {
    // The volume: a drive letter (as typed), or a UNC server and share.
    char drive = 0;
    std::string server;
    std::string share;
    std::vector<std::string> parts;  // folder and file names below the volume root
    bool trailingSeparator = false;

    bool IsUnc() const { return drive == 0; }
    bool SameVolume(const WinPath& other) const;
    std::string ToString() const;
};

// The absolute form of `path` ("/" read as "\"), with relative paths taken
// against `currentFolder`, which must itself be absolute.
WinPath FullPath(const std::string& path, const WinPath& currentFolder);

// ASCII case-insensitive equality, as Windows compares names.
bool SameName(const std::string& a, const std::string& b);

}  // namespace sim
