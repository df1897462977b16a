#include "platform/sim/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/vcl/sysutils.h"

namespace sim {
namespace fs = std::filesystem;
namespace {

// Windows' own descriptions of the errors that file operations meet.
constexpr const char* kFileNotFound = "The system cannot find the file specified.";
constexpr const char* kPathNotFound = "The system cannot find the path specified.";
constexpr const char* kAccessDenied = "Access is denied.";
constexpr const char* kSharingViolation = "The process cannot access the file because it is being used by another process.";
constexpr const char* kDiskFull = "There is not enough space on the disk.";
constexpr const char* kInvalidName = "The filename, directory name, or volume label syntax is incorrect.";
constexpr const char* kBadNetPath = "The network path was not found.";
constexpr const char* kNotSameDevice = "The system cannot move the file to a different disk drive.";
constexpr const char* kNameTooLong = "The filename or extension is too long.";

// NTFS keeps names of up to 255 UTF-16 units.
constexpr std::size_t kMaxNameUnits = 255;

[[noreturn]] void Fail(const std::string& text) { throw vcl::EOSError(text); }

[[noreturn]] void FailWithErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: Fail(kPathNotFound);
        case EACCES:
        case EPERM:
        case EISDIR: Fail(kAccessDenied);
        case ENOSPC:
        case EDQUOT: Fail(kDiskFull);
        case ENAMETOOLONG: Fail(kNameTooLong);
        default: Fail(std::strerror(error));
    }
}

bool IsValidName(const std::string& name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c) != nullptr;
    });
}

// The length of a UTF-8 name in UTF-16 units: characters beyond the basic
// plane take two.
std::size_t Utf16Length(const std::string& name) {
    std::size_t units = 0;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}

bool FitsInName(const std::string& name) { return Utf16Length(name) <= kMaxNameUnits; }

// A host file without write permission stands for a read-only file, which
// Windows neither opens for writing nor replaces; checked here, as a test
// that runs as root could write to it all the same.
bool IsReadOnly(const fs::path& host) {
    std::error_code error;
    const fs::file_status status = fs::status(host, error);
    return fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Windows takes a name for a device when its part before the first dot,
// trailing spaces dropped, is a device name, whatever its extension.
bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
}

// The entry of `folder` that Windows would take for `name`: the exact name
// if present, else the first entry that differs only in case. The folder is
// read with readdir: the library's directory iterator ends the process when
// memory runs out while it reads.
fs::path Entry(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(folder / name, error)) return folder / name;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing) return folder / name;
    while (const dirent* entry = ::readdir(listing.get()))
        if (SameName(entry->d_name, name)) return folder / entry->d_name;
    return folder / name;
}

// A file opened for writing, held without sharing until the stream is gone.
// A failed write raises the system's error, as a full disk does on Windows.
class HostFileStream final : public vcl::TStream {
public:
    HostFileStream(int descriptor, fs::path path, std::set<fs::path>& openFiles,
                   std::optional<std::uint64_t>& freeSpace)
        : FDescriptor(descriptor), FPath(std::move(path)), FOpenFiles(openFiles), FFreeSpace(freeSpace) {
        FOpenFiles.insert(FPath);
    }
    ~HostFileStream() override {
        ::close(FDescriptor);
        FOpenFiles.erase(FPath);
    }
    HostFileStream(const HostFileStream&) = delete;
    HostFileStream& operator=(const HostFileStream&) = delete;

    // What still fits is written before the full disk is reported.
    std::size_t Write(const void* buffer, std::size_t count) override {
        const std::size_t fits =
            FFreeSpace ? static_cast<std::size_t>(std::min<std::uint64_t>(count, *FFreeSpace)) : count;
        WriteAll(static_cast<const char*>(buffer), fits);
        if (FFreeSpace) *FFreeSpace -= fits;
        if (fits < count) Fail(kDiskFull);
        return count;
    }

private:
    void WriteAll(const char* bytes, std::size_t count) {
        std::size_t written = 0;
        while (written < count) {
            const ssize_t n = ::write(FDescriptor, bytes + written, count - written);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) FailWithErrno(errno);
            if (n == 0) Fail(kDiskFull);
            written += static_cast<std::size_t>(n);
        }
    }

    int FDescriptor;
    fs::path FPath;
    std::set<fs::path>& FOpenFiles;
    std::optional<std::uint64_t>& FFreeSpace;
};

// A device opened as a file (NUL, CON, COM1 ...): it takes the bytes, and
// no file is made.
class DeviceStream final : public vcl::TStream {
public:
    std::size_t Write(const void*, std::size_t count) override { return count; }
};

}  // namespace

