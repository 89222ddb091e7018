// The PDEV: creation and fix-ups, GDIINFO and DEVINFO, surfaces, teardown.
#include "tests/gfx_frame/frame_fixture.h"

#include "ui/settings/dmvalidate.h"

namespace {

// --- the enabled PDEV --------------------------------------------------------

struct EnabledPdev {
    PDEV* p = nullptr;
    GDIINFO gi = {};
    DEVINFO di = {};
    explicit EnabledPdev(std::vector<BYTE>& dm, HANDLE hPrinter = nullptr)
    {
        p = GenEnablePDEV(reinterpret_cast<DEVMODEW*>(dm.data()), nullptr, 0, nullptr, sizeof(gi),
                          reinterpret_cast<ULONG*>(&gi), sizeof(di), &di, nullptr,
                          const_cast<LPWSTR>(u"QX-730 Frame"), hPrinter);
    }
    ~EnabledPdev()
    {
        if (p)
            GenDisablePDEV(p);
    }
    DRVDEVMODE* dm() { return pGetJobDevmode(p); }
};

TEST(EnablePdev, FixedPartAtItsOffsets)
{
    std::vector<BYTE> dm = DefaultDevmode();
    EnabledPdev e(dm);
    ASSERT_NE(e.p, nullptr);
    const BYTE* pb = reinterpret_cast<const BYTE*>(e.p);
    const BYTE abSig[4] = {'D', 'L', 'X', 'P'};
    EXPECT_EQ(std::memcmp(pb, abSig, 4), 0);
    EXPECT_EQ(std::memcmp(pb + 6456, abSig, 4), 0);
    WORD w;
    std::memcpy(&w, pb + 6452, 2);
    EXPECT_EQ(w, 7876);
    std::memcpy(&w, pb + 6454, 2);
    EXPECT_EQ(w, 37183);
    DWORD dw;
    std::memcpy(&dw, pb + 20, 4);
    EXPECT_EQ(dw, 4092u);
    EXPECT_EQ(e.p->ibRecWrite, 4u);
    EXPECT_EQ(PdevWriteJobData(e.p), &bWriteJobData);
    EXPECT_EQ(PdevEmitJobRecord(e.p), &bEmitJobRecord);
    EXPECT_EQ(std::memcmp(pb + 6460, dm.data(), 220), 0);  // the public header as given
    const BYTE abNull[4] = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(pb + 6460 + 1412, abNull, 4), 0);
    PDLWORK* pWork = pGetPdlWork(e.p);
    EXPECT_EQ(reinterpret_cast<BYTE*>(pWork) - pb, 9075);
    LONG lWorkOffset;  // the work area sits at an odd offset: read it bytewise
    std::memcpy(&lWorkOffset, pb + 9075 + 4, 4);
    EXPECT_EQ(lWorkOffset, 9075);
}

TEST(EnablePdev, EnableAndDisableLeaveNoMemoryBehind)
{
    std::vector<BYTE> dm = DefaultDevmode();
    DRVENABLEDATA ded = {};
    ASSERT_TRUE(DrvEnableDriver(0x30000, sizeof(ded), &ded));
    auto pfnEnable = reinterpret_cast<PFN_DrvEnablePDEV>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvEnablePDEV)));
    auto pfnDisable = reinterpret_cast<PFN_DrvDisablePDEV>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvDisablePDEV)));
    auto pfnEnableSurface = reinterpret_cast<PFN_DrvEnableSurface>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvEnableSurface)));
    auto pfnDisableSurface = reinterpret_cast<PFN_DrvDisableSurface>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvDisableSurface)));
    GDIINFO gi;
    DEVINFO di;
    EXPECT_EQ(pfnEnable(nullptr, nullptr, 0, nullptr, sizeof(gi), reinterpret_cast<ULONG*>(&gi),
                        sizeof(di), &di, nullptr, nullptr, nullptr),
              nullptr);
    LONG blocks = 0;
    LONG objects = 0;
    for (int round = 0; round < 3; round++) {
        if (round == 1) {  // after a first round that fills the option caches
            blocks = PlatGlobalLiveBlocks();
            objects = PlatEngLiveObjects();
        }
        HSURF ahPat[3] = {reinterpret_cast<HSURF>(1), reinterpret_cast<HSURF>(2),
                          reinterpret_cast<HSURF>(3)};
        DHPDEV dhpdev = pfnEnable(reinterpret_cast<DEVMODEW*>(dm.data()), nullptr, 3, ahPat,
                                  sizeof(gi), reinterpret_cast<ULONG*>(&gi), sizeof(di), &di,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(dhpdev, nullptr);
        EXPECT_EQ(ahPat[2], nullptr);
        EXPECT_NE(di.hpalDefault, nullptr);
        ASSERT_NE(pfnEnableSurface(dhpdev), nullptr);
        pfnDisableSurface(dhpdev);
        pfnDisable(dhpdev);
        if (round > 0) {
            EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
            EXPECT_EQ(PlatEngLiveObjects(), objects);
        }
    }
}

