// The idle frame (welcome screen, pointer moving) at 1080 x 1920 on the software renderer with the
// real clock and the 240 fps cap: frames per second against the cap, CPU time per frame, and the
// time from start-up to the first shown frame; "name: value" lines.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "media/display/display.h"
#include "tests/support/harness.h"

namespace {

constexpr int frameCap = 240;
constexpr int measuredFrames = 720;  // three seconds at the cap

double cpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The pointer circles the middle of the screen, so every frame has motion and a touch ring.
void movePointer(Harness& h, int frame) {
    double angle = frame * 0.05;
    h.moveTo(540 + static_cast<int>(300 * std::cos(angle)), 960 + static_cast<int>(300 * std::sin(angle)));
}

}  // namespace

int main() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    HarnessOptions options;
    options.realClock = true;
    options.laterSpritesAtStart = false;  // as the program makes them: after the first frame
    auto start = std::chrono::steady_clock::now();
    Harness h(options);
    if (!h.started()) {
        std::fprintf(stderr, "app_idle_frame: start-up failed\n");
        return 1;
    }
    media::captureFrames(false);  // a screenshot per frame is the harness's, not the program's cost
    h.frames(1);
    // To the first frame's hand-over: what the frame does after it (the sprites no first frame shows)
    // comes after the first frame is on screen.
    const std::chrono::nanoseconds presented{media::frameCounts().lastPresentedNanoseconds};
    double startupMs =
        std::chrono::duration<double, std::milli>(presented - start.time_since_epoch()).count();
    double firstFrameDoneMs = millisecondsSince(start);

    double cpuStart = cpuMilliseconds();
    auto loopStart = std::chrono::steady_clock::now();
    for (int frame = 0; frame < measuredFrames; ++frame) {
        movePointer(h, frame);
        h.frames(1);
    }
    double wallMs = millisecondsSince(loopStart);
    double cpuPerFrame = (cpuMilliseconds() - cpuStart) / measuredFrames;
    double fps = measuredFrames * 1000.0 / wallMs;

    std::printf("app_idle_frame.startup_to_first_frame_ms: %.1f\n", startupMs);
    std::printf("app_idle_frame.startup_to_first_frame_end_ms: %.1f\n", firstFrameDoneMs);
    std::printf("app_idle_frame.fps: %.1f\n", fps);
    std::printf("app_idle_frame.fps_cap: %d\n", frameCap);
    std::printf("app_idle_frame.fps_to_cap_ratio: %.3f\n", fps / frameCap);
    std::printf("app_idle_frame.cpu_ms_per_frame: %.3f\n", cpuPerFrame);
    std::printf("app_idle_frame.cpu_share_of_frame_interval: %.3f\n", cpuPerFrame / (1000.0 / frameCap));
    return 0;
}
