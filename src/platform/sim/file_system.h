// Files by Windows path rules over a host folder: drive X: is root/X, a
// share \\server\share is root/UNC/server/share, and names are matched
// without regard to (ASCII) case, as on NTFS. Names are at most 255
// UTF-16 units long; device names (CON, NUL, COM1 ...) reach the device,
// not a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/platform.h"
#include "platform/sim/win_path.h"

namespace sim {

class SimFileSystem final : public vcl::FileSystem {
public:
    // Drive C: exists from the start, with the current folder C:\Users\Tivalo.
    explicit SimFileSystem(std::filesystem::path root);

    void MapDrive(char letter);
    // Writes fail with a full disk once this many more bytes have been
    // written to any volume; none: no limit.
    void SetFreeSpace(std::optional<std::uint64_t> bytes) { FFreeSpace = bytes; }
    int OpenFiles() const { return static_cast<int>(FOpenFiles.size()); }
    // Where a Windows path lives on the host; nothing is checked or created.
    std::filesystem::path HostPath(const std::string& windowsPath) const;

    std::string ExpandFileName(const std::string& path) const override;
    void ForceDirectories(const std::string& path) override;
    std::unique_ptr<vcl::TStream> CreateFile(const std::string& path) override;
    void ReplaceFile(const std::string& from, const std::string& to) override;
    void DeleteFile(const std::string& path) override;

private:
    std::filesystem::path VolumeRoot(const WinPath& path) const;
    std::filesystem::path Resolve(const WinPath& path) const;
    // The host path of a file operation's target: raises the system's error
    // for a malformed name or a missing volume.
    std::filesystem::path Locate(const WinPath& path) const;
    bool IsOpen(const std::filesystem::path& host) const { return FOpenFiles.count(host) != 0; }

    std::filesystem::path FRoot;
    WinPath FCurrentFolder;
    // Files opened without sharing by a live stream.
    std::set<std::filesystem::path> FOpenFiles;
    std::optional<std::uint64_t> FFreeSpace;
};

}  // namespace sim
