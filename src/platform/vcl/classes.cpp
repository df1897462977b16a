#include "platform/vcl/classes.h"

#include <cstring>

#include "platform/vcl/sysutils.h"

namespace vcl {

void TPersistent::Assign(TPersistent* source) {
    if (source == nullptr) AssignError(nullptr);
    source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) { dest.AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
    throw EConvertError(Format("Cannot assign a %s to a %s", {source ? source->ClassName() : "nil", ClassName()}));
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    FBytes.insert(FBytes.end(), bytes, bytes + count);
    return count;
}

}  // namespace vcl
