// The millisecond clock (real or driven by a test), sleeping, the frame pacing and the random numbers.
#include <time.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>

#include "media/system/system.h"
#include "media/system/system_internal.h"

namespace media {

namespace {

struct ClockState {
    bool testClock = false;
    std::int64_t testMilliseconds = 0;
    std::mt19937 random{12345u};
    std::int64_t frameDue = 0;  // when the last frame was due, on the monotonic clock
};

ClockState& clock() {
    static ClockState state;
    return state;
}

// Counted from the first use, so that the values stay small.
std::int64_t realMilliseconds() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;

std::int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * nanosecondsPerSecond + now.tv_nsec;
}

// An absolute deadline: a sleep cut short by a signal resumes towards the same instant.
void sleepUntil(std::int64_t deadline) {
    timespec until{static_cast<time_t>(deadline / nanosecondsPerSecond),
                   static_cast<long>(deadline % nanosecondsPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

}  // namespace

namespace detail {

void startFramePacing() {
    clock().frameDue = monotonicNanoseconds();
}

// Frames are due one interval after another, whatever the sleep overshoots; a frame that comes more
// than a whole interval late starts the count again from now instead of rushing to catch up.
void waitForNextFrame(std::int64_t interval) {
    ClockState& state = clock();
    if (interval <= 0 || state.testClock) {
        state.frameDue = monotonicNanoseconds();
        return;
    }
    const std::int64_t due = state.frameDue + interval;
    sleepUntil(due);
    const std::int64_t now = monotonicNanoseconds();
    state.frameDue = now - due > interval ? now : due;
}

}  // namespace detail

std::int64_t elapsedMilliseconds() {
    return clock().testClock ? clock().testMilliseconds : realMilliseconds();
}

void sleepMilliseconds(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void useTestClock(bool on) {
    if (on && !clock().testClock) clock().testMilliseconds = realMilliseconds();
    clock().testClock = on;
}

void advanceTestClock(std::int64_t ms) {
    clock().testMilliseconds += ms;
}

void setTestClock(std::int64_t ms) {
    clock().testMilliseconds = ms;
}

int randomNumber(int maximum) {
    if (maximum <= 0) return 0;
    std::uniform_int_distribution<int> distribution(0, maximum);
    return distribution(clock().random);
}

void seedRandom(std::uint32_t seed) {
    clock().random.seed(seed);
}

}  // namespace media