// The default palette GDI is handed is the one the PDEV keeps and deletes at
// disable, in every mode: one created per enable, none left behind.
TEST(EnablePdev, DefaultPaletteIsTheOneThePdevDeletes)
{
    const struct {
        const char* pszMode;
        BYTE graphicsMode, oneBit;
    } kCases[] = {
        {"vector", 2, 0},
        {"vector, one bit a pixel", 2, 1},
        {"bitmap", 1, 0},
    };
    for (const auto& c : kCases) {
        std::vector<BYTE> dm = DefaultDevmode();
        DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
        pdm->ui.lpGraphicsMode = c.graphicsMode;
        pdm->env.f1Plane1Bit_Check = c.oneBit;
        { EnabledPdev warm(dm); }  // fills the option caches
        LONG objects = PlatEngLiveObjects();
        {
            EnabledPdev e(dm);
            ASSERT_NE(e.p, nullptr) << c.pszMode;
            EXPECT_NE(e.di.hpalDefault, nullptr) << c.pszMode;
            EXPECT_EQ(PdevHpal(e.p), e.di.hpalDefault) << c.pszMode;
            EXPECT_EQ(PlatEngLiveObjects(), objects + 1) << c.pszMode;
            if (c.oneBit) {
                EXPECT_EQ(e.di.iDitherFormat, static_cast<ULONG>(BMF_1BPP)) << c.pszMode;
            }
        }
        EXPECT_EQ(PlatEngLiveObjects(), objects) << c.pszMode;
    }
}

TEST(EnablePdev, AllocationFailureFreesWhatWasTaken)
{
    std::vector<BYTE> dm = DefaultDevmode();
    LONG blocks = PlatGlobalLiveBlocks();
    for (LONG n = 1; n <= 2; n++) {
        PlatFailAllocation(n);  // the chain head, then the PDEV block
        EnabledPdev e(dm);
        EXPECT_EQ(e.p, nullptr);
        PlatFailAllocation(0);
        EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
    }
}

struct FixupCase {
    BYTE layoutCheck, layout, zoomCheck, layoutKind, booklet, graphicsMode;
    BYTE layoutOut, orderOut;
    SHORT zoomOut, duplexOut;
    BYTE fontUseOut;
    LONG scaleOut;
};

class EnableFixups : public ::testing::TestWithParam<FixupCase> {};

