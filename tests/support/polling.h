// Waiting in tests without hanging: look again and again until a condition holds, within a time that
// only guards against a hang and is never a measure of speed.
#pragma once

#include <functional>

// True once done() holds; false when it still does not after maxSeconds. Between two looks step()
// runs (a frame, say), or, without one, the thread pauses for two milliseconds.
bool eventually(const std::function<bool()>& done, double maxSeconds = 60.0,
                const std::function<void()>& step = {});
