// Fixed-point sine and cosine of angles in tenths of a degree.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/driverui/pagehooks.h"

namespace {

struct TrigCase {
    LONG lAngle;
    LONG lSin;
};

class SineOfAngle : public ::testing::TestWithParam<TrigCase> {};

TEST_P(SineOfAngle, MatchesTheTableAndItsInterpolation)
{
    EXPECT_EQ(SinTenthDegree(GetParam().lAngle), GetParam().lSin) << GetParam().lAngle;
}

// Values: 16384 x sin, whole degrees rounded; tenths interpolated linearly
// between the two whole degrees with the integer division of the table.
INSTANTIATE_TEST_SUITE_P(
    Angles, SineOfAngle,
    ::testing::Values(TrigCase{0, 0}, TrigCase{900, 16384}, TrigCase{1800, 0}, TrigCase{2700, -16384},
                      TrigCase{-900, -16384}, TrigCase{15, 429}, TrigCase{3600, 0}, TrigCase{7200, 0},
                      TrigCase{-3601, -28}, TrigCase{-1, -28}, TrigCase{3599, -28},
                      // 89.9 and 90.1 degrees fold onto 89.9: 16382 + (16384 - 16382) x 9 / 10.
                      TrigCase{899, 16383}, TrigCase{901, 16383},
                      // 179.9 and 180.1 degrees: 0.1 degree on either side of the axis.
                      TrigCase{1799, 28}, TrigCase{1801, -28}, TrigCase{300, 8192}, TrigCase{2100, -8192}));

TEST(SineTable, EveryWholeDegreeIsTheRoundedSine)
{
    for (int i = 0; i <= 90; ++i) {
        long lExpect = std::lround(16384.0 * std::sin(i * 3.14159265358979323846 / 180.0));
        EXPECT_EQ(SinTenthDegree(i * 10), lExpect) << i;
    }
    // Entries that lie within 0.005 of a half and must round as exact
    // arithmetic does.
    EXPECT_EQ(SinTenthDegree(210), 5872);
    EXPECT_EQ(SinTenthDegree(470), 11982);
    EXPECT_EQ(SinTenthDegree(890), 16382);
}

TEST(CosineOfAngle, IsTheSineAQuarterTurnOn)
{
    const LONG kCases[][2] = {{0, 16384}, {900, 0}, {1800, -16384}, {-900, 0}, {600, 8192}, {3599, 16383}};
    for (const auto& c : kCases)
        EXPECT_EQ(CosTenthDegree(c[0]), c[1]) << c[0];
}

}  // namespace
