#include "platform/vcl/sysutils.h"

#include <cctype>
#include <cstdio>

namespace vcl {
namespace {

struct Specifier {
    int width = 0;
    int precision = -1;
    char kind = 0;
};

// Parses "[width][.precision](s|d)" after a '%'; returns the position after it.
std::size_t ParseSpecifier(std::string_view pattern, std::size_t pos, Specifier& spec) {
    auto readNumber = [&](int& value) {
        value = 0;
        while (pos < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[pos])))
            value = value * 10 + (pattern[pos++] - '0');
    };
    readNumber(spec.width);
    if (pos < pattern.size() && pattern[pos] == '.') {
        ++pos;
        readNumber(spec.precision);
    }
    if (pos >= pattern.size()) throw EConvertError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
    spec.kind = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[pos])));
    return pos + 1;
}

std::string Render(const Specifier& spec, const FormatArg& arg, std::string_view pattern) {
    std::string text;
    if (spec.kind == 's' && std::holds_alternative<std::string_view>(arg)) {
        text = std::get<std::string_view>(arg);
        if (spec.precision >= 0 && text.size() > static_cast<std::size_t>(spec.precision)) text.resize(spec.precision);
    } else if (spec.kind == 'd' && std::holds_alternative<std::int64_t>(arg)) {
        const std::int64_t value = std::get<std::int64_t>(arg);
        char digits[32];
        const auto magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        std::snprintf(digits, sizeof digits, "%.*llu", spec.precision < 0 ? 1 : spec.precision, static_cast<unsigned long long>(magnitude));
        if (value < 0) text = "-";
        text += digits;
    } else {
        throw EConvertError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
    }
    if (text.size() < static_cast<std::size_t>(spec.width)) text.insert(0, spec.width - text.size(), ' ');
    return text;
}

}  // namespace

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string result;
    auto next = args.begin();
    for (std::size_t pos = 0; pos < pattern.size();) {
        const char c = pattern[pos++];
        if (c != '%') {
            result += c;
            continue;
        }
        if (pos < pattern.size() && pattern[pos] == '%') {
            result += '%';
            ++pos;
            continue;
        }
        Specifier spec;
        pos = ParseSpecifier(pattern, pos, spec);
        if (next == args.end()) throw EConvertError("No argument for format '" + std::string(pattern) + "'");
        result += Render(spec, *next++, pattern);
    }
    return result;
}

}  // namespace vcl
