// The message of the exception an action raises.
#pragma once

#include <string>

namespace testsupport {

// The message of the E that `action` raises, or "<no exception>".
template <class E, class Action>
std::string MessageOf(Action&& action) {
    try {
        action();
    } catch (const E& error) {
        return error.what();
    }
    return "<no exception>";
}

}  // namespace testsupport
