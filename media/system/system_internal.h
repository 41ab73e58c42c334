// Inside the system room: the clock's frame pacing, and the variables set for the display's start
// alone. Main thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media::detail {

// ---- clock.cpp
void startFramePacing();  // the next frame is due one interval from now
// Sleeps until the next frame is due, frames being interval nanoseconds apart; never with a test clock.
void waitForNextFrame(std::int64_t interval);

// ---- programs.cpp
// Names of the variables the viewer set in its environment for the display's start alone: the programs
// it starts see the environment as it was.
std::vector<std::string>& startVariables();

}  // namespace media::detail
