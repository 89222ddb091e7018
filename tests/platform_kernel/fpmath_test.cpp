// fpmath_test.cpp: the sine, cosine and length that give the same bits in
// the i386 and the native build. The expected bits below were taken from
// the functions themselves; this same test runs in both builds, so a
// difference between them fails one of the two.
#include "platform/kernel/fpmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

uint64_t Bits(double d)
{
    uint64_t u;
    memcpy(&u, &d, sizeof(u));
    return u;
}

// The distance of two doubles of one sign in units in the last place.
uint64_t Ulps(double a, double b)
{
    uint64_t x = Bits(a), y = Bits(b);
    return x > y ? x - y : y - x;
}

TEST(FpMath, KnownArgumentsGiveTheRecordedBits)
{
    struct {
        double x;
        uint64_t sin, cos;
    } cases[] = {
        {0.5, 0x3fdeaee8744b05f0ull, 0x3fec1528065b7d50ull},
        {1.0, 0x3feaed548f090ceeull, 0x3fe14a280fb5068cull},
        {2.0, 0x3fed18f6ead1b446ull, 0xbfdaa22657537205ull},
        {3.0, 0x3fc210386db6d55bull, 0xbfefae04be85e5d2ull},
        {1000.0, 0x3fea75cc150a206bull, 0x3fe1ff026793f1bcull},
        {100000.0, 0x3fa24daa9c527e96ull, 0xbfeffac3841b3da7ull},
        {1000000.0, 0xbfd6664b2568d867ull, 0x3fedf9df9906d32cull},
        {-0.78539816339744828, 0xbfe6a09e667f3bccull, 0x3fe6a09e667f3bcdull},
        {1.5707963267948966, 0x3ff0000000000000ull, 0x3c91a62633145c07ull},
        {3.1415926535897931, 0x3ca1a62633145c07ull, 0xbff0000000000000ull},
        {4.7123889803846897, 0xbff0000000000000ull, 0xbcaa79394c9e8a0aull},
        {6.2831853071795862, 0xbcb1a62633145c07ull, 0x3ff0000000000000ull},
        {100.0, 0xbfe03425b78c4db8ull, 0x3feb981dbf665fdfull},
        {-12345.678, 0x3fe687d5890974a5ull, 0x3fe6b94c3bbe24b8ull},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Bits(PlatSin(c.x)), c.sin) << c.x;
        EXPECT_EQ(Bits(PlatCos(c.x)), c.cos) << c.x;
        double s = 0, k = 0;
        PlatSinCos(c.x, &s, &k);
        EXPECT_EQ(Bits(s), c.sin) << c.x;
        EXPECT_EQ(Bits(k), c.cos) << c.x;
    }
}

// A sweep over the angles the engine meets (text escapements in tenths of a
// degree, as the GDI turns them into radians, and a fine grid): the bits of
// all results hashed together are the recorded ones, and every result is
// within one unit in the last place of the C library's.
TEST(FpMath, SweepHashesToTheRecordedValueAndStaysWithinOneUlp)
{
    uint64_t h = 1469598103934665603ull;
    auto add = [&](double x) {
        double s, c;
        PlatSinCos(x, &s, &c);
        EXPECT_EQ(Bits(s), Bits(PlatSin(x))) << x;
        EXPECT_EQ(Bits(c), Bits(PlatCos(x))) << x;
        h = (h ^ Bits(s)) * 1099511628211ull;
        h = (h ^ Bits(c)) * 1099511628211ull;
        EXPECT_LE(Ulps(s, std::sin(x)), 1u) << x;
        EXPECT_LE(Ulps(c, std::cos(x)), 1u) << x;
    };
    for (int i = -400000; i <= 400000; i++)
        add(i * 0.0001234567);
    for (int t = -36000; t <= 36000; t++)
        add((t % 3600) / 10.0 * 3.14159265358979323846 / 180.0);
    EXPECT_EQ(h, 0xc9fec66dd3615f27ull);
}

TEST(FpMath, ExactAndSpecialValues)
{
    EXPECT_EQ(Bits(PlatSin(0.0)), Bits(0.0));
    EXPECT_EQ(Bits(PlatSin(-0.0)), Bits(-0.0));
    EXPECT_EQ(PlatCos(0.0), 1.0);
    EXPECT_EQ(PlatCos(-0.0), 1.0);
    EXPECT_EQ(PlatSin(1e-30), 1e-30);
    EXPECT_EQ(PlatCos(1e-30), 1.0);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double x : {inf, -inf, nan}) {
        EXPECT_TRUE(std::isnan(PlatSin(x)));
        EXPECT_TRUE(std::isnan(PlatCos(x)));
    }
    // sin^2 + cos^2 stays 1 within rounding far out.
    for (double x : {0.1, 7.0, 1234.5, -98765.4321}) {
        double s, c;
        PlatSinCos(x, &s, &c);
        EXPECT_NEAR(s * s + c * c, 1.0, 4e-16) << x;
    }
    EXPECT_EQ(PlatHypot(3, 4), 5.0);
    EXPECT_EQ(PlatHypot(-5, 12), 13.0);
    EXPECT_EQ(PlatHypot(0, 0), 0.0);
    EXPECT_EQ(PlatHypot(0, -7.5), 7.5);
    EXPECT_EQ(Bits(PlatHypot(1, 1)), Bits(std::sqrt(2.0)));
}

}  // namespace
