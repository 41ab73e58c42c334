// The millisecond clock (real or driven by a test), sleeping, and the random numbers.
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>

#include "media/display_internal.h"
#include "media/media.h"

namespace media {

namespace {

struct ClockState {
    bool testClock = false;
    std::int64_t testMilliseconds = 0;
    std::mt19937 random{12345u};
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

}  // namespace

namespace detail {
bool testClockActive() {
    return clock().testClock;
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
