#include <gtest/gtest.h>
#include "curve/point_arith.h"
TEST(Smoke, Builds) { SUCCEED(); }
