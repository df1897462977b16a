#include "platform/vcl/file_save.h"

#include <string_view>

#include "platform/vcl/sysutils.h"

namespace vcl {
namespace {

[[noreturn]] void CannotCreate(const std::string& target, const std::string& reason) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", {target, reason}));
}

[[noreturn]] void CannotWrite(const std::string& target, const std::string& reason) {
    throw EWriteError(Format("Cannot write file \"%s\". %s", {target, reason}));
}

void WriteTemporary(TGraphic& graphic, FileSystem& files, const std::string& temporary, const std::string& target) {
    std::unique_ptr<TStream> stream;
    try {
        stream = files.CreateFile(temporary);
    } catch (const EOSError& error) {
        CannotCreate(target, error.Message());
    }
    try {
        graphic.SaveToStream(*stream);
    } catch (const EOSError& error) {
        CannotWrite(target, error.Message());
    } catch (const EWriteError& error) {
        CannotWrite(target, error.Message());
    }
}

// The longest start of a UTF-8 name that fits in `units` UTF-16 units.
std::string LeadingUnits(const std::string& name, std::size_t units) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if ((byte & 0xC0) == 0x80) continue;
        used += byte >= 0xF0 ? 2 : 1;  // beyond the basic plane: a surrogate pair
        if (used > units) return name.substr(0, i);
    }
    return name;
}

// The temporary name used while saving `target`: beside it, so the final
// move stays on one volume. Names hold at most 255 UTF-16 units, so the
// temporary one keeps only what fits of a long target name.
std::string TemporaryFileName(const std::string& target) {
    constexpr std::size_t MaxNameUnits = 255;
    constexpr std::string_view Prefix = "~";
    constexpr std::string_view Suffix = ".tmp";
    const std::size_t nameStart = target.find_last_of("\\/:") + 1;
    const std::string name = LeadingUnits(target.substr(nameStart), MaxNameUnits - Prefix.size() - Suffix.size());
    return target.substr(0, nameStart).append(Prefix).append(name).append(Suffix);
}

}  // namespace

void SaveGraphicSafely(TGraphic& graphic, FileSystem& files, const std::string& fileName) {
    const std::string target = files.ExpandFileName(fileName);
    const std::string temporary = TemporaryFileName(target);
    try {
        WriteTemporary(graphic, files, temporary, target);
        files.ReplaceFile(temporary, target);
    } catch (const EOSError& error) {
        files.DeleteFile(temporary);
        CannotCreate(target, error.Message());
    } catch (...) {
        files.DeleteFile(temporary);
        throw;
    }
}

}  // namespace vcl