TEST_P(EnableFixups, JobDevmodeAfterEnable)
{
    const FixupCase& c = GetParam();
    std::vector<BYTE> dm = DefaultDevmode();
    DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
    pdm->ui.Layout_Check = c.layoutCheck;
    pdm->ui.lpLayout = c.layout;
    pdm->ui.lpOrder = 3;
    pdm->ui.ZoomCheck = c.zoomCheck;
    pdm->ui.Zoom = 150;
    pdm->ui.bLayoutKind = c.layoutKind;
    pdm->ui.lpBooklet = c.booklet;
    pdm->ui.lpGraphicsMode = c.graphicsMode;
    pdm->ui.FontUseFlg = 1;
    pdm->ui.dmMirror.dmDuplex = DMDUP_SIMPLEX;
    std::memset(pdm->ui.abReserved1412, 0x77, 4);
    EnabledPdev e(dm);
    ASSERT_NE(e.p, nullptr);
    EXPECT_EQ(e.dm()->ui.lpLayout, c.layoutOut);
    EXPECT_EQ(e.dm()->ui.lpOrder, c.orderOut);
    EXPECT_EQ(e.dm()->ui.Zoom, c.zoomOut);
    EXPECT_EQ(e.dm()->ui.dmMirror.dmDuplex, c.duplexOut);
    EXPECT_EQ(e.dm()->ui.FontUseFlg, c.fontUseOut);
    EXPECT_EQ(e.p->lNupScale, c.scaleOut);
    const BYTE abNull[4] = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(e.dm()->ui.abReserved1412, abNull, 4), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnableFixups,
    ::testing::Values(
        // No layout: one page per sheet whatever lpLayout said; no zoom: 100 %.
        FixupCase{0, 4, 0, 0, 0, 2, 1, 3, 100, DMDUP_SIMPLEX, 1, 10000},
        // Zoom without layout keeps its zoom.
        FixupCase{0, 4, 1, 0, 0, 2, 1, 3, 150, DMDUP_SIMPLEX, 1, 10000},
        // Booklet layout: duplex 3, layout 8 (order 1) or 9 (order 2).
        FixupCase{0, 1, 0, 4, 0, 2, 8, 1, 100, DMDUP_HORIZONTAL, 1, 10000},
        FixupCase{0, 1, 0, 4, 1, 2, 9, 2, 100, DMDUP_HORIZONTAL, 1, 10000},
        // Bitmap mode clears the font use.
        FixupCase{0, 1, 0, 0, 0, 1, 1, 3, 100, DMDUP_SIMPLEX, 0, 10000}));

// --- GDIINFO and DEVINFO --------------------------------------------------------

void SetA4Geometry(DRVDEVMODE* pdm, SHORT nOrientation)
{
    pdm->ui.dmMirror.dmPrintQuality = 600;
    pdm->ui.dmMirror.dmYResolution = 600;
    pdm->ui.dmMirror.dmOrientation = nOrientation;
    pdm->ui.rcPrintMm = {500, 400, 20500, 29300};
    pdm->ui.rcPrintDots = {118, 94, 4842, 6920};
    pdm->ui.sizePaperDots = {4960, 7014};
}

struct GdiInfoCase {
    SHORT nOrientation;
    ULONG horzSize, vertSize, horzRes, vertRes;
    LONG offX, offY, physX, physY;
};

class FillGdiInfoGeometry : public ::testing::TestWithParam<GdiInfoCase> {};

