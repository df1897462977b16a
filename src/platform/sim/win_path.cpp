#include "platform/sim/win_path.h"

#include <algorithm>
#include <cctype>

namespace sim {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDriveColon(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// Splits at separators, dropping the empty names that doubled separators leave.
std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : text) {
        if (!IsSeparator(c)) {
            name += c;
        } else if (!name.empty()) {
            names.push_back(std::move(name));
            name.clear();
        }
    }
    if (!name.empty()) names.push_back(std::move(name));
    return names;
}

bool AllDots(const std::string& name) { return name.find_first_not_of('.') == std::string::npos; }

// Win32 path normalisation trims names: a folder name loses one trailing
// dot, and the last name of a path without a trailing separator loses all
// its trailing dots and spaces. Names made of dots only are left alone.
std::string Trimmed(std::string name, bool last) {
    if (AllDots(name)) return name;
    if (!last) {
        if (name.back() == '.') name.pop_back();
        return name;
    }
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

void Append(WinPath& path, const std::vector<std::string>& names, bool endsWithName) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = Trimmed(names[i], endsWithName && i + 1 == names.size());
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!path.parts.empty()) path.parts.pop_back();
        } else {
            path.parts.push_back(name);
        }
    }
}

WinPath UncVolume(const std::string& path, std::vector<std::string>& rest) {
    rest = SplitNames(path);
    WinPath volume;
    if (!rest.empty()) volume.server = rest[0];
    if (rest.size() > 1) volume.share = rest[1];
    rest.erase(rest.begin(), rest.begin() + std::min<std::size_t>(2, rest.size()));
    return volume;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool WinPath::SameVolume(const WinPath& other) const {
    if (IsUnc() != other.IsUnc()) return false;
    if (!IsUnc()) return SameName({drive}, {other.drive});
    return SameName(server, other.server) && SameName(share, other.share);
}

std::string WinPath::ToString() const {
    std::string text = IsUnc() ? "\\\\" + server + (share.empty() ? "" : "\\" + share) : std::string{drive, ':'};
    for (const std::string& part : parts) text += "\\" + part;
    // A drive's root keeps its backslash (C:\); a share's root has none of its own.
    if (trailingSeparator || (!IsUnc() && parts.empty())) text += "\\";
    return text;
}

WinPath FullPath(const std::string& path, const WinPath& currentFolder) {
    WinPath full;
    std::vector<std::string> names;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        full = UncVolume(path.substr(2), names);
    } else if (HasDriveColon(path)) {
        const std::string rest = path.substr(2);
        const bool driveRelative = rest.empty() || !IsSeparator(rest[0]);
        // "X:name" is relative to the current folder of that drive, which is
        // the root for every drive but the current one.
        if (driveRelative && !currentFolder.IsUnc() && SameName({path[0]}, {currentFolder.drive}))
            full = currentFolder;
        else
            full.drive = path[0];
        names = SplitNames(rest);
    } else {
        full = currentFolder;
        if (!path.empty() && IsSeparator(path[0])) full.parts.clear();
        names = SplitNames(path);
    }
    full.trailingSeparator = !path.empty() && IsSeparator(path.back());
    Append(full, names, !full.trailingSeparator);
    return full;
}

}  // namespace sim
