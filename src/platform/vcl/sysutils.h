// The framework's exception hierarchy and message formatting.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace vcl {

// Root of every failure the program raises; the message is UTF-8.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}
};

class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};

class EInvalidOperation : public Exception {
    using Exception::Exception;
};

class EConvertError : public Exception {
    using Exception::Exception;
};

// A failure of the operating system, with its own description of the error.
class EOSError : public Exception {
    using Exception::Exception;
};

class EStreamError : public Exception {
    using Exception::Exception;
};

class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
    explicit EWriteError(std::string message) : EStreamError(std::move(message)) {}
};

using FormatArg = std::variant<std::string_view, std::int64_t>;

// Delphi-style formatting: %s takes a text, %d a number ("%0.3d" pads to at
// least three digits, "%5d" right-aligns in five places), %% is a percent sign.
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);

}  // namespace vcl
