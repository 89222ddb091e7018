// fakedriver.cpp: the test program's own graphics driver (fakedriver.h).
#include "fakedriver.h"

#include <cstdio>

namespace {

// A hook as a row of the table.
template <typename F>
PFN Fn(F f)
{
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}

FakeDriver g_fake;
BYTE g_pdev[16];

std::string Pt(const POINTFIX& p)
{
    char sz[40];
    std::snprintf(sz, sizeof(sz), "%d,%d", p.x / 16, p.y / 16);
    return sz;
}

std::string PathText(PATHOBJ* ppo)
{
    std::string s;
    if (!ppo)
        return s;
    PATHOBJ_vEnumStart(ppo);
    PATHDATA pd;
    BOOL bMore;
    do {
        bMore = PATHOBJ_bEnum(ppo, &pd);
        ULONG i = 0;
        if (pd.flags & PD_BEGINSUBPATH) {
            s += (s.empty() ? "M " : " M ") + Pt(pd.pptfx[0]);
            i = 1;
        }
        if (pd.flags & PD_BEZIERS) {
            for (; i + 3 <= pd.count; i += 3)
                s += " C " + Pt(pd.pptfx[i]) + " " + Pt(pd.pptfx[i + 1]) + " " + Pt(pd.pptfx[i + 2]);
        } else {
            for (; i < pd.count; i++)
                s += " L " + Pt(pd.pptfx[i]);
        }
        if ((pd.flags & PD_ENDSUBPATH) && (pd.flags & PD_CLOSEFIGURE))
            s += " Z";
    } while (bMore);
    return s;
}

void NoteClip(FakeCall* pc, CLIPOBJ* pco)
{
    if (!pco)
        return;
    pc->iDComplexity = pco->iDComplexity;
    pc->iMode = pco->iMode;
    pc->iUniq = pco->iUniq;
    pc->rclBounds = pco->rclBounds;
    if (pco->iDComplexity != DC_COMPLEX)
        return;
    CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, CD_ANY, 0);
    ULONG buf[1 + 4 * 3];
    BOOL bMore;
    do {
        bMore = CLIPOBJ_bEnum(pco, sizeof(buf), buf);
        const ENUMRECTS* per = reinterpret_cast<const ENUMRECTS*>(buf);
        for (ULONG i = 0; i < per->c; i++)
            pc->clipRects.push_back(per->arcl[i]);
    } while (bMore);
}

DHPDEV FakeEnablePDEV(DEVMODEW*, LPWSTR, ULONG, HSURF*, ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo,
                      DEVINFO* pdi, HDEV hdev, LPWSTR, HANDLE)
{
    if (cjCaps >= sizeof(GDIINFO)) {
        GDIINFO* pgi = reinterpret_cast<GDIINFO*>(pdevcaps);
        std::memset(pgi, 0, sizeof(*pgi));
        pgi->ulTechnology = DT_RASPRINTER;
        pgi->ulHorzRes = static_cast<ULONG>(g_fake.cx);
        pgi->ulVertRes = static_cast<ULONG>(g_fake.cy);
        pgi->cBitsPixel = g_fake.iFormat == BMF_1BPP ? 1 : 24;
        pgi->cPlanes = 1;
        pgi->ulLogPixelsX = 600;
        pgi->ulLogPixelsY = 600;
        pgi->xStyleStep = 1;
        pgi->yStyleStep = 1;
        pgi->denStyleStep = 2;
    }
    if (cjDevInfo >= sizeof(DEVINFO))
        std::memset(pdi, 0, sizeof(*pdi));
    g_fake.hdev = hdev;
    return reinterpret_cast<DHPDEV>(g_pdev);
}

void FakeCompletePDEV(DHPDEV, HDEV) {}
void FakeDisablePDEV(DHPDEV) {}

HSURF FakeEnableSurface(DHPDEV dhpdev)
{
    SIZEL sizl = {g_fake.cx, g_fake.cyBand ? g_fake.cyBand : g_fake.cy};
    g_fake.hsurf = g_fake.bBitmapSurface
                       ? reinterpret_cast<HSURF>(EngCreateBitmap(sizl, 0, g_fake.iFormat, BMF_TOPDOWN, nullptr))
                       : EngCreateDeviceSurface(reinterpret_cast<DHSURF>(dhpdev), sizl, g_fake.iFormat);
    if (!g_fake.hsurf || !EngAssociateSurface(g_fake.hsurf, g_fake.hdev, g_fake.flHooks))
        return nullptr;
    if (g_fake.cyBand && !EngMarkBandingSurface(g_fake.hsurf))
        return nullptr;
    return g_fake.hsurf;
}

