// bpfix.h: a PDEV of a 600-dpi A4 ORDEX page with its own block chain and a
// capture of every byte the output router hands on, plus helpers that build
// the platform's engine objects (brushes realized through the driver,
// paths, clips) for the drawing bodies.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics/ddi/chain.h"
#include "pdl/xgcmn/ordexnt/xrbrush.h"
#include "platform/windows.h"

struct BpPdev {
    std::vector<BYTE> block = std::vector<BYTE>(PDEV_BLOCK_SIZE, 0);
    std::string sStream;
    SURFOBJ so = {};

    static BOOL Capture(PDEV* pPDev, const BYTE* pb, DWORD cb)
    {
        BpPdev* pOwner = nullptr;
        memcpy(&pOwner, pPDev->abReserved, sizeof(pOwner));
        pOwner->sStream.append(reinterpret_cast<const char*>(pb), cb);
        return TRUE;
    }

    BpPdev()
    {
        PDEV* p = pdev();
        p->dwSignature = PDEV_SIGNATURE;
        p->dwSignatureEnd = PDEV_SIGNATURE;
        p->wEnvExtraOffset = PDEV_ENVEXTRA_OFFSET;
        p->wPdevSize = (WORD)PDEV_TOTAL_SIZE;
        p->lNupScale = 10000;
        SetPdevWriteJobData(p, Capture);
        SetPdevChain(p, CreateChainList());
        BpPdev* self = this;
        memcpy(p->abReserved, &self, sizeof(self));
        DEVMODEW* pdm = reinterpret_cast<DEVMODEW*>(block.data() + PDEV_DEVMODE_OFFSET);
        pdm->dmSize = 220;
        pdm->dmDriverExtra = 2395;
        DmSetShort(p, 310, 600);  // print quality of the shadow header
        DmSetShort(p, 316, 600);
        DmSetShort(p, 2156, 0);   // density 0: the tone curve leaves greys alone
        PdlDevmodeBytes(p)[2167] = 2;  // print job
        LoadToneCurve(p);
        work()->cxPrintable = 4760;
        work()->cyPrintable = 6816;
        PdlResetState(p);
        so.iType = STYPE_DEVICE;
        so.dhpdev = reinterpret_cast<DHPDEV>(p);
        so.iBitmapFormat = BMF_24BPP;
    }
    ~BpPdev()
    {
        FreeBrushCache(pdev());
        ReleaseClipCache(pdev());
        ReleasePathCache(pdev());
        FreeChainList(PdevChain(pdev()));
    }
    BpPdev(const BpPdev&) = delete;
    BpPdev& operator=(const BpPdev&) = delete;

    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
    PDLWORK* work() { return PdlWork(pdev()); }
    PDLATTR* attr() { return PdlAttr(pdev()); }
    void OneBitMode()
    {
        PdlDevmodeBytes(pdev())[2163] = 1;
        PdlDevmodeBytes(pdev())[778] = 2;
    }
    std::string Take()
    {
        std::string s;
        s.swap(sStream);
        return s;
    }
    // Blocks alive in the PDEV's chain.
    int ChainBlocks()
    {
        int n = 0;
        void* pLink = PdevChain(pdev())->pNewest;
        while (pLink != nullptr) {
            ++n;
            pLink = *static_cast<void**>(pLink);
        }
        return n;
    }
};

// A point in 28.4 from whole pixels.
inline POINTFIX Fx(LONG x, LONG y)
{
    return POINTFIX{x * 16, y * 16};
}

// Engine objects that free themselves.
struct EngPath {
    PATHOBJ* ppo = EngCreatePath();
    ~EngPath() { EngDeletePath(ppo); }
    EngPath& Move(LONG x, LONG y) { PATHOBJ_bMoveTo(ppo, Fx(x, y)); return *this; }
    EngPath& MoveFx(POINTFIX pt) { PATHOBJ_bMoveTo(ppo, pt); return *this; }
    EngPath& Lines(std::vector<POINTFIX> pts)
    {
        PATHOBJ_bPolyLineTo(ppo, pts.data(), (ULONG)pts.size());
        return *this;
    }
    EngPath& Curves(std::vector<POINTFIX> pts)
    {
        PATHOBJ_bPolyBezierTo(ppo, pts.data(), (ULONG)pts.size());
        return *this;
    }
    EngPath& Close() { PATHOBJ_bCloseFigure(ppo); return *this; }
};

