// drawtest.h: small helpers shared by the drawing tests: engine bitmaps
// that free themselves, and pixel access in the engine's colour form.
#pragma once

#include "platform/windows.h"
#include "platform/gdi/engobj.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

// An engine bitmap, top row first, locked for the test's lifetime.
struct TestBitmap {
    HSURF hsurf = nullptr;
    SURFOBJ* pso = nullptr;

    TestBitmap(LONG cx, LONG cy, ULONG iFormat, FLONG fl = BMF_TOPDOWN)
    {
        hsurf = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{cx, cy}, 0, iFormat, fl, nullptr));
        pso = hsurf ? EngLockSurface(hsurf) : nullptr;
    }
    ~TestBitmap()
    {
        if (pso)
            EngUnlockSurface(pso);
        if (hsurf)
            EngDeleteSurface(hsurf);
    }
    TestBitmap(const TestBitmap&) = delete;
    TestBitmap& operator=(const TestBitmap&) = delete;

    BYTE* Row(LONG y) const { return static_cast<BYTE*>(pso->pvScan0) + y * pso->lDelta; }
    // 1 bit: the bit; 24 bits: 0x00BBGGRR from the bytes blue, green, red.
    ULONG Get(LONG x, LONG y) const
    {
        const BYTE* p = Row(y);
        if (pso->iBitmapFormat == BMF_1BPP)
            return (p[x >> 3] >> (7 - (x & 7))) & 1;
        return p[x * 3 + 2] | (p[x * 3 + 1] << 8) | (static_cast<ULONG>(p[x * 3]) << 16);
    }
    void Set(LONG x, LONG y, ULONG c) const
    {
        BYTE* p = Row(y);
        if (pso->iBitmapFormat == BMF_1BPP) {
            BYTE m = static_cast<BYTE>(0x80 >> (x & 7));
            p[x >> 3] = static_cast<BYTE>((c & 1) ? (p[x >> 3] | m) : (p[x >> 3] & ~m));
            return;
        }
        p[x * 3] = static_cast<BYTE>(c >> 16);
        p[x * 3 + 1] = static_cast<BYTE>(c >> 8);
        p[x * 3 + 2] = static_cast<BYTE>(c);
    }
    void Fill(ULONG c) const
    {
        for (LONG y = 0; y < pso->sizlBitmap.cy; y++)
            for (LONG x = 0; x < pso->sizlBitmap.cx; x++)
                Set(x, y, c);
    }
    // The picture as text rows, '#' for pixels equal to c, '.' otherwise.
    std::string Picture(ULONG c) const
    {
        std::string s;
        for (LONG y = 0; y < pso->sizlBitmap.cy; y++) {
            for (LONG x = 0; x < pso->sizlBitmap.cx; x++)
                s += Get(x, y) == c ? '#' : '.';
            s += '\n';
        }
        return s;
    }
};

// Joins picture rows written one per string.
inline std::string Rows(std::initializer_list<const char*> rows)
{
    std::string s;
    for (const char* r : rows) {
        s += r;
        s += '\n';
    }
    return s;
}

inline POINTFIX Fx(LONG x, LONG y)
{
    return POINTFIX{x * 16, y * 16};
}
