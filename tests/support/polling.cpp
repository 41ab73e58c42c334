// Waiting in tests without hanging.
#include "tests/support/polling.h"

#include <chrono>

#include "media/system/system.h"

bool eventually(const std::function<bool()>& done, double maxSeconds, const std::function<void()>& step) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(maxSeconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (step) {
            step();
        } else {
            media::sleepMilliseconds(2);
        }
    }
    return true;
}
