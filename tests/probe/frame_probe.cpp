// frame_probe: answers questions about the pixels of screenshots (PNG or JPEG) for the desktop tests.
//   frame_probe size  <image>                                  -> "width height"
//   frame_probe pixel <image> x y                              -> "r g b"
//   frame_probe count <image> x y w h r g b [tolerance]        -> pixels within tolerance of r g b
//   frame_probe differ <image> <image> x y w h                 -> pixels that differ by more than 24
//   frame_probe bright <image> x y w h [level]                 -> "count x0 y0 x1 y1" of pixels whose
//                                                                 darkest channel exceeds level (200)
// Regions are clipped to the image. Exit status 2 when an image cannot be read or the words are wrong.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/pictures/pictures.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb at(const media::Picture& picture, int x, int y) {
    std::uint32_t pixel = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
    return {static_cast<int>(pixel & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
            static_cast<int>((pixel >> 16) & 0xFF)};
}

struct Region {
    int x0, y0, x1, y1;  // x1, y1 exclusive
};

int number(const char* word) {
    return std::atoi(word);
}

Region clipped(const media::Picture& picture, char** words) {
    const int x = number(words[0]), y = number(words[1]), w = number(words[2]), h = number(words[3]);
    Region region{std::max(x, 0), std::max(y, 0), std::min(x + w, picture.width),
                  std::min(y + h, picture.height)};
    region.x1 = std::max(region.x1, region.x0);
    region.y1 = std::max(region.y1, region.y0);
    return region;
}

bool load(const char* file, media::Picture& picture) {
    if (media::decodeImageFile(file, picture) && picture.width > 0 && picture.height > 0) return true;
    std::fprintf(stderr, "frame_probe: cannot read %s\n", file);
    return false;
}

int usage() {
    std::fprintf(stderr,
                 "usage: frame_probe size|pixel|count|differ|bright <image> [<image>] [x y w h] ...\n");
    return 2;
}

// Each channel within tolerance of the other's.
bool near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

int countColour(const media::Picture& picture, Region region, Rgb colour, int tolerance) {
    int count = 0;
    for (int y = region.y0; y < region.y1; ++y)
        for (int x = region.x0; x < region.x1; ++x) count += near(at(picture, x, y), colour, tolerance);
    return count;
}

int countDifferent(const media::Picture& first, const media::Picture& second, Region region) {
    int count = 0;
    for (int y = region.y0; y < region.y1; ++y)
        for (int x = region.x0; x < region.x1; ++x) count += !near(at(first, x, y), at(second, x, y), 24);
    return count;
}

void printBright(const media::Picture& picture, Region region, int level) {
    int count = 0, left = region.x1, top = region.y1, right = -1, bottom = -1;
    for (int y = region.y0; y < region.y1; ++y)
        for (int x = region.x0; x < region.x1; ++x) {
            const Rgb pixel = at(picture, x, y);
            if (std::min({pixel.r, pixel.g, pixel.b}) <= level) continue;
            ++count;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = y;
        }
    if (count == 0) left = top = -1;
    std::printf("%d %d %d %d %d\n", count, left, top, right, bottom);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string command = argv[1];
    media::Picture picture;
    if (!load(argv[2], picture)) return 2;
    if (command == "size" && argc == 3) {
        std::printf("%d %d\n", picture.width, picture.height);
    } else if (command == "pixel" && argc == 5) {
        int x = number(argv[3]), y = number(argv[4]);
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return usage();
        Rgb pixel = at(picture, x, y);
        std::printf("%d %d %d\n", pixel.r, pixel.g, pixel.b);
    } else if (command == "count" && (argc == 10 || argc == 11)) {
        const Rgb colour{number(argv[7]), number(argv[8]), number(argv[9])};
        std::printf("%d\n", countColour(picture, clipped(picture, argv + 3), colour,
                                        argc == 11 ? number(argv[10]) : 0));
    } else if (command == "differ" && argc == 8) {
        media::Picture second;
        if (!load(argv[3], second)) return 2;
        if (second.width != picture.width || second.height != picture.height) {
            std::fprintf(stderr, "frame_probe: %s and %s differ in size\n", argv[2], argv[3]);
            return 2;
        }
        std::printf("%d\n", countDifferent(picture, second, clipped(picture, argv + 4)));
    } else if (command == "bright" && (argc == 7 || argc == 8)) {
        printBright(picture, clipped(picture, argv + 3), argc == 8 ? number(argv[7]) : 200);
    } else {
        return usage();
    }
    return 0;
}
