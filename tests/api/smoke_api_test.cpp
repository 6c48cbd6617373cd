#include <gtest/gtest.h>
#include "vessa.h"
TEST(SmokeApi, Builds) { SUCCEED(); }
