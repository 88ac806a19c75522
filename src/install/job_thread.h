#pragma once
#include <functional>

// Runs work on a detached thread of its own; false (and nothing runs) when
// no thread can be created.
bool StartJob(std::function<void()> work) noexcept;
