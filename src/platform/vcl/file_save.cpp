#include "platform/vcl/file_save.h"

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

// The temporary name used while saving `target`: beside it, so the final
// move stays on one volume.
std::string TemporaryFileName(const std::string& target) {
    const std::size_t nameStart = target.find_last_of("\\/:") + 1;
    return target.substr(0, nameStart) + "~" + target.substr(nameStart) + ".tmp";
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
