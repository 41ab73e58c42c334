// Aspect-keeping fit, the glide's easing and the thumbnail grid choice. Pure, any thread.
#pragma once

struct FitSize {
    float width;
    float height;
};

FitSize fitInto(int limit, int width, int height);
float easeOutExpo(float t, float b, float c, float d);

struct ThumbnailGrid {
    int columns;
    int rows;
    int cellWidth;
    int cellHeight;
};
ThumbnailGrid chooseThumbnailGrid(int pageCount, float pageFitWidth, float pageFitHeight);