TEST_P(FillGdiInfoGeometry, PrintableAreaAndLandscapeTurn)
{
    const GdiInfoCase& c = GetParam();
    BarePdev pdev;
    SetA4Geometry(pdev.dm(), c.nOrientation);
    pdev.dm()->ui.lpGraphicsMode = 2;
    pdev.dm()->ui.dmMirror.dmColor = DMCOLOR_COLOR;
    GDIINFO gi;
    std::memset(&gi, 0xCD, sizeof(gi));
    FillGdiInfo(pdev.p(), sizeof(gi), &gi);
    EXPECT_EQ(gi.ulVersion, 0x500u);
    EXPECT_EQ(gi.ulTechnology, 2u);
    EXPECT_EQ(gi.ulHorzSize, c.horzSize);
    EXPECT_EQ(gi.ulVertSize, c.vertSize);
    EXPECT_EQ(gi.ulHorzRes, c.horzRes);
    EXPECT_EQ(gi.ulVertRes, c.vertRes);
    EXPECT_EQ(gi.ptlPhysOffset.x, c.offX);
    EXPECT_EQ(gi.ptlPhysOffset.y, c.offY);
    EXPECT_EQ(gi.szlPhysSize.cx, c.physX);
    EXPECT_EQ(gi.szlPhysSize.cy, c.physY);
    EXPECT_EQ(gi.cBitsPixel, 24u);
    EXPECT_EQ(gi.cPlanes, 1u);
    EXPECT_EQ(gi.ulNumColors, 8u);
    EXPECT_EQ(gi.ulLogPixelsX, 600u);
    EXPECT_EQ(gi.ulLogPixelsY, 600u);
    EXPECT_EQ(gi.flTextCaps, 0x1817u);
    EXPECT_EQ(gi.ulAspectXY, 848u);
    EXPECT_EQ(gi.denStyleStep, 24);
    EXPECT_EQ(gi.ulHTPatternSize, 7u);
    EXPECT_EQ(gi.ulHTOutputFormat, 2u);
    EXPECT_EQ(gi.flHTFlags, 2u);
    EXPECT_EQ(gi.ulNumPalReg, 0u);
    const LONG aci[30] = {6380, 3350, 0, 2345, 6075, 0, 1410, 932, 0, 2000,
                          2450, 0, 5210, 2100, 0, 4750, 5100, 0, 3127, 3290,
                          0, 10000, 10000, 10000, 585, 120, 0, 0, 0, 10000};
    EXPECT_EQ(std::memcmp(&gi.ciDevice, aci, sizeof(aci)), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FillGdiInfoGeometry,
                         ::testing::Values(GdiInfoCase{1, 200, 289, 4724, 6826, 118, 94, 4960, 7014},
                                           GdiInfoCase{2, 289, 200, 6826, 4724, 94, 118, 7014, 4960}));

TEST(FillGdiInfoCopy, CopiesOnlyTheSizeAsked)
{
    BarePdev pdev;
    SetA4Geometry(pdev.dm(), 1);
    BYTE ab[16];
    std::memset(ab, 0xCD, sizeof(ab));
    FillGdiInfo(pdev.p(), 8, reinterpret_cast<GDIINFO*>(ab));
    const BYTE abExpected[16] = {0x00, 0x05, 0, 0, 2, 0, 0, 0, 0xCD, 0xCD, 0xCD, 0xCD, 0xCD, 0xCD, 0xCD, 0xCD};
    EXPECT_EQ(std::memcmp(ab, abExpected, 16), 0);
}

struct HalftoneCase {
    ULONG x, y;
    BOOL bFlag;
    ULONG ulSize;
};

class HalftoneSize : public ::testing::TestWithParam<HalftoneCase> {};

TEST_P(HalftoneSize, ByTheSmallerResolution)
{
    const HalftoneCase& c = GetParam();
    EXPECT_EQ(GetHalftonePatternSize(c.x, c.y, c.bFlag), c.ulSize);
}

INSTANTIATE_TEST_SUITE_P(Cases, HalftoneSize,
                         ::testing::Values(HalftoneCase{600, 600, FALSE, 7}, HalftoneCase{1200, 1200, FALSE, 11},
                                           HalftoneCase{150, 150, FALSE, 3}, HalftoneCase{2400, 2400, FALSE, 15},
                                           HalftoneCase{1800, 2400, FALSE, 13}, HalftoneCase{900, 900, FALSE, 9},
                                           HalftoneCase{400, 600, FALSE, 7}, HalftoneCase{399, 600, FALSE, 5},
                                           HalftoneCase{180, 180, FALSE, 5}, HalftoneCase{179, 180, FALSE, 3},
                                           HalftoneCase{600, 600, TRUE, 5}));

struct DevInfoCase {
    BYTE graphicsMode;
    SHORT color;
    FLONG caps;
    ULONG ditherFormat;
    USHORT cxDither;
};

class FillDevInfo : public ::testing::TestWithParam<DevInfoCase> {};

TEST_P(FillDevInfo, CapsAndPaletteByMode)
{
    const DevInfoCase& c = GetParam();
    BarePdev pdev;
    pdev.dm()->ui.lpGraphicsMode = c.graphicsMode;
    pdev.dm()->ui.dmMirror.dmColor = c.color;
    DEVINFO di;
    std::memset(&di, 0xCD, sizeof(di));
    ASSERT_TRUE(bFillDevInfo(pdev.p(), sizeof(di), &di));
    EXPECT_EQ(di.flGraphicsCaps, c.caps);
    EXPECT_EQ(di.iDitherFormat, c.ditherFormat);
    EXPECT_EQ(di.cxDither, c.cxDither);
    EXPECT_EQ(di.cyDither, c.cxDither);
    EXPECT_EQ(di.cFonts, 0u);
    EXPECT_EQ(di.flGraphicsCaps2, 0u);
    EXPECT_NE(di.hpalDefault, nullptr);
    EXPECT_EQ(di.hpalDefault, PdevHpal(pdev.p()));
    LONG objects = PlatEngLiveObjects();
    ASSERT_TRUE(bFillDevInfo(pdev.p(), sizeof(di), &di));  // the old palette goes
    EXPECT_EQ(PlatEngLiveObjects(), objects);
    EXPECT_TRUE(EngDeletePalette(PdevHpal(pdev.p())));
}

INSTANTIATE_TEST_SUITE_P(Cases, FillDevInfo,
                         ::testing::Values(DevInfoCase{1, 1, 0x0080253F, BMF_1BPP, 8},
                                           DevInfoCase{1, 2, 0x0000211F, BMF_24BPP, 0},
                                           DevInfoCase{2, 1, 0x0000A11F, BMF_24BPP, 0}));

TEST(DevInfoFonts, HeightFromResolutionAndFaceInOrdexMode)
{
    BarePdev pdev;
    pdev.dm()->ui.dmMirror.dmPrintQuality = 600;
    DEVINFO di = {};
    for (BYTE mode : {BYTE(1), BYTE(2)}) {
        pdev.dm()->ui.lpGraphicsMode = mode;
        CustFillDevInfoFonts(pdev.p(), &di);
        EXPECT_EQ(di.lfDefaultFont.lfHeight, 83);
        EXPECT_EQ(di.lfDefaultFont.lfWidth, mode == 2 ? 41 : 0);
        EXPECT_EQ(di.lfDefaultFont.lfWeight, mode == 2 ? 400 : 0);
        EXPECT_EQ(di.lfDefaultFont.lfCharSet, 128);
        EXPECT_EQ(di.lfDefaultFont.lfOutPrecision, mode == 2 ? 2 : 0);
        EXPECT_EQ(di.lfDefaultFont.lfClipPrecision, mode == 2 ? 1 : 0);
        EXPECT_EQ(di.lfDefaultFont.lfPitchAndFamily, 17);
        EXPECT_EQ(std::u16string(di.lfDefaultFont.lfFaceName), mode == 2 ? u"HG明朝L" : u"");
        EXPECT_EQ(di.lfAnsiVarFont.lfHeight, 83);
        EXPECT_EQ(di.lfAnsiVarFont.lfPitchAndFamily, 18);
        EXPECT_EQ(di.lfAnsiFixFont.lfHeight, 83);
        EXPECT_EQ(di.lfAnsiFixFont.lfPitchAndFamily, 49);
        EXPECT_EQ(di.lfAnsiFixFont.lfCharSet, 0);
    }
}

// --- surfaces -------------------------------------------------------------------

struct SurfaceCase {
    BYTE graphicsMode;
    SHORT color;
    LONG cx, cy;
    WORD orientation;
    LONG cxExpected, cyExpected;  // size of the surface (a band when banded)
    ULONG iFormat;
    USHORT iType;
    BOOL bBanded;
    FLONG flHooks;
};

class EnableSurface : public ::testing::TestWithParam<SurfaceCase> {};

TEST_P(EnableSurface, SizeFormatBandingAndHooks)
{
    const SurfaceCase& c = GetParam();
    BarePdev pdev;
    pdev.dm()->ui.lpGraphicsMode = c.graphicsMode;
    pdev.dm()->ui.dmMirror.dmColor = c.color;
    pdev.dm()->ui.rcPrintDots = {0, 0, c.cx, c.cy};
    pdev.p()->wOrientation = c.orientation;
    LONG objects = PlatEngLiveObjects();
    HSURF hsurf = GenEnableSurface(pdev.p());
    ASSERT_NE(hsurf, nullptr);
    EXPECT_EQ(PdevHsurf(pdev.p()), hsurf);
    SURFOBJ* pso = EngLockSurface(hsurf);
    EXPECT_EQ(pso->sizlBitmap.cx, c.cxExpected);
    EXPECT_EQ(pso->sizlBitmap.cy, c.cyExpected);
    EXPECT_EQ(pso->iBitmapFormat, c.iFormat);
    EXPECT_EQ(pso->iType, c.iType);
    if (c.iType == STYPE_BITMAP) {
        EXPECT_EQ(pso->lDelta, c.color == 1 ? (c.cxExpected + 7) / 8 : c.cxExpected * 3);
        EXPECT_EQ(pdev.p()->cyPage, c.orientation == 2 ? c.cx : c.cy);
    }
    EngUnlockSurface(pso);
    FLONG flHooks = 0;
    BOOL bBanding = FALSE;
    PlatEngQuerySurface(hsurf, &flHooks, &bBanding);
    EXPECT_EQ(bBanding, c.bBanded);
    EXPECT_EQ(flHooks, c.flHooks);
    GenDisableSurface(pdev.p());
    EXPECT_EQ(PdevHsurf(pdev.p()), nullptr);
    EXPECT_EQ(PlatEngLiveObjects(), objects);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnableSurface,
    ::testing::Values(
        // 24-bit rows of 14400 bytes: a band holds 0x850000 / 14400 = 605 rows.
        SurfaceCase{1, 2, 4800, 605, 1, 4800, 605, BMF_24BPP, STYPE_BITMAP, FALSE, 0x40B},
        SurfaceCase{1, 2, 4800, 606, 1, 4800, 605, BMF_24BPP, STYPE_BITMAP, TRUE, 0x40B},
        // 1-bit rows of 600 bytes: 14529 rows a band.
        SurfaceCase{1, 1, 4800, 6800, 1, 4800, 6800, BMF_1BPP, STYPE_BITMAP, FALSE, 0x40B},
        // Landscape turns the page.
        SurfaceCase{1, 1, 4800, 6800, 2, 6800, 4800, BMF_1BPP, STYPE_BITMAP, FALSE, 0x40B},
        // ORDEX output: a device surface of the whole page.
        SurfaceCase{2, 2, 4800, 6800, 1, 4800, 6800, BMF_24BPP, STYPE_DEVICE, FALSE, 0x4EB}));

struct AssociateCase {
    ULONG ulFailMask;  // calls of EngAssociateSurface that fail
    BOOL bSurface;
    BOOL bRetryMessage;
    BOOL bSecondMessage;
};

class CustSurface : public ::testing::TestWithParam<AssociateCase> {};

TEST_P(CustSurface, RetriesOnceAndFailsWithoutHooks)
{
    const AssociateCase& c = GetParam();
    BarePdev pdev;
    pdev.dm()->ui.lpGraphicsMode = 2;
    pdev.dm()->ui.rcPrintDots = {0, 0, 4800, 6800};
    pdev.p()->wOrientation = 1;
    LONG objects = PlatEngLiveObjects();
    PlatClearDebugLog();
    PlatEngFailAssociate(c.ulFailMask);
    HSURF hsurf = CustEnableSurface(reinterpret_cast<DHPDEV>(pdev.p()));
    PlatEngFailAssociate(0);
    EXPECT_EQ(hsurf != nullptr, c.bSurface);
    std::string log = PlatDebugLog();
    EXPECT_EQ(log.find("EngAssociateSurface()エラー") != std::string::npos, c.bRetryMessage);
    EXPECT_EQ(log.find("EngAssociateSurface()再トライエラー") != std::string::npos, c.bSecondMessage);
    if (hsurf) {
        FLONG flHooks = 0;
        PlatEngQuerySurface(hsurf, &flHooks, nullptr);
        EXPECT_EQ(flHooks, 0x24EBu);
        GenDisableSurface(pdev.p());
    } else {
        EXPECT_EQ(PdevHsurf(pdev.p()), nullptr);
    }
    EXPECT_EQ(PlatEngLiveObjects(), objects);
}

INSTANTIATE_TEST_SUITE_P(Cases, CustSurface,
                         ::testing::Values(AssociateCase{0x0, TRUE, FALSE, FALSE},
                                           AssociateCase{0x2, TRUE, TRUE, FALSE},
                                           AssociateCase{0x6, FALSE, TRUE, TRUE}));

TEST(CustSurfaceOnePlane, LandscapeSurfaceIsTurned)
{
    BarePdev pdev;
    pdev.dm()->ui.lpGraphicsMode = 2;
    pdev.dm()->env.f1Plane1Bit_Check = 1;
    pdev.dm()->ui.rcPrintDots = {100, 100, 4100, 6100};
    for (WORD orientation : {WORD(1), WORD(2)}) {
        pdev.p()->wOrientation = orientation;
        HSURF hsurf = CustEnableSurface(reinterpret_cast<DHPDEV>(pdev.p()));
        ASSERT_NE(hsurf, nullptr);
        SURFOBJ* pso = EngLockSurface(hsurf);
        EXPECT_EQ(pso->iBitmapFormat, static_cast<ULONG>(BMF_1BPP));
        EXPECT_EQ(pso->sizlBitmap.cx, orientation == 2 ? 6000 : 4000);
        EXPECT_EQ(pso->sizlBitmap.cy, orientation == 2 ? 4000 : 6000);
        EngUnlockSurface(pso);
        GenDisableSurface(pdev.p());
    }
}

// --- the printer's stored options -----------------------------------------------

TEST(StoredOptions, OnlyAFullSizeValueIsUsed)
{
    InstallFramePrinter();
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(FRAME_PRINTER), &hPrinter, nullptr));
    std::vector<BYTE> dflt = DefaultDevmode();
    BYTE bDefault = reinterpret_cast<DRVDEVMODE*>(dflt.data())->env.lpHardDisk;
    std::vector<BYTE> stored = dflt;
    reinterpret_cast<DRVDEVMODE*>(stored.data())->env.lpHardDisk = bDefault ? 0 : 1;

    struct Case {
        DWORD cbStored;
        BYTE bExpected;
    } aCases[] = {{2330, bDefault}, {DRV_DEVMODE_SIZE, static_cast<BYTE>(bDefault ? 0 : 1)}};
    for (const Case& c : aCases) {
        ASSERT_EQ(SetPrinterDataW(hPrinter, const_cast<LPWSTR>(u"RNOVA NT"), 3 /* REG_BINARY */,
                                  stored.data(), c.cbStored),
                  static_cast<DWORD>(ERROR_SUCCESS));
        std::vector<BYTE> job = dflt;
        GDIINFO gi;
        DEVINFO di;
        DHPDEV dhpdev = CustEnablePDEV(reinterpret_cast<DEVMODEW*>(job.data()), nullptr, 0, nullptr,
                                       sizeof(gi), reinterpret_cast<ULONG*>(&gi), sizeof(di), &di,
                                       nullptr, const_cast<LPWSTR>(FRAME_PRINTER), hPrinter);
        ASSERT_NE(dhpdev, nullptr);
        EXPECT_EQ(pGetJobDevmode(reinterpret_cast<PDEV*>(dhpdev))->env.lpHardDisk, c.bExpected)
            << "stored " << c.cbStored << " bytes";
        GenDisablePDEV(reinterpret_cast<PDEV*>(dhpdev));
    }
    ClosePrinter(hPrinter);
}



