#include "app/capture_paths.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "platform/vcl/sysutils.h"

namespace app {
namespace {

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// Windows reads a component as a device when its part before the first dot,
// trailing spaces dropped, is a device name.
bool IsDeviceComponent(std::string_view component) {
    static constexpr std::array<std::string_view, 6> plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    const std::string name = UpperCase(base);
    if (std::find(plain.begin(), plain.end(), name) != plain.end()) return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) && name[3] >= '1' && name[3] <= '9';
}

}  // namespace

std::string ExtractFilePath(const std::string& fileName) {
    const std::size_t last = fileName.find_last_of("\\:");
    return last == std::string::npos ? std::string() : fileName.substr(0, last + 1);
}

std::string ResolveOutputFolder(const std::string& folderText, const std::string& appDir) {
    std::string folder = folderText;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (folder.find(':') == std::string::npos) folder = appDir + folder;
    return folder;
}

std::int32_t NextShotNumber(std::int32_t number) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number) + 1u);
}

std::string ShotFileName(const std::string& prefix, std::int32_t number) {
    return vcl::Format("%s%0.3d.png", {prefix, std::int64_t{number}});
}

bool NamesDevice(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
        const std::string_view component(path.data() + start, end - start);
        const std::size_t colon = component.find(':');
        if (IsDeviceComponent(colon == std::string_view::npos ? component : component.substr(colon + 1))) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace app