SimFileSystem::SimFileSystem(fs::path root) : FRoot(std::move(root)) {
    FCurrentFolder.drive = 'C';
    FCurrentFolder.parts = {"Users", "Tivalo"};
    fs::create_directories(Resolve(FCurrentFolder));
}

void SimFileSystem::MapDrive(char letter) {
    fs::create_directories(FRoot / std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))));
}

fs::path SimFileSystem::HostPath(const std::string& windowsPath) const {
    return Resolve(FullPath(windowsPath, FCurrentFolder));
}

std::string SimFileSystem::ExpandFileName(const std::string& path) const {
    return path.empty() ? std::string() : FullPath(path, FCurrentFolder).ToString();
}

fs::path SimFileSystem::VolumeRoot(const WinPath& path) const {
    if (path.IsUnc()) return FRoot / "UNC" / path.server / path.share;
    return FRoot / std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path.drive))));
}

fs::path SimFileSystem::Resolve(const WinPath& path) const {
    fs::path host = VolumeRoot(path);
    for (const std::string& part : path.parts) host = Entry(host, part);
    return host;
}

fs::path SimFileSystem::Locate(const WinPath& path) const {
    if (!std::all_of(path.parts.begin(), path.parts.end(), IsValidName)) Fail(kInvalidName);
    if (!std::all_of(path.parts.begin(), path.parts.end(), FitsInName)) Fail(kNameTooLong);
    std::error_code error;
    if (!fs::is_directory(VolumeRoot(path), error)) Fail(path.IsUnc() ? kBadNetPath : kPathNotFound);
    return Resolve(path);
}

void SimFileSystem::ForceDirectories(const std::string& path) {
    const WinPath full = FullPath(path, FCurrentFolder);
    std::error_code error;
    if (!std::all_of(full.parts.begin(), full.parts.end(), IsValidName)) return;
    fs::path folder = VolumeRoot(full);
    if (!fs::is_directory(folder, error)) return;
    // Below a name that is in the way, nothing more can be made; no folder
    // can take a device's name or an over-long one.
    for (const std::string& part : full.parts) {
        if (IsDeviceName(part) || !FitsInName(part)) return;
        fs::create_directory(folder = Entry(folder, part), error);
    }
}

std::unique_ptr<vcl::TStream> SimFileSystem::CreateFile(const std::string& path) {
    const WinPath full = FullPath(path, FCurrentFolder);
    const fs::path host = Locate(full);
    std::error_code error;
    if (full.parts.empty() || fs::is_directory(host, error)) Fail(kAccessDenied);
    if (full.trailingSeparator) Fail(kInvalidName);
    if (IsDeviceName(full.parts.back())) return std::make_unique<DeviceStream>();
    if (IsOpen(host)) Fail(kSharingViolation);
    if (IsReadOnly(host)) Fail(kAccessDenied);
    const int descriptor = ::open(host.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) FailWithErrno(errno);
    return std::make_unique<HostFileStream>(descriptor, host, FOpenFiles, FFreeSpace);
}

void SimFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
    const WinPath source = FullPath(from, FCurrentFolder);
    const WinPath target = FullPath(to, FCurrentFolder);
    const fs::path hostSource = Locate(source);
    const fs::path hostTarget = Locate(target);
    std::error_code error;
    if (!fs::is_directory(hostSource.parent_path(), error)) Fail(kPathNotFound);
    if (!fs::exists(hostSource, error)) Fail(kFileNotFound);
    if (!source.SameVolume(target)) Fail(kNotSameDevice);
    if (target.parts.empty() || IsDeviceName(target.parts.back())) Fail(kAccessDenied);
    if (fs::is_directory(hostSource, error) || fs::is_directory(hostTarget, error)) Fail(kAccessDenied);
    if (IsOpen(hostSource) || IsOpen(hostTarget)) Fail(kSharingViolation);
    if (IsReadOnly(hostTarget)) Fail(kAccessDenied);
    if (::rename(hostSource.c_str(), hostTarget.c_str()) != 0) FailWithErrno(errno);
}

void SimFileSystem::DeleteFile(const std::string& path) {
    try {
        const fs::path host = Locate(FullPath(path, FCurrentFolder));
        // unlink leaves folders alone, as DeleteFile does.
        if (!IsOpen(host)) ::unlink(host.c_str());
    } catch (const vcl::EOSError&) {
        // Failures are not reported.
    }
}

}  // namespace sim
