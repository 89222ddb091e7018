// fpmath.cpp: sine, cosine and vector length with the same bits in every
// build (fpmath.h).
//
// The sine and cosine are those of fdlibm (Sun Microsystems, 1993: "Permission
// to use, copy, modify, and distribute this software is freely granted,
// provided that this notice is preserved."): the argument is reduced by
// pi/2 in up to three parts (Cody and Waite), and the kernels evaluate
// polynomials on [-pi/4, pi/4] with a tail that carries the reduction's
// rounding error. Only + - * /, comparisons and exact conversions are used,
// so SSE2 gives the same bits in the i386 and the x86-64 build.
//
// This file is compiled with -ffp-contract=off and -fno-math-errno
// (platform/CMakeLists.txt): no multiply-add is fused, whatever the target,
// and the square root is the instruction's, correctly rounded.
#include "platform/kernel/fpmath.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint32_t _High(double x)
{
    uint64_t u;
    memcpy(&u, &x, sizeof(u));
    return static_cast<uint32_t>(u >> 32);
}

double _FromHigh(uint32_t hi)
{
    uint64_t u = static_cast<uint64_t>(hi) << 32;
    double d;
    memcpy(&d, &u, sizeof(d));
    return d;
}

// sin(x + y) for |x| <= pi/4, y the tail of x; bTail says whether y is
// there (fdlibm's __kernel_sin).
double _KernelSin(double x, double y, bool bTail)
{
    const double S1 = -1.66666666666666324348e-01;
    const double S2 = 8.33333333332248946124e-03;
    const double S3 = -1.98412698298579493134e-04;
    const double S4 = 2.75573137070700676789e-06;
    const double S5 = -2.50507602534068634195e-08;
    const double S6 = 1.58969099521155010221e-10;
    if ((_High(x) & 0x7fffffff) < 0x3e400000)  // |x| < 2^-27: sin x is x
        return x;
    double z = x * x;
    double v = z * x;
    double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    if (!bTail)
        return x + v * (S1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4 (fdlibm's __kernel_cos).
double _KernelCos(double x, double y)
{
    const double C1 = 4.16666666666666019037e-02;
    const double C2 = -1.38888888888741095749e-03;
    const double C3 = 2.48015872894767294178e-05;
    const double C4 = -2.75573143513906633035e-07;
    const double C5 = 2.08757232129817482790e-09;
    const double C6 = -1.13596475577881948265e-11;
    uint32_t ix = _High(x) & 0x7fffffff;
    if (ix < 0x3e400000)  // |x| < 2^-27
        return 1.0;
    double z = x * x;
    double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    if (ix < 0x3FD33333)  // |x| < 0.3
        return 1.0 - (0.5 * z - (z * r - x * y));
    // 1 - x*x/2 loses bits here: take a quarter of x off exactly first.
    double qx = ix > 0x3fe90000 ? 0.28125 : _FromHigh(ix - 0x00200000);
    double hz = 0.5 * z - qx;
    double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

// Reduces x by the nearest multiple n of pi/2: x = n * pi/2 + y0 + y1, with
// |y0 + y1| <= about pi/4. Answers n mod 4. (fdlibm's __ieee754_rem_pio2 for
// arguments below 2^19 * pi/2, used for all: past that the three parts of
// pi/2 no longer hold every bit, and the result drifts, the same way in
// every build.)
int _Reduce(double x, double* py0, double* py1)
{
    const double invpio2 = 6.36619772367581382433e-01;  // 2/pi
    const double pio2_1 = 1.57079632673412561417e+00;   // first 33 bits of pi/2
    const double pio2_1t = 6.07710050650619224932e-11;  // pi/2 - pio2_1
    const double pio2_2 = 6.07710050630396597660e-11;   // second 33 bits of pi/2
    const double pio2_2t = 2.02226624879595063154e-21;  // pi/2 - (pio2_1 + pio2_2)
    const double pio2_3 = 2.02226624871116645580e-21;   // third 33 bits of pi/2
    const double pio2_3t = 8.47842766036889956997e-32;  // pi/2 - (pio2_1 + pio2_2 + pio2_3)
    bool bNeg = x < 0;
    double t = bNeg ? -x : x;
    double q = t * invpio2 + 0.5;
    // The nearest whole multiple, and its remainder by 4, both exact.
    double fn;
    int n;
    if (q < 9.0e15) {
        int64_t k = static_cast<int64_t>(q);
        fn = static_cast<double>(k);
        n = static_cast<int>(k & 3);
    } else {
        fn = std::floor(q);
        n = static_cast<int>(fn - 4.0 * std::floor(fn * 0.25));
    }
    double r = t - fn * pio2_1;
    double w = fn * pio2_1t;
    double y0 = r - w;
    int j = static_cast<int>(_High(t) >> 20);
    int i = j - static_cast<int>((_High(y0) >> 20) & 0x7ff);
    if (i > 16) {
        // Cancellation: a second part of pi/2 (good to 118 bits).
        double tt = r;
        w = fn * pio2_2;
        r = tt - w;
        w = fn * pio2_2t - ((tt - r) - w);
        y0 = r - w;
        i = j - static_cast<int>((_High(y0) >> 20) & 0x7ff);
        if (i > 49) {
            // And a third (151 bits).
            tt = r;
            w = fn * pio2_3;
            r = tt - w;
            w = fn * pio2_3t - ((tt - r) - w);
            y0 = r - w;
        }
    }
    double y1 = (r - y0) - w;
    if (bNeg) {
        *py0 = -y0;
        *py1 = -y1;
        return (4 - n) & 3;
    }
    *py0 = y0;
    *py1 = y1;
    return n;
}

// Sine into *pSin and cosine into *pCos; either may be null.
void _SinCos(double x, double* pSin, double* pCos)
{
    uint32_t ix = _High(x) & 0x7fffffff;
    if (ix >= 0x7ff00000) {  // infinite or NaN
        double nan = x - x;
        if (pSin)
            *pSin = nan;
        if (pCos)
            *pCos = nan;
        return;
    }
    if (ix <= 0x3fe921fb) {  // |x| <= pi/4
        if (pSin)
            *pSin = _KernelSin(x, 0.0, false);
        if (pCos)
            *pCos = _KernelCos(x, 0.0);
        return;
    }
    double y0, y1;
    int n = _Reduce(x, &y0, &y1);
    double s = _KernelSin(y0, y1, true);
    double c = _KernelCos(y0, y1);
    switch (n) {
    case 0:
        if (pSin) *pSin = s;
        if (pCos) *pCos = c;
        break;
    case 1:
        if (pSin) *pSin = c;
        if (pCos) *pCos = -s;
        break;
    case 2:
        if (pSin) *pSin = -s;
        if (pCos) *pCos = -c;
        break;
    default:
        if (pSin) *pSin = -c;
        if (pCos) *pCos = s;
        break;
    }
}

}  // namespace

double PlatSin(double x)
{
    double s;
    _SinCos(x, &s, nullptr);
    return s;
}

double PlatCos(double x)
{
    double c;
    _SinCos(x, nullptr, &c);
    return c;
}

void PlatSinCos(double x, double* pSin, double* pCos)
{
    _SinCos(x, pSin, pCos);
}

double PlatHypot(double x, double y)
{
    return std::sqrt(x * x + y * y);
}
