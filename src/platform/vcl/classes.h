// Persistent objects with assignment, and byte streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vcl {

// Objects that can be copied into one another through Assign/AssignTo.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const = 0;

    // Copies `source` into this object; the default asks the source to
    // assign itself, which fails with EConvertError when it cannot.
    virtual void Assign(TPersistent* source);

protected:
    virtual void AssignTo(TPersistent& dest);

    // Raises "Cannot assign a <source> to a <this>".
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

class TStream {
public:
    virtual ~TStream() = default;

    // Writes up to `count` bytes and returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;

    // Writes all `count` bytes or raises EWriteError.
    void WriteBuffer(const void* buffer, std::size_t count);
};

class TMemoryStream : public TStream {
public:
    std::size_t Write(const void* buffer, std::size_t count) override;
    void Reserve(std::size_t capacity) { FBytes.reserve(capacity); }
    void Clear() { FBytes.clear(); }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
};

// A file opened for writing. fmCreate creates the file, or truncates an
// existing one, and opens it for reading and writing without sharing.
class TFileStream : public TStream {
public:
    enum Mode { fmCreate };

    // Raises EFCreateError "Cannot create file "<expanded name>". <system text>".
    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Write(const void* buffer, std::size_t count) override;

private:
    std::intptr_t FHandle;
};

// The absolute form of a file name, relative to the current folder.
std::string ExpandFileName(const std::string& fileName);

}  // namespace vcl
