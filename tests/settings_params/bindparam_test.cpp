// Binding handlers: where each parameter lives in the DEVMODE (checked
// against the DEVMODE record's own field offsets and widths), the slot
// layout, the normalisers, and the rule that a side not given is not
// answered.
#include "ui/settings/bindparam.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/settings/devmode.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"

namespace {

#define DMOFF(f) (WORD) offsetof(DRVDEVMODE, f)
#define DMSIZE(f) (WORD) sizeof(((DRVDEVMODE*)nullptr)->f)

PFNBINDPARAM Handler(WORD wParamId) {
    for (const UIPARAM* p = GetUiParamTable(); p->wParamId; ++p)
        if (p->wParamId == wParamId) return p->pfnBind;
    return nullptr;
}

struct CurrentCase {
    WORD param;
    WORD offset;
    WORD width;
};

// Item parameters read their current value from these DEVMODE fields.
const CurrentCase kCurrent[] = {
    {1, DMOFF(dm.dmCopies), DMSIZE(dm.dmCopies)},
    {2, DMOFF(dm.dmOrientation), DMSIZE(dm.dmOrientation)},
    {3, DMOFF(dm.dmPaperSize), DMSIZE(dm.dmPaperSize)},
    {4, DMOFF(ui.lpOutputPaper), DMSIZE(ui.lpOutputPaper)},
    {5, DMOFF(ui.ZoomCheck), DMSIZE(ui.ZoomCheck)},
    {6, DMOFF(ui.Zoom), DMSIZE(ui.Zoom)},
    {7, DMOFF(dm.dmDefaultSource), DMSIZE(dm.dmDefaultSource)},
    {13, DMOFF(ui.lpBorder), DMSIZE(ui.lpBorder)},
    {16, DMOFF(env.lpOutputTray), DMSIZE(env.lpOutputTray)},
    {24, DMOFF(env.lpCoverSource), DMSIZE(env.lpCoverSource)},
    {28, DMOFF(env.nParam28), DMSIZE(env.nParam28)},
    {32, DMOFF(env.Intensity), DMSIZE(env.Intensity)},
    {35, DMOFF(ui.lpOverlay), DMSIZE(ui.lpOverlay)},
    {47, DMOFF(env.lpQuality), DMSIZE(env.lpQuality)},
    {98, DMOFF(ui.lpPDLType), DMSIZE(ui.lpPDLType)},
    {109, DMOFF(env.lpFrontCoverTray), DMSIZE(env.lpFrontCoverTray)},
    {113, DMOFF(env.lpInsertPITray), DMSIZE(env.lpInsertPITray)},
    {130, DMOFF(env.wLastResolution), DMSIZE(env.wLastResolution)},
    {135, DMOFF(env.lpInterSheetListTray), DMSIZE(env.lpInterSheetListTray)},
    {142, DMOFF(env.lpUDPaperType), DMSIZE(env.lpUDPaperType)},
    {146, DMOFF(env.fMargin), DMSIZE(env.fMargin)},
    {153, DMOFF(env.UDMediaWidth), DMSIZE(env.UDMediaWidth)},
    {196, DMOFF(env.ImgShiftValueLRF), DMSIZE(env.ImgShiftValueLRF)},
    {203, DMOFF(ui.FontUseFlg), DMSIZE(ui.FontUseFlg)},
    {236, DMOFF(env.lpJobCombType), DMSIZE(env.lpJobCombType)},
    {240, DMOFF(env.nParam240), DMSIZE(env.nParam240)},
    {241, DMOFF(env.nParam241), DMSIZE(env.nParam241)},
    {243, DMOFF(env.nParam243), DMSIZE(env.nParam243)},
};

TEST(BindParam, CurrentValueOffsetAndWidth) {
    for (const CurrentCase& c : kCurrent) {
        std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0x7F);
        // A byte field must not pick up the byte after it.
        dm[c.offset] = 0x34;
        dm[c.offset + 1] = c.width == 2 ? 0x12 : 0x7E;
        SHORT sCurrent = -1;
        PARAMCTX ctx = {};
        ctx.wParamId = c.param;
        ctx.pDevmode = ctx.pDevmodeBase = dm.data();
        ctx.psCurrent = &sCurrent;
        PFNBINDPARAM pfn = Handler(c.param);
        ASSERT_NE(nullptr, pfn) << c.param;
        EXPECT_EQ(1, pfn(&ctx));
        EXPECT_EQ(c.width == 2 ? 0x1234 : 0x34, sCurrent) << c.param;
    }
}

struct CopiedCase {
    WORD param;
    WORD offset;
    DWORD size;
    WORD devType;
    DWORD slotSize;
    WORD slotType;
};