TEST(DisablePdev, AJobLeftOpenIsTornDown)
{
    InstallFramePrinter();
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(FRAME_PRINTER), &hPrinter, nullptr));
    DOC_INFO_1W info = {const_cast<LPWSTR>(u"open job"), nullptr, const_cast<LPWSTR>(u"RAW")};
    ASSERT_NE(StartDocPrinterW(hPrinter, 1, reinterpret_cast<LPBYTE>(&info)), 0u);
    std::vector<BYTE> dm = DefaultDevmode();
    reinterpret_cast<DRVDEVMODE*>(dm.data())->ui.bLayoutKind = 4;  // booklet: a spool file
    GDIINFO gi;
    DEVINFO di;
    LONG blocks = 0;
    for (int round = 0; round < 2; round++) {
        if (round == 1)
            blocks = PlatGlobalLiveBlocks();
        PDEV* p = reinterpret_cast<PDEV*>(CustEnablePDEV(
            reinterpret_cast<DEVMODEW*>(dm.data()), nullptr, 0, nullptr, sizeof(gi),
            reinterpret_cast<ULONG*>(&gi), sizeof(di), &di, nullptr,
            const_cast<LPWSTR>(FRAME_PRINTER), hPrinter));
        ASSERT_NE(p, nullptr);
        HDEV hdev = PlatEngCreateDevice(reinterpret_cast<DHPDEV>(p));
        GenCompletePDEV(p, hdev);
        ASSERT_NE(CustEnableSurface(reinterpret_cast<DHPDEV>(p)), nullptr);
        SURFOBJ* pso = EngLockSurface(PdevHsurf(p));
        ASSERT_TRUE(GenStartDoc(pso, const_cast<LPWSTR>(u"open job"), 1));
        ASSERT_TRUE(GenStartPage(pso));
        ASSERT_NE(PdevWriter(p), nullptr);
        std::u16string spl = PdevWriter(p)->pState->szTempFile;
        EXPECT_NE(GetFileAttributesW(spl.c_str()), INVALID_FILE_ATTRIBUTES);
        EngUnlockSurface(pso);
        GenDisableSurface(p);
        GenDisablePDEV(p);  // no EndDoc
        PlatEngDeleteDevice(hdev);
        EXPECT_EQ(GetFileAttributesW(spl.c_str()), INVALID_FILE_ATTRIBUTES);
        if (round == 1) {
            EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
        }
    }
    AbortPrinter(hPrinter);
    ClosePrinter(hPrinter);
}

