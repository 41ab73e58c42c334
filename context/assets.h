// Pictures and sound carried in the program's own data, generated at build time.
#pragma once

#include <cstddef>

const unsigned char* embeddedLogoData();  // 250 x 343 palette PNG
std::size_t embeddedLogoSize();
const unsigned char* embeddedTuneData();  // 4-channel tracker module
std::size_t embeddedTuneSize();