struct EngClip {
    CLIPOBJ* pco = EngCreateClip();
    ~EngClip() { EngDeleteClip(pco); }
};

struct EngBrush {
    XLATEOBJ* pxlo = nullptr;
    BRUSHOBJ* pbo = nullptr;
    HSURF hsurf = nullptr;
    ~EngBrush()
    {
        PlatBrushDelete(pbo);
        if (pxlo != nullptr) {
            PlatXlateDelete(pxlo);
        }
        if (hsurf != nullptr) {
            EngDeleteSurface(hsurf);
        }
    }
};

inline void MakeSolid(EngBrush* pb, ULONG rgb)
{
    PLATBRUSHDEF def = {};
    def.iSolidColor = rgb;
    def.crRGB = rgb;
    pb->pbo = PlatBrushCreate(&def);
}

inline void MakeHatch(EngBrush* pb, SURFOBJ* pso, ULONG iHatch, ULONG rgbLine, ULONG rgbBack)
{
    ULONG pal[2] = {rgbLine, rgbBack};
    pb->pxlo = PlatXlateCreate(pal, 2, nullptr, 0);
    PLATBRUSHDEF def = {};
    def.iSolidColor = 0xFFFFFFFF;
    def.crRGB = rgbLine;
    def.iHatch = iHatch;
    def.pxlo = pb->pxlo;
    def.psoTarget = pso;
    def.pfnRealize = PdlRealizeBrush;
    pb->pbo = PlatBrushCreate(&def);
}

// A pattern brush of any format; rows top row first, each row's bytes as
// given (padded by the bitmap).
inline void MakePattern(EngBrush* pb, SURFOBJ* pso, ULONG iFormat, LONG cx, LONG cy,
                        const std::vector<std::vector<BYTE>>& rows, std::vector<ULONG> pal)
{
    HBITMAP hbm = EngCreateBitmap(SIZEL{cx, cy}, 0, iFormat, BMF_TOPDOWN, nullptr);
    pb->hsurf = reinterpret_cast<HSURF>(hbm);
    SURFOBJ* psoPat = EngLockSurface(pb->hsurf);
    for (LONG y = 0; y < cy && y < (LONG)rows.size(); ++y) {
        memcpy(static_cast<BYTE*>(psoPat->pvScan0) + y * psoPat->lDelta, rows[y].data(),
               rows[y].size());
    }
    EngUnlockSurface(psoPat);
    pb->pxlo = PlatXlateCreate(pal.empty() ? nullptr : pal.data(), (ULONG)pal.size(), nullptr, 0);
    PLATBRUSHDEF def = {};
    def.iSolidColor = 0xFFFFFFFF;
    def.crRGB = 0xFFFFFFFF;
    def.iHatch = 6;
    def.hsurfPattern = pb->hsurf;
    def.pxlo = pb->pxlo;
    def.psoTarget = pso;
    def.pfnRealize = PdlRealizeBrush;
    pb->pbo = PlatBrushCreate(&def);
}

// A cosmetic line: solid, styled in units, or alternate.
inline LINEATTRS Cosmetic(FLONG fl = 0, std::vector<FLOAT_LONG>* pStyle = nullptr)
{
    LINEATTRS la = {};
    la.fl = fl;
    la.elWidth.l = 1;
    if (pStyle != nullptr && !pStyle->empty()) {
        la.fl |= LA_STYLED;
        la.cstyle = (ULONG)pStyle->size();
        la.pstyle = pStyle->data();
    }
    return la;
}

inline LONG FloatBits(float f)
{
    LONG l;
    memcpy(&l, &f, 4);
    return l;
}

// The raw brush data between "<!" and "!>".
inline std::string Raw(const std::vector<BYTE>& v)
{
    return std::string(v.begin(), v.end());
}
