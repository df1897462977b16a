// An owned zlib deflate stream.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <limits>
#include <new>
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
        FStream.zalloc = Allocate;
        FStream.zfree = Release;
        const int result = deflateInit(&FStream, level);
        FInitialised = result == Z_OK;
        return result;
    }

    z_stream& Stream() noexcept { return FStream; }

    // zlib's message for a result code, or its status text.
    std::string ErrorText(int result) const;

private:
    // zlib's state comes from the program's own allocator, like every other
    // buffer of the encoder, so running out of memory takes one path
    // wherever it happens; zlib reports a refusal as Z_MEM_ERROR.
    static voidpf Allocate(voidpf, uInt items, uInt size) {
        if (size != 0 && items > std::numeric_limits<std::size_t>::max() / size) return Z_NULL;
        return ::operator new(std::size_t{items} * size, std::nothrow);
    }
    static void Release(voidpf, voidpf block) { ::operator delete(block); }

    z_stream FStream{};
    bool FInitialised = false;
};

}  // namespace png
