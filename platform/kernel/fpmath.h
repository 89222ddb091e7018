// fpmath.h: floating-point functions that give the same bits in every build.
//
// Owns: sine, cosine and the length of a vector, for the code whose results
// reach a job stream or a picture compared byte for byte (the GDI engine's
// curves, pens and turned text; any driver code that needs the same).
//
// Why: the C library's sin/cos/hypot are not the same code in the i386 and
// the x86-64 build (the 32-bit library computes some of them on the x87 unit
// in 80-bit precision), and may round differently in the last bit; a
// position rounded to a whole dot can then move. These are written with
// + - * / and exact conversions only, in double, which SSE2 rounds the same
// way in both builds (the i386 build compiles with -msse2 -mfpmath=sse); the
// square root is the IEEE one, which is correctly rounded everywhere. They
// live in the kernel library, compiled without contraction into fused
// multiply-adds, so a caller's compiler flags cannot change them.
//
// Rules the callers rely on:
//  1. The same argument gives the same bits in the i386 and the native
//     build, whatever the host's C library.
//  2. Sine and cosine (the fdlibm kernels: a degree-13/14 polynomial on
//     [-pi/4, pi/4] after reduction by pi/2 in three parts) are within one
//     unit in the last place of the true value for |x| up to about 10^6;
//     past that the reduction loses accuracy, never determinism. sin(0) is
//     0 and cos(0) is 1 exactly; an infinite or NaN argument gives NaN.
//  3. PlatHypot is sqrt(x*x + y*y) (no guard against overflow past about
//     1e154, which no coordinate reaches).
#pragma once

#include "platform/windef.h"

extern "C" {

// Sine and cosine of x radians (rule 2).
double PlatSin(double x);
double PlatCos(double x);
// Both at once: *pSin and *pCos (out) get exactly what PlatSin and PlatCos
// give.
void PlatSinCos(double x, double* pSin, double* pCos);

// The length of the vector (x, y) (rule 3).
double PlatHypot(double x, double y);

}  // extern "C"
