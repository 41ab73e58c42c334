// The one rounding rule of the viewer. Pure, any thread.
#pragma once

// Rounds to the nearest whole number, halves to even; NaN gives 0 and values beyond int's range
// stop at its ends.
int nearest(double value);
