// Files by Win32's rules, with Unicode paths.
#pragma once

#include "platform/platform.h"

namespace win32 {

class Win32FileSystem final : public vcl::FileSystem {
public:
    std::string ExpandFileName(const std::string& path) const override;
    void ForceDirectories(const std::string& path) override;
    std::unique_ptr<vcl::TStream> CreateFile(const std::string& path) override;
    void ReplaceFile(const std::string& from, const std::string& to) override;
    void DeleteFile(const std::string& path) override;
};

}  // namespace win32
