// The colours the features draw with, named once.
#pragma once

#include "media/pictures/pictures.h"

namespace palette {
constexpr media::Colour white = media::rgb(255, 255, 255);
constexpr media::Colour black = media::rgb(0, 0, 0);
constexpr media::Colour panelGrey = media::rgb(100, 100, 100);    // panels, notices, the hit list
constexpr media::Colour lightGrey = media::rgb(200, 200, 200);    // the status band, key faces, Cancel
constexpr media::Colour buttonGreen = media::rgb(100, 200, 100);  // the Search and Open buttons
}  // namespace palette
