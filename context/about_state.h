// The about screen's scroll state.
#pragma once

struct AboutState {
    float aboutScroll = 0.0f;
    float aboutSpeed = 1.0f;
    bool soundUnavailable = false;  // no sound system or no tune: the about screen is silent
};
