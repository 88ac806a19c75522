#include "install/job_thread.h"

#include <system_error>
#include <thread>

bool StartJob(std::function<void()> work) noexcept {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
