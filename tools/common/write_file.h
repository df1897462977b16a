// Writing a tool's output file.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace tools {

// Writes the bytes to the file, replacing it; false when that fails.
inline bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace tools
