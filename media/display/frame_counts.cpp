// Counts of the frames flipped and of those that reached the screen, and their report to a file
// that a benchmark watches while the program runs (PAGEWELL_FRAME_COUNTS=<file>).
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "media/display/display_internal.h"
#include "media/system/system.h"

namespace media {

namespace {

struct CountState {
    FrameCounts counts;
    int reportFile = -1;
    bool reportOpened = false;
};

CountState& state() {
    static CountState counts;
    return counts;
}

int reportFile() {
    CountState& s = state();
    if (s.reportOpened) return s.reportFile;
    s.reportOpened = true;
    const char* path = std::getenv("PAGEWELL_FRAME_COUNTS");
    if (path == nullptr || *path == '\0') return -1;
    s.reportFile = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (s.reportFile < 0) std::fprintf(stderr, "pagewell: cannot write frame counts to %s\n", path);
    return s.reportFile;
}

// One line of fixed width rewritten in place, so that a reader never sees a shorter, stale tail.
void report(const FrameCounts& counts) {
    int file = reportFile();
    if (file < 0) return;
    char line[128];
    int length =
        std::snprintf(line, sizeof line, "frames %15lld presented %15lld partial %15lld\n",
                      static_cast<long long>(counts.frames), static_cast<long long>(counts.presented),
                      static_cast<long long>(counts.partial));
    if (length > 0 && pwrite(file, line, static_cast<std::size_t>(length), 0) < 0) {
        close(file);
        state().reportFile = -1;
    }
}

}  // namespace

namespace detail {

void countFrame(bool presented, bool partial, int scaledCopiesMade) {
    FrameCounts& counts = state().counts;
    ++counts.frames;
    counts.scaledInFrames += scaledCopiesMade;
    if (presented) {
        ++counts.presented;
        counts.lastPresentedNanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count();
    }
    if (partial) ++counts.partial;
    report(counts);
}

}  // namespace detail

FrameCounts frameCounts() {
    return state().counts;
}

}  // namespace media
