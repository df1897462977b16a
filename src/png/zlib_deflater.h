// An owned zlib deflate stream.
#pragma once

#include <zlib.h>

#include <string>

namespace png {

class ZlibDeflater {
public:
    ZlibDeflater() = default;
    ~ZlibDeflater() {
        if (FInitialised) deflateEnd(&FStream);
    }
    ZlibDeflater(const ZlibDeflater&) = delete;
    ZlibDeflater& operator=(const ZlibDeflater&) = delete;

    // Starts a zlib stream (32 KiB window, default memory level and
    // strategy) at the given level; returns zlib's result code.
    int Init(int level) {
        const int result = deflateInit(&FStream, level);
        FInitialised = result == Z_OK;
        return result;
    }

    z_stream& Stream() noexcept { return FStream; }

    // zlib's message for a result code, or its status text.
    std::string ErrorText(int result) const;

private:
    z_stream FStream{};
    bool FInitialised = false;
};

}  // namespace png
