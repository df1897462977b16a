// Where a capture is saved: the output folder and the checks on its path.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// The folder part of a file name, up to and including its last backslash or colon.
std::string ExtractFilePath(const std::string& fileName);

// The output folder for a folder text: a backslash is added unless the text
// ends with one, and a text without a drive colon is placed after the
// program's folder.
std::string ResolveOutputFolder(const std::string& folderText, const std::string& appDir);

// The shot number after `number`. Past the largest 32-bit number the count
// goes on from the smallest, as 32-bit arithmetic wraps, so it never comes
// back to a number this run has already saved under.
std::int32_t NextShotNumber(std::int32_t number);

// A shot's file name: the prefix, the number with at least three digits, ".png".
std::string ShotFileName(const std::string& prefix, std::int32_t number);

// Whether a name, or any folder of a path, names a device (CON, NUL, COM1 …),
// whatever its extension: a file written there is lost.
bool NamesDevice(const std::string& path);

}  // namespace app
