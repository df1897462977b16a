// A byte sink with a fixed amount of room, as a full disk has.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/vcl/classes.h"

namespace testsupport {

class LimitedStream : public vcl::TStream {
public:
    explicit LimitedStream(std::size_t room) : FRoom(room) {}

    std::size_t Write(const void* buffer, std::size_t count) override {
        const std::size_t taken = std::min(count, FRoom - FBytes.size());
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        FBytes.insert(FBytes.end(), bytes, bytes + taken);
        return taken;
    }

    const std::vector<std::uint8_t>& Bytes() const noexcept { return FBytes; }

private:
    std::size_t FRoom;
    std::vector<std::uint8_t> FBytes;
};

}  // namespace testsupport
