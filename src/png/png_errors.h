// The exception classes of the PNG classes. Each failure is raised through
// SignalError with a text of the pnglang table.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "platform/vcl/sysutils.h"

namespace png {

#define TIVALO_PNG_EXCEPTION(Name)              \
    class Name : public vcl::Exception {        \
        using vcl::Exception::Exception;        \
    }

TIVALO_PNG_EXCEPTION(EPNGOutMemory);
TIVALO_PNG_EXCEPTION(EPngError);
TIVALO_PNG_EXCEPTION(EPngUnexpectedEnd);
TIVALO_PNG_EXCEPTION(EPngInvalidCRC);
TIVALO_PNG_EXCEPTION(EPngInvalidIHDR);
TIVALO_PNG_EXCEPTION(EPNGMissingMultipleIDAT);
TIVALO_PNG_EXCEPTION(EPNGZLIBError);
TIVALO_PNG_EXCEPTION(EPNGInvalidPalette);
TIVALO_PNG_EXCEPTION(EPNGInvalidFileHeader);
TIVALO_PNG_EXCEPTION(EPNGIHDRNotFirst);
TIVALO_PNG_EXCEPTION(EPNGSizeExceeds);
TIVALO_PNG_EXCEPTION(EPNGUnknownCriticalChunk);
TIVALO_PNG_EXCEPTION(EPNGUnknownCompression);
TIVALO_PNG_EXCEPTION(EPNGUnknownInterlace);
TIVALO_PNG_EXCEPTION(EPNGNoImageData);
TIVALO_PNG_EXCEPTION(EPNGHeaderNotPresent);
TIVALO_PNG_EXCEPTION(EPNGInvalidNewSize);

#undef TIVALO_PNG_EXCEPTION

// Raises an exception of class E carrying the message.
template <class E>
[[noreturn]] void SignalError(std::string_view message) {
    static_assert(std::is_base_of_v<vcl::Exception, E>);
    throw E(std::string(message));
}

}  // namespace png