const CopiedCase kCopied[] = {
    {210, DMOFF(env.szParam210), DMSIZE(env.szParam210), 128, 22, 128},
    {211, DMOFF(env.szPassword), DMSIZE(env.szPassword), 128, 22, 128},
    {212, DMOFF(ui.bOverlayIndex), DMSIZE(ui.bOverlayIndex), 1, 1, 1},
    {213, DMOFF(env.szParam213), DMSIZE(env.szParam213), 128, 32, 128},
    {217, DMOFF(env.bTimeH), DMSIZE(env.bTimeH), 1, 1, 1},
    {219, DMOFF(env.szSubAddress), DMSIZE(env.szSubAddress), 128, 42, 128},
    {220, DMOFF(env.szSenderID), DMSIZE(env.szSenderID), 128, 42, 128},
    {221, DMOFF(env.szUserID), DMSIZE(env.szUserID), 128, 22, 128},
    {222, DMOFF(env.szBoxNumber), DMSIZE(env.szBoxNumber), 128, 20, 128},
    {223, DMOFF(env.pagenumStr), DMSIZE(env.pagenumStr), 64, 488, 64},
    {224, DMOFF(env.szJobID), DMSIZE(env.szJobID), 128, 22, 128},
    {225, DMOFF(env.dwParam225), DMSIZE(env.dwParam225), 16, 4, 16},
    {226, DMOFF(env.dwParam225), DMSIZE(env.dwParam225), 16, 4, 16},
    {228, DMOFF(env.bParam227), DMSIZE(env.bParam227), 1, 1, 1},
    {229, DMOFF(env.szParam229), DMSIZE(env.szParam229), 128, 132, 128},
    {230, DMOFF(env.XROutputPaperSize), DMSIZE(env.XROutputPaperSize), 4, 2, 4},
    {231, DMOFF(env.wParam231), DMSIZE(env.wParam231), 4, 2, 4},
    {232, DMOFF(env.bAutoZoom), DMSIZE(env.bAutoZoom), 1, 1, 1},
    {233, DMOFF(env.dwParam233), DMSIZE(env.dwParam233), 64, 4, 64},
    {235, DMOFF(env.nParam235), DMSIZE(env.nParam235), 1, 2, 4},
    {239, DMOFF(env.nParam239), DMSIZE(env.nParam239), 1, 2, 4},
};

TEST(BindParam, CopiedFieldsAndSlots) {
    alignas(UISETTINGS) static BYTE abObject[UIS_FIXED_SIZE];
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    for (const CopiedCase& c : kCopied) {
        void* pDev = nullptr;
        DWORD cbDev = 0, cbSlot = 0;
        WORD wDevType = 0, wSlotType = 0;
        void* pSlot = nullptr;
        PARAMCTX ctx = {};
        ctx.wParamId = c.param;
        ctx.pSettings = (UISETTINGS*)abObject;
        ctx.pDevmode = ctx.pDevmodeBase = dm.data();
        ctx.ppDevField = &pDev;
        ctx.pcbDevField = &cbDev;
        ctx.pwDevType = &wDevType;
        ctx.ppSlot = &pSlot;
        ctx.pcbSlot = &cbSlot;
        ctx.pwSlotType = &wSlotType;
        ASSERT_EQ(1, Handler(c.param)(&ctx)) << c.param;
        EXPECT_EQ(dm.data() + c.offset, pDev) << c.param;
        EXPECT_EQ(c.size, cbDev) << c.param;
        EXPECT_EQ(c.devType, wDevType) << c.param;
        EXPECT_EQ(c.slotSize, cbSlot) << c.param;
        EXPECT_EQ(c.slotType, wSlotType) << c.param;
        ASSERT_NE(nullptr, pSlot);
        EXPECT_GE((BYTE*)pSlot, abObject);
        EXPECT_LE((BYTE*)pSlot + cbSlot, abObject + UIS_SLOT_AREA);
    }
}

TEST(BindParam, SlotsAreDistinctAndInSlotOrder) {
    ASSERT_EQ(243, GetBindParamCount());
    std::vector<std::pair<DWORD, DWORD>> spans(244);
    for (int i = 0; i < GetBindParamCount(); ++i) {
        const BINDPARAMDESC* d = GetBindParamDesc(i);
        spans[d->wSlotNo] = {GetParamSlotOffset(d->wSlotNo), GetParamSlotBytes(d->wSlotNo)};
        // A slot that holds a pointer holds a whole one, on its boundary;
        // every other slot is as the table sizes it.
        bool bPtr = d->bVariant == BV_ITEMPTR || d->bVariant == BV_OPTITEM || d->bVariant == BV_BLOCK;
        if (bPtr) {
            EXPECT_GE(GetParamSlotBytes(d->wSlotNo), sizeof(void*)) << d->wParamId;
            EXPECT_EQ(0u, GetParamSlotOffset(d->wSlotNo) % alignof(void*)) << d->wParamId;
        } else {
            EXPECT_EQ(d->wSlotBytes, GetParamSlotBytes(d->wSlotNo)) << d->wParamId;
        }
        if (sizeof(void*) == 4) {
            EXPECT_EQ(d->wSlotBytes, GetParamSlotBytes(d->wSlotNo)) << d->wParamId;
        }
    }
    for (int n = 2; n <= 243; ++n) {
        EXPECT_LE(spans[n - 1].first + spans[n - 1].second, spans[n].first) << n;
        EXPECT_GE(spans[n - 1].first + spans[n - 1].second + alignof(void*) - 1, spans[n].first) << n;
        EXPECT_EQ(0u, spans[n].first % 4) << n;
    }
    EXPECT_EQ(0u, spans[1].first);  // parameter 204 is slot 1
    EXPECT_LE(GetParamSlotAreaSize(), (DWORD)UIS_SLOT_AREA);
}

