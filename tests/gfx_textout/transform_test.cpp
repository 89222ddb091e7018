// Height, width factor and angle of a resident font from the font's
// transform, and the tangent table behind the angles.
#include <gtest/gtest.h>

#include <cmath>

#include "textfix.h"

namespace {

struct XformHolder {
    XFORMOBJ* pxo;
    explicit XformHolder(const XFORML& xf) { pxo = PlatXformCreate(&xf); }
    ~XformHolder() { PlatXformDelete(pxo); }
};

XFORML Scale(float sx, float sy)
{
    XFORML xf = {sx, 0, 0, sy, 0, 0};
    return xf;
}

// Notional to device with y down: the baseline turned by deg counter-clockwise.
XFORML Rotate(double deg, float k = 1.0f)
{
    double r = deg * 3.14159265358979 / 180.0;
    float c = (float)std::cos(r), s = (float)std::sin(r);
    XFORML xf = {k * c, -k * s, k * s, k * c, 0, 0};
    return xf;
}

TEST(Transform, HeightInPointsForSizesAndResolutions)
{
    struct Row {
        double dPoints;
        int iDpi;
        LONG lScale;  // N-up scale
        LONG lHeight;  // 24.8
    } rows[] = {
        {12, 600, 10000, 3072},   // 12.0
        {10, 600, 10000, 2560},   // 10.0
        {7.5, 600, 10000, 1920},  // 7.5
        {10, 300, 10000, 2560},
        {24, 1200, 10000, 6144},
        {12, 600, 5000, 1536},    // a half-size page: 6.0
        {10.5, 600, 10000, 2688},
    };
    for (const Row& r : rows) {
        TextPdev t;
        t.dm()[310] = (BYTE)(r.iDpi & 0xFF);
        t.dm()[311] = (BYTE)(r.iDpi >> 8);
        t.pdev()->lNupScale = r.lScale;
        float fPpem = (float)(r.dPoints * r.iDpi / 72.0);
        XformHolder x(Scale(fPpem / 2048.0f, fPpem / 2048.0f));
        EXPECT_EQ(TextFontHeight(t.pdev(), x.pxo, 2048), r.lHeight) << r.dPoints << "pt " << r.iDpi;
    }
}

TEST(Transform, WidthFactor)
{
    struct Row {
        const char* what;
        XFORML xf;
        LONG lWidth;
    } rows[] = {
        {"square", Scale(0.05f, 0.05f), 256},
        {"twice as wide", Scale(0.1f, 0.05f), 512},
        {"half as wide", Scale(0.025f, 0.05f), 128},
        {"turned a quarter", Rotate(90), 256},
        {"turned a quarter, twice as wide", {0, -0.1f, 0.05f, 0, 0, 0}, 512},
        {"turned 30 degrees", Rotate(30), 256},
    };
    for (const Row& r : rows) {
        XformHolder x(r.xf);
        EXPECT_EQ(TextWidthFactor(x.pxo), r.lWidth) << r.what;
    }
}

TEST(Transform, AngleOfTheBaseline)
{
    struct Row {
        double dDeg;
        LONG lAngle;  // 24.8 degrees
    } rows[] = {
        {0, 0},          {30, 7680},      {45, 11520},     {60, 15360},
        {90, 23040},     {120, 30720},    {135, 34560},    {180, 46080},
        {210, 53760},    {225, 57600},    {270, 69120},    {315, 80640},
        {330, 84480},
        {89.95, 23014},  // 89.9: the last entry of the table
    };
    for (const Row& r : rows) {
        XformHolder x(Rotate(r.dDeg));
        EXPECT_EQ(TextAngle(x.pxo), r.lAngle) << r.dDeg;
    }
}

TEST(Transform, TangentTableEntries)
{
    struct Row {
        float fRatio;
        int iEntry;
    } rows[] = {
        {0.0f, 0},          {0.5774f, 300},     {0.57735f, 300},  {1.0f, 450},
        {81.7547f, 893},    {568.4124f, 899},   {400.0f, 898},    {5000.0f, 899},
        {0.0008f, 0},       {0.0009f, 1},  // the nearer end; entry 1 is 0.0017
    };
    for (const Row& r : rows)
        EXPECT_EQ(TangentIndex(r.fRatio), r.iEntry) << r.fRatio;
}

TEST(Transform, IntegerHypotenuse)
{
    struct Row {
        LONG x, y, h;
    } rows[] = {{0, 1600, 1600}, {3, 4, 5}, {-1600, 0, 1600}, {100, 100, 141}, {1, 1, 1}};
    for (const Row& r : rows)
        EXPECT_EQ(TextHypot(r.x, r.y), r.h) << r.x << " " << r.y;
}

}  // namespace
