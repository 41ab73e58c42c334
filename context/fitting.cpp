// Aspect-keeping fit, the glide's easing and the thumbnail grid choice.
#include "context/fitting.h"

#include <climits>
#include <cmath>

#include "context/rounding.h"

namespace {

// Every intermediate result is stored as a float: the fit's examples are single-precision values and
// must not change with the compiler's choice of evaluation precision.
float quotient(float a, float b) {
    volatile float result = a / b;
    return result;
}

float product(float a, float b) {
    volatile float result = a * b;
    return result;
}

// The larger side becomes the limit; the other keeps the picture's proportion.
FitSize fitToHeight(float limit, float width, float height) {
    return {quotient(width, quotient(height, limit)), limit};
}

FitSize fitToWidth(float limit, float width, float height) {
    return {limit, quotient(height, quotient(width, limit))};
}

// ratio x columns x rows, rounded: how many pages the candidate grid holds.
int pagesHeld(float ratio, int columns, int rows) {
    return nearest(product(product(ratio, static_cast<float>(columns)), static_cast<float>(rows)));
}

// The smallest row count >= 1 whose grid holds pageCount pages. The walk starts just below the
// estimate, so a very flat ratio does not cost millions of steps.
int rowsFor(float ratio, int columns, int pageCount) {
    constexpr int mostRows = INT_MAX / 2;
    double estimate = (pageCount - 0.5) / (static_cast<double>(ratio) * columns);
    if (estimate >= mostRows) return mostRows;
    int rows = estimate > 3.0 ? static_cast<int>(estimate) - 2 : 1;
    while (pagesHeld(ratio, columns, rows) < pageCount && rows < mostRows) ++rows;
    return rows;
}

int smallestSquareRoot(int n) {
    int root = static_cast<int>(std::sqrt(static_cast<double>(n)));
    while (root * root < n) ++root;
    while (root > 1 && (root - 1) * (root - 1) >= n) --root;
    return root < 1 ? 1 : root;
}

int roundedUp(float value) {
    if (!(value > 1.0f)) return 1;
    return value >= static_cast<float>(INT_MAX) ? INT_MAX : static_cast<int>(std::ceil(value));
}

}  // namespace

FitSize fitInto(int limit, int width, int height) {
    if (width <= 0 || height <= 0 || limit <= 0) return {0.0f, 0.0f};
    float l = static_cast<float>(limit);
    float w = static_cast<float>(width);
    float h = static_cast<float>(height);
    FitSize fit = h < w ? fitToWidth(l, w, h) : fitToHeight(l, w, h);
    if (h < fit.height) fit = fitToHeight(l, w, h);
    if (l < fit.width) fit = fitToWidth(l, w, h);
    return fit;
}

float easeOutExpo(float t, float b, float c, float d) {
    if (t == d) return b + c;
    float exponent = quotient(product(t, -10.0f), d);
    volatile float power = std::pow(2.0f, exponent);
    return product(c, 1.0f - power) + b;
}

ThumbnailGrid chooseThumbnailGrid(int pageCount, float pageFitWidth, float pageFitHeight) {
    int n = pageCount < 1 ? 1 : pageCount;
    float a = pageFitWidth, b = pageFitHeight;
    float ratio = a < b ? quotient(a, b) : quotient(b, a);
    if (!(ratio > 0.0f) || ratio > 1.0f) ratio = 1.0f;  // empty or unreadable fit sizes
    int bestColumns = 0, bestRows = 0, bestM = 0;
    long long bestK = 0;
    for (int c = smallestSquareRoot(n); c >= 1; --c) {
        int r = rowsFor(ratio, c, n);
        long long k = static_cast<long long>(c) * r;
        float m = product(ratio, static_cast<float>(c + r));
        bool first = bestColumns == 0;
        if (first || (k < bestK && static_cast<float>(bestM) >= m)) {
            bestColumns = c;
            bestRows = r;
            bestK = k;
            bestM = nearest(m);
        }
    }
    return {bestColumns, bestRows, roundedUp(quotient(a, static_cast<float>(bestColumns))),
            roundedUp(quotient(b, static_cast<float>(bestRows)))};
}
