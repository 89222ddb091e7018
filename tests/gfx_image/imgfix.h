// imgfix.h: source bitmaps for the image-output tests, on top of the
// brush-and-path fixture's PDEV (a 600-dpi A4 ORDEX page whose stream is
// captured).
#pragma once

#include "pdl/xgcmn/ordexnt/xrimage.h"
#include "tests/gfx_brushpath/bpfix.h"

#include <string>
#include <vector>

// An engine bitmap with the given rows (top row first), freed with the
// object.
struct SrcBitmap {
    HSURF hsurf = nullptr;
    SURFOBJ* pso = nullptr;
    SrcBitmap(ULONG iFormat, LONG cx, LONG cy, const std::vector<std::vector<BYTE>>& rows)
    {
        hsurf = reinterpret_cast<HSURF>(
            EngCreateBitmap(SIZEL{cx, cy}, 0, iFormat, BMF_TOPDOWN, nullptr));
        pso = EngLockSurface(hsurf);
        for (LONG y = 0; y < cy && y < (LONG)rows.size(); ++y)
            memcpy(static_cast<BYTE*>(pso->pvScan0) + y * pso->lDelta, rows[y].data(),
                   rows[y].size());
    }
    ~SrcBitmap()
    {
        EngUnlockSurface(pso);
        EngDeleteSurface(hsurf);
    }
    SrcBitmap(const SrcBitmap&) = delete;
    SrcBitmap& operator=(const SrcBitmap&) = delete;
};

// The stream from the first "mta" on (the image itself), or "" when none.
inline std::string FromMta(const std::string& s)
{
    size_t at = s.find("mta ");
    return at == std::string::npos ? std::string() : s.substr(at);
}

// Bytes as a string, for exact comparisons with the binary image data.
inline std::string Bytes(std::initializer_list<int> l)
{
    std::string s;
    for (int v : l)
        s.push_back(static_cast<char>(v));
    return s;
}

inline size_t CountIn(const std::string& hay, const std::string& needle)
{
    size_t n = 0;
    for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1))
        n++;
    return n;
}
