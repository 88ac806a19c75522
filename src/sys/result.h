#pragma once
// What a step that may fail for a reason of the system's came to: what it
// made, or the system's error, carried with the failure rather than in an
// out-parameter. Portable.
#include <utility>

namespace sys {

template <class T>
struct Result {
    T value{};
    unsigned long error = 0;  // the system's error when nothing was made

    Result() = default;
    Result(T made) : value(std::move(made)) {}  // NOLINT: a made thing is a result
    static Result Failed(unsigned long why) {
        Result failed;
        failed.error = why;
        return failed;
    }
    explicit operator bool() const { return static_cast<bool>(value); }
};

// A step that makes nothing: done, or the system's error.
struct Status {
    unsigned long error = 0;
    explicit operator bool() const { return error == 0; }
};

}  // namespace sys