void FakeDisableSurface(DHPDEV)
{
    EngDeleteSurface(g_fake.hsurf);
    g_fake.hsurf = nullptr;
}

BOOL FakeStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ*, BRUSHOBJ* pbo, POINTL*, LINEATTRS* pla,
                    MIX mix)
{
    FakeCall c;
    c.name = "StrokePath";
    NoteClip(&c, pco);
    c.iSolidColor = pbo ? pbo->iSolidColor : 0xDEAD;
    c.ulMixOrRop = mix;
    c.flLine = pla ? pla->fl : 0xDEAD;
    c.path = PathText(ppo);
    c.flPath = ppo ? ppo->fl : 0;
    g_fake.calls.push_back(c);
    return pso != nullptr;
}

BOOL FakeFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL*, MIX mix, FLONG flOptions)
{
    FakeCall c;
    c.name = "FillPath";
    NoteClip(&c, pco);
    c.iSolidColor = pbo ? pbo->iSolidColor : 0xDEAD;
    c.ulMixOrRop = mix;
    c.flOptions = flOptions;
    c.path = PathText(ppo);
    c.flPath = ppo ? ppo->fl : 0;
    if (pbo && pbo->iSolidColor == 0xFFFFFFFF)
        BRUSHOBJ_pvGetRbrush(pbo);
    g_fake.calls.push_back(c);
    return pso != nullptr;
}

BOOL FakeStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ*, BRUSHOBJ* pboStroke,
                           LINEATTRS* pla, BRUSHOBJ* pboFill, POINTL*, MIX mix, FLONG flOptions)
{
    FakeCall c;
    c.name = "StrokeAndFillPath";
    NoteClip(&c, pco);
    c.iSolidColor = pboFill ? pboFill->iSolidColor : 0xDEAD;
    c.ulMixOrRop = mix;
    c.flOptions = flOptions;
    c.flLine = pla ? pla->fl : 0xDEAD;
    c.path = PathText(ppo);
    c.flPath = ppo ? ppo->fl : 0;
    (void)pboStroke;
    g_fake.calls.push_back(c);
    return pso != nullptr;
}

BOOL FakeBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ*, RECTL* prclTrg,
                POINTL* pptlSrc, POINTL*, BRUSHOBJ* pbo, POINTL*, ROP4 rop4)
{
    FakeCall c;
    c.name = "BitBlt";
    if (psoMask)
        for (LONG y = 0; y < psoMask->sizlBitmap.cy; y++) {
            const BYTE* p = static_cast<const BYTE*>(psoMask->pvScan0) + y * psoMask->lDelta;
            for (LONG x = 0; x < psoMask->sizlBitmap.cx; x++)
                c.mask += (p[x >> 3] & (0x80 >> (x & 7))) ? '#' : '.';
            c.mask += '\n';
        }
    NoteClip(&c, pco);
    c.iSolidColor = pbo ? pbo->iSolidColor : 0xDEAD;
    c.ulMixOrRop = rop4;
    c.rclTrg = *prclTrg;
    c.bSource = psoSrc != nullptr;
    if (pptlSrc)
        c.rclSrc = RECTL{pptlSrc->x, pptlSrc->y, 0, 0};
    g_fake.calls.push_back(c);
    return psoTrg != nullptr;
}

BOOL FakeCopyBits(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ*, RECTL* prclDst, POINTL*)
{
    FakeCall c;
    c.name = "CopyBits";
    NoteClip(&c, pco);
    c.rclTrg = *prclDst;
    c.bSource = psoSrc != nullptr;
    g_fake.calls.push_back(c);
    return psoDst != nullptr;
}

BOOL FakeStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*, COLORADJUSTMENT*,
                    POINTL*, RECTL* prclDest, RECTL* prclSrc, POINTL*, ULONG)
{
    FakeCall c;
    c.name = "StretchBlt";
    NoteClip(&c, pco);
    c.rclTrg = *prclDest;
    c.rclSrc = *prclSrc;
    c.bSource = psoSrc != nullptr;
    g_fake.calls.push_back(c);
    return psoDest != nullptr;
}