// --- banding ----------------------------------------------------------------------

struct BandCase {
    LONG cyPage;
    std::vector<LONG> origins;  // band tops of every page
};

class Banding : public ::testing::TestWithParam<BandCase> {};

TEST_P(Banding, EveryPageGetsAllItsBands)
{
    const BandCase& c = GetParam();
    ResetSink();
    BarePdev pdev;
    PDEV* p = pdev.p();
    pdev.dm()->ui.lpGraphicsMode = 1;
    pdev.dm()->ui.dmMirror.dmColor = DMCOLOR_COLOR;
    pdev.dm()->ui.rcPrintDots = {0, 0, 4800, c.cyPage};  // 605 rows a band
    p->wOrientation = 1;
    SetPdevHdev(p, PlatEngCreateDevice(reinterpret_cast<DHPDEV>(p)));
    ASSERT_NE(GenEnableSurface(p), nullptr);
    pdev.AttachRecordingWriter(REPLAY_DIRECT);
    SURFOBJ* pso = EngLockSurface(PdevHsurf(p));
    ASSERT_EQ(pso->dhpdev, reinterpret_cast<DHPDEV>(p));
    for (int page = 1; page <= 3; page++) {
        std::vector<LONG> origins;
        POINTL ptl = {};
        ASSERT_TRUE(GenStartBanding(pso, &ptl));
        origins.push_back(ptl.y);
        for (int i = 0; i < 100; i++) {
            ASSERT_TRUE(GenNextBand(pso, &ptl));
            if (ptl.x == -1 && ptl.y == -1)
                break;
            origins.push_back(ptl.y);
        }
        EXPECT_EQ(origins, c.origins) << "page " << page;
        EXPECT_EQ(p->cPages, static_cast<DWORD>(page));
        EXPECT_FALSE(p->fJob & PDEVF_PAGEOPEN);
    }
    EngUnlockSurface(pso);
    GenDisableSurface(p);
    PlatEngDeleteDevice(PdevHdev(p));
    CloseJobRecordStream(p);
}

INSTANTIATE_TEST_SUITE_P(Cases, Banding,
                         ::testing::Values(BandCase{1300, {0, 605, 1210}},
                                           BandCase{1210, {0, 605}},  // an exact multiple
                                           BandCase{606, {0, 605}}));

}  // namespace
