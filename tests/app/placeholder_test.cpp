// Removed once the frame tests exist.
#include <gtest/gtest.h>
TEST(Placeholder, Builds) { SUCCEED(); }