BOOL FakeStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                       COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                       POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4)
{
    FakeCall c;
    c.name = "StretchBltROP";
    NoteClip(&c, pco);
    c.rclTrg = *prclDest;
    c.rclSrc = *prclSrc;
    c.ulMixOrRop = rop4;
    c.bSource = psoSrc != nullptr;
    g_fake.calls.push_back(c);
    // Passes the call on as a driver does: the engine hands it back.
    return EngStretchBltROP(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask,
                            iMode, pbo, rop4);
}

BOOL FakeLineTo(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1, LONG x2, LONG y2, RECTL*, MIX mix)
{
    FakeCall c;
    c.name = "LineTo";
    NoteClip(&c, pco);
    c.iSolidColor = pbo ? pbo->iSolidColor : 0xDEAD;
    c.ulMixOrRop = mix;
    c.rclTrg = RECTL{x1, y1, x2, y2};
    g_fake.calls.push_back(c);
    return pso != nullptr;
}

BOOL FakeRealizeBrush(BRUSHOBJ* pbo, SURFOBJ*, SURFOBJ* psoPattern, SURFOBJ*, XLATEOBJ*, ULONG iHatch)
{
    FakeCall c;
    c.name = "RealizeBrush";
    c.iHatch = iHatch;
    c.rclSrc = RECTL{0, 0, psoPattern ? psoPattern->sizlBitmap.cx : -1, psoPattern ? psoPattern->sizlBitmap.cy : -1};
    g_fake.calls.push_back(c);
    return BRUSHOBJ_pvAllocRbrush(pbo, 32) != nullptr;
}

const DRVFN g_afn[] = {
    // life of the PDEV and its surface
    {INDEX_DrvEnablePDEV, Fn(FakeEnablePDEV)},
    {INDEX_DrvCompletePDEV, Fn(FakeCompletePDEV)},
    {INDEX_DrvDisablePDEV, Fn(FakeDisablePDEV)},
    {INDEX_DrvEnableSurface, Fn(FakeEnableSurface)},
    {INDEX_DrvDisableSurface, Fn(FakeDisableSurface)},
    // drawing, reached when the surface hooks it
    {INDEX_DrvStrokePath, Fn(FakeStrokePath)},
    {INDEX_DrvFillPath, Fn(FakeFillPath)},
    {INDEX_DrvStrokeAndFillPath, Fn(FakeStrokeAndFillPath)},
    {INDEX_DrvBitBlt, Fn(FakeBitBlt)},
    {INDEX_DrvCopyBits, Fn(FakeCopyBits)},
    {INDEX_DrvStretchBlt, Fn(FakeStretchBlt)},
    {INDEX_DrvStretchBltROP, Fn(FakeStretchBltROP)},
    {INDEX_DrvLineTo, Fn(FakeLineTo)},
    // brushes the engine asks the driver to realize
    {INDEX_DrvRealizeBrush, Fn(FakeRealizeBrush)},
};

const DRVENABLEDATA g_ded = {DDI_DRIVER_VERSION_NT5, sizeof(g_afn) / sizeof(g_afn[0]), const_cast<DRVFN*>(g_afn)};

}  // namespace

FakeDriver& Fake()
{
    return g_fake;
}

void FakeReset(FLONG flHooks, BOOL bBitmapSurface, ULONG iFormat, LONG cyBand)
{
    g_fake.cyBand = cyBand;
    g_fake.flHooks = flHooks;
    g_fake.bBitmapSurface = bBitmapSurface;
    g_fake.iFormat = iFormat;
    g_fake.calls.clear();
}

const DRVENABLEDATA* FakeDriverTable()
{
    return &g_ded;
}

std::vector<FakeCall> FakeCalls(const char* pszName)
{
    std::vector<FakeCall> out;
    for (const FakeCall& c : g_fake.calls)
        if (c.name == pszName)
            out.push_back(c);
    return out;
}

std::string FakeNames()
{
    std::string s;
    for (const FakeCall& c : g_fake.calls)
        s += (s.empty() ? "" : " ") + c.name;
    return s;
}
