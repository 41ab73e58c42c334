// Small helpers every feature shares: rounding, the pointer hit test, the window's inner width, typing.
#include "context/helpers.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "media/display/display.h"
#include "media/input/input.h"

int nearest(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    // The default rounding mode rounds halves to even.
    return static_cast<int>(std::nearbyint(value));
}

bool pointerOver(int target, int x, int y) {
    const int width = media::spriteWidth(sprite::pointer);
    const int height = media::spriteHeight(sprite::pointer);
    return media::spritesOverlap(sprite::pointer, media::mouseX() - width / 2, media::mouseY() - height / 2,
                                 target, x, y);
}

int innerWindowWidth(const Viewer& v) {
    const int width = media::windowWidth();
    return width > 0 ? width : v.layout.screenWidth;
}

bool typingPanelOpen(const Viewer& v) {
    return v.frame.searchPanelOpen || v.password.passwordPanelOpen || v.goToPanel.goToPanelOpen;
}

std::string& typingTarget(Viewer& v) {
    if (v.password.passwordPanelOpen) return v.password.typedPassword;
    if (v.goToPanel.goToPanelOpen) return v.goToPanel.typedNumber;
    return v.search.searchWord;
}

// explicit_bzero is never optimised away, unlike a plain fill of memory about to be freed.
void forgetSecret(std::string& secret) {
    secret.resize(secret.capacity());
    explicit_bzero(secret.data(), secret.size());
    secret.clear();
}