TEST(BindParam, LayoutNormalisedInDevmode) {
    const struct { BYTE stored; BYTE expected; } aCases[] = {{1, 8}, {2, 8}, {5, 5}, {10, 10}};
    for (const auto& c : aCases) {
        std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
        dm[DMOFF(ui.lpLayout)] = c.stored;
        SHORT s = 0;
        PARAMCTX ctx = {};
        ctx.pDevmode = ctx.pDevmodeBase = dm.data();
        ctx.psCurrent = &s;
        BindParam_lpLayout(&ctx);
        EXPECT_EQ(c.expected, s);
        EXPECT_EQ(c.expected, dm[DMOFF(ui.lpLayout)]);
    }
}

TEST(BindParam, CoverChecksIndependentOfOrder) {
    // Cover byte -> (check, kind), bound kind first and check first, twice.
    const struct { BYTE stored; SHORT check; SHORT kind; } aCases[] = {{1, 0, 2}, {2, 1, 2}, {3, 1, 3}};
    for (const auto& c : aCases) {
        for (int order = 0; order < 2; ++order) {
            std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
            dm[DMOFF(env.lpFrontCover)] = c.stored;
            dm[DMOFF(env.lpBackCover)] = c.stored;
            SHORT aValue[4] = {};
            PFNBINDPARAM aPfn[4] = {BindParam_Front_Check, BindParam_lpFrontCover, BindParam_Back_Check,
                                    BindParam_lpBackCover};
            for (int pass = 0; pass < 2; ++pass) {
                for (int k = 0; k < 4; ++k) {
                    int j = order ? 3 - k : k;
                    PARAMCTX ctx = {};
                    ctx.pDevmode = ctx.pDevmodeBase = dm.data();
                    ctx.psCurrent = &aValue[j];
                    aPfn[j](&ctx);
                }
            }
            EXPECT_EQ(c.check, aValue[0]);
            EXPECT_EQ(c.kind, aValue[1]);
            EXPECT_EQ(c.check, aValue[2]);
            EXPECT_EQ(c.kind, aValue[3]);
            EXPECT_EQ(c.stored, dm[DMOFF(env.lpFrontCover)]);
        }
    }
}

TEST(BindParam, CustomPaperSizeSource) {
    const struct { SHORT paper; SHORT width; SHORT length; } aCases[] = {
        {9, 2100, 2970}, {256, 1500, 1800}, {513, 1500, 1800}, {515, 1500, 1800}, {521, 1500, 1800}, {522, 2100, 2970},
    };
    for (const auto& c : aCases) {
        DRVDEVMODE dm = {};
        dm.dm.dmPaperSize = c.paper;
        dm.dm.dmPaperWidth = 1500;
        dm.dm.dmPaperLength = 1800;
        dm.env.UDPaperWidth = 2100;
        dm.env.UDPaperLength = 2970;
        SHORT w = 0, l = 0;
        PARAMCTX ctx = {};
        ctx.pDevmode = ctx.pDevmodeBase = (BYTE*)&dm;
        ctx.psCurrent = &w;
        BindParam_UDPaperWidth(&ctx);
        ctx.psCurrent = &l;
        BindParam_UDPaperLength(&ctx);
        EXPECT_EQ(c.width, w) << c.paper;
        EXPECT_EQ(c.length, l) << c.paper;
    }
}

TEST(BindParam, SidesNotGivenAreNotAnswered) {
    EXPECT_EQ(0, BindParam_Copies(nullptr));
    // Settings object only: the current value stays as the caller set it.
    alignas(UISETTINGS) static BYTE abObject[UIS_FIXED_SIZE];
    SHORT s = 4321;
    void* pSlot = nullptr;
    void* pDev = (void*)1;
    PARAMCTX ctx = {};
    ctx.pSettings = (UISETTINGS*)abObject;
    ctx.psCurrent = &s;
    ctx.ppSlot = &pSlot;
    ctx.ppDevField = &pDev;
    EXPECT_EQ(1, BindParam_Copies(&ctx));
    EXPECT_EQ(4321, s);
    EXPECT_EQ((void*)1, pDev);
    EXPECT_EQ(abObject + GetParamSlotOffset(FindBindParamDesc(1)->wSlotNo), pSlot);
    // DEVMODE only: no slot, and no pointer field written into any object.
    std::vector<BYTE> dm(DRV_DEVMODE_SIZE, 0);
    pSlot = (void*)1;
    PARAMCTX ctx2 = {};
    ctx2.pDevmode = ctx2.pDevmodeBase = dm.data();
    ctx2.ppSlot = &pSlot;
    ctx2.dwAttach = 1;
    EXPECT_EQ(1, BindParam_lpOrientation(&ctx2));
    EXPECT_EQ((void*)1, pSlot);
    std::vector<BYTE> zero(DRV_DEVMODE_SIZE, 0);
    EXPECT_EQ(zero, dm);
}

}  // namespace
