// TFileStream over POSIX file descriptors.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/vcl/classes.h"
#include "platform/vcl/sysutils.h"

namespace vcl {

std::string ExpandFileName(const std::string& fileName) {
    if (!fileName.empty() && fileName.front() == '/') return fileName;
    std::string folder(4096, '\0');
    if (getcwd(folder.data(), folder.size()) == nullptr) return fileName;
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.back() == '/' ? "" : "/") + fileName;
}

TFileStream::TFileStream(const std::string& fileName, Mode) {
    const int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {ExpandFileName(fileName), std::strerror(error)}));
    }
    FHandle = fd;
}

TFileStream::~TFileStream() { ::close(static_cast<int>(FHandle)); }

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(static_cast<int>(FHandle), bytes + written, count - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    return written;
}

}  // namespace vcl
