// The UI settings object: created from a DEVMODE, written back unchanged,
// written back after every page-level setting changed, the derived rules of
// the write-back, the sizes of its blocks, and its memory over
// create/clone/copy/destroy.
#include "ui/settings/uisettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "ui/settings/bindparam.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/listset.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/profile.h"
#include "ui/settings/regenv.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "tests/common/testroot.h"

namespace {

#define DMOFF(f) (WORD) offsetof(DRVDEVMODE, f)

const char16_t kPrinter[] = u"Params Printer";

// A text of a DEVMODE field (which may sit at an odd offset).
std::u16string Text(const void* p, size_t cbField) {
    std::u16string s(cbField / 2, u'\0');
    memcpy(s.data(), p, cbField);
    return s.substr(0, s.find(u'\0'));
}

// Every byte equal, reported by DEVMODE offset.
void ExpectSameBytes(const std::vector<BYTE>& expected, const std::vector<BYTE>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(expected[k], actual[k]) << "DEVMODE offset " << k;
    }
}

class SettingsObject : public testing::Test {
protected:
    void SetUp() override {
        // A machine with this driver installed, so that its texts load.
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(kPrinter, u"C:\\port.prn", nullptr));
        pdb = OpenOptionDb();
        ASSERT_NE(nullptr, pdb);
        dm.assign(DRV_DEVMODE_SIZE, 0);
        ASSERT_TRUE(InitDefaultDevmode(pdb, Dm(), kPrinter, nullptr));
        ValidateDevmode(pdb, Dm(), nullptr);
    }
    void TearDown() override {
        DestroySettingsObject(&pObj);
        CloseOptionDb(pdb);
    }
    DEVMODEW* Dm() { return (DEVMODEW*)dm.data(); }
    DRVDEVMODE* Drv() { return (DRVDEVMODE*)dm.data(); }
    // Creates the object from dm, then writes it back into dm.
    void RoundTrip() {
        DestroySettingsObject(&pObj);
        ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
        ASSERT_NE(nullptr, pObj);
        ASSERT_EQ(1, SettingsToDevmode(pObj, Dm(), pdb));
    }

    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
};

TEST_F(SettingsObject, DefaultDevmodeRoundTripChangesNoByte) {
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    std::vector<BYTE> created = dm;
    ASSERT_EQ(1, SettingsToDevmode(pObj, Dm(), pdb));
    ExpectSameBytes(created, dm);
    // A second object from the written DEVMODE writes the same bytes again.
    RoundTrip();
    ExpectSameBytes(created, dm);
}

// A value of the option other than v, or v + 1 when the option has no rows.
SHORT OtherValue(POPTIONDB pdb, const UIPARAM& row, SHORT v) {
    if (row.dwKind == PK_RANGE) {
        LONG lMin = (LONG)QueryOptionDb(pdb, row.wOptionId, OPTQ_MIN, nullptr, 0, 0);
        LONG lMax = (LONG)QueryOptionDb(pdb, row.wOptionId, OPTQ_MAX, nullptr, 0, 0);
        if (lMin == lMax) return (SHORT)(v + 1);
        return (SHORT)(v == lMax ? lMin : lMax);
    }
    DWORD n = QueryOptionDb(pdb, row.wOptionId, OPTQ_COUNT, nullptr, 0, 0);
    if (n == 0) return (SHORT)(v + 1);
    for (DWORD i = 0; i < n; ++i) {
        SHORT s = (SHORT)QueryOptionDb(pdb, row.wOptionId, OPTQ_VALUE, nullptr, (int)i, 0);
        if (s != v) return s;
    }
    return v;  // a single choice cannot change
}

const UIPARAM* ParamRow(WORD id) {
    for (const UIPARAM* p = GetUiParamTable(); p->wParamId; ++p)
        if (p->wParamId == id) return p;
    return nullptr;
}

TEST_F(SettingsObject, EveryPageSettingChangedSurvivesWriteBack) {
    // The printer's lists were written by this driver version, so creation
    // resets nothing.
    ASSERT_TRUE(WriteDriverVersion(kPrinter, DRV_DRIVER_VERSION));
    BYTE* pb = dm.data();
    // Parameters whose DEVMODE field the write-back derives from others.
    const std::set<WORD> derivedByRule = {3, 4, 7, 20, 22, 130, 142, 155, 156};
    for (int i = 0; i < GetBindParamCount(); ++i) {
        const BINDPARAMDESC* d = GetBindParamDesc(i);
        if ((d->bVariant != BV_ITEMPTR && d->bVariant != BV_INLINE) || !d->wDevOffset ||
            derivedByRule.count(d->wParamId))
            continue;
        WORD wOffset = d->wDevOffset;
        if (d->bFix == FX_UDWIDTH) wOffset = DMOFF(env.UDPaperWidth);
        if (d->bFix == FX_UDLENGTH) wOffset = DMOFF(env.UDPaperLength);
        SHORT v = (SHORT)pb[wOffset];
        if (d->wDevSize == 2) memcpy(&v, pb + wOffset, 2);
        if (d->bFix == FX_COVER) v = 2;
        SHORT s = OtherValue(pdb, *ParamRow(d->wParamId), v);
        if (d->bFix == FX_COVER && s == 2) s = 3;
        if (d->wDevSize == 1) pb[wOffset] = (BYTE)s; else memcpy(pb + wOffset, &s, 2);
    }
    // The paper, the output paper and the paper source.
    Drv()->dm.dmPaperSize = 12;
    Drv()->ui.ZoomCheck = 1;
    Drv()->ui.lpOutputPaper = 11;
    Drv()->dm.dmDefaultSource = Drv()->env.lpMediaSource = 1;
    // Copied fields.
    const char16_t szText[] = u"ABC";
    for (WORD off : {DMOFF(env.szParam210), DMOFF(env.szPassword), DMOFF(env.szUserID), DMOFF(env.szBoxNumber),
                     DMOFF(env.szJobID), DMOFF(env.szSubAddress), DMOFF(env.szSenderID), DMOFF(env.szParam229),
                     DMOFF(env.szParam213)})
        memcpy(pb + off, szText, sizeof(szText));
    Drv()->ui.bOverlayIndex = 5;
    Drv()->env.bTimeH = 13;
    Drv()->env.bTimeM = 45;
    pb[DMOFF(env.pagenumStr)] = 0x11;
    pb[DMOFF(env.pagenumStr) + 487] = 0x22;
    Drv()->env.dwParam225 = 0x01020304;
    Drv()->env.bParam227 = 9;
    Drv()->env.XROutputPaperSize = 13;
    Drv()->env.wParam231 = -7;
    Drv()->env.bAutoZoom = 1;
    Drv()->env.dwParam233 = 0xA5A5A5A5;
    Drv()->env.nParam235 = 2;
    Drv()->env.nParam239 = 2;
    Drv()->env.lpPrnTabIndexNo = 4;
    Drv()->env.nParam100 = 2;
    std::vector<BYTE> changed = dm;

    RoundTrip();
    // Fields that the write-back derives: the public paper size and fields
    // mask, duplex, resolution, the layout kind, the halftone class, the
    // overlay name, the last paper and resolution, the shadow header.
    struct Range { WORD off, len; };
    const Range aDerived[] = {
        {72, 4}, {80, 4}, {90, 2}, {94, 2}, {96, 2}, {220, 220}, {DMOFF(ui.bHalftoneClass), 1},
        {DMOFF(ui.bLayoutKind), 3}, {DMOFF(ui.szOverlayName), 260}, {DMOFF(env.wLastPaperSize), 2},
        {DMOFF(env.wLastResolution), 2},
    };
    std::vector<bool> derived(DRV_DEVMODE_SIZE, false);
    for (const Range& r : aDerived)
        for (int k = 0; k < r.len; ++k) derived[r.off + k] = true;
    for (int k = 0; k < DRV_DEVMODE_SIZE; ++k) {
        if (!derived[k]) {
            EXPECT_EQ(changed[k], dm[k]) << "DEVMODE offset " << k;
        }
    }
    EXPECT_EQ(std::u16string(u"RN_DEFAULT"), std::u16string(Drv()->ui.szOverlayName));

    // Written once, the settings go round again without a changed byte.
    std::vector<BYTE> written = dm;
    RoundTrip();
    ExpectSameBytes(written, dm);
}

TEST_F(SettingsObject, EditedWordIsNotWrittenUntilCommitted) {
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    ASSERT_TRUE(SetParamEdited(pObj, 1, 5));      // Copies, an inline item
    ASSERT_TRUE(SetParamEdited(pObj, 2, 2));      // lpOrientation, a list item
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(1, Dm()->dmCopies);
    EXPECT_EQ(1, Dm()->dmOrientation);
    ASSERT_TRUE(SetParamCommitted(pObj, 1, 5));
    ASSERT_TRUE(SetParamCommitted(pObj, 2, 2));
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(5, Dm()->dmCopies);
    EXPECT_EQ(2, Dm()->dmOrientation);
    // The words by position, for a list item and an inline item.
    const BYTE* pList = GetParamSlot(pObj, 2);
    const BYTE* pInline = GetParamSlot(pObj, 1);
    EXPECT_EQ(2, *(const SHORT*)(pList + 4));
    EXPECT_EQ(1, *(const SHORT*)(pList + 6));
    EXPECT_EQ(1, GetParamDefault(pObj, 2));
    EXPECT_EQ(5, *(const SHORT*)(pInline + 2));
    EXPECT_EQ(1, *(const SHORT*)(pInline + 4));
    EXPECT_EQ(1, GetParamDefault(pObj, 1));
    EXPECT_EQ(-1, GetParamEdited(pObj, 221));  // not an item
}

TEST_F(SettingsObject, WriteBackRules) {
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    struct Case {
        const char* name;
        std::vector<std::pair<WORD, SHORT>> committed;
        WORD offset;
        int width;
        LONG expected;
    };
    const Case aCases[] = {
        {"zoom off: output paper is the paper", {{3, 12}, {5, 0}, {4, 11}}, DMOFF(ui.lpOutputPaper), 2, 12},
        {"zoom on: output paper kept", {{3, 12}, {5, 1}, {4, 11}}, DMOFF(ui.lpOutputPaper), 2, 11},
        {"custom paper width", {{3, 256}, {151, 1500}}, 82, 2, 1500},
        {"custom paper sets width and length fields", {{3, 256}}, 72, 4, (LONG)(Dm()->dmFields | 0x0C)},
        {"standard paper clears them", {{3, 9}}, 72, 4, (LONG)(Dm()->dmFields & ~0x0Cu)},
        {"A4 length from the paper table", {{3, 9}}, 80, 2, 2970},
        {"front check off: no cover", {{20, 0}, {21, 3}}, DMOFF(env.lpFrontCover), 1, 1},
        {"front check on: cover kind", {{20, 1}, {21, 3}}, DMOFF(env.lpFrontCover), 1, 3},
        {"layout kind 4", {{8, 1}, {9, 2}}, DMOFF(ui.bLayoutKind), 1, 4},
        {"layout kind 1", {{8, 0}, {9, 2}}, DMOFF(ui.bLayoutKind), 1, 1},
        {"duplex on", {{61, 1}, {60, 1}, {15, 3}}, 94, 2, 3},
        {"second group duplex", {{61, 0}, {70, 1}, {74, 1}, {15, 3}}, 94, 2, 3},
        {"duplex off", {{61, 1}, {60, 0}, {70, 0}, {15, 3}}, 94, 2, 1},
        {"error diffusion halftone", {{29, 1}}, DMOFF(ui.bHalftoneClass), 1, 6},
        {"dither 4 halftone", {{29, 0}, {33, 2}, {30, 4}}, DMOFF(ui.bHalftoneClass), 1, 4},
        {"source copied to the public header", {{7, 258}}, 88, 2, 258},
    };
    for (const Case& c : aCases) {
        for (const auto& [id, v] : c.committed) ASSERT_TRUE(SetParamCommitted(pObj, id, v)) << c.name;
        SettingsToDevmode(pObj, Dm(), pdb);
        LONG actual = 0;
        memcpy(&actual, dm.data() + c.offset, c.width);
        if (c.width == 2) actual = (SHORT)actual;
        EXPECT_EQ(c.expected, actual) << c.name;
    }
}

TEST_F(SettingsObject, OverlayNameRules) {
    ASSERT_TRUE(WriteDriverVersion(kPrinter, DRV_DRIVER_VERSION));
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    FORMLIST* pForms = pObj->trailer.pListSet->pForm;
    ASSERT_NE(nullptr, pForms);
    BYTE* pIndex = GetParamSlot(pObj, 212);
    ASSERT_NE(nullptr, pIndex);
    // No current form: the placeholder name.
    SetParamCommitted(pObj, 35, 2);
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(std::u16string(u"RN_DEFAULT"), std::u16string(Drv()->ui.szOverlayName));
    lstrcpyW(pForms->szFileName, u"current.xfo");
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(std::u16string(u"current.xfo"), std::u16string(Drv()->ui.szOverlayName));
    // A form from the list, and an index beyond the list.
    lstrcpyW(pForms->pFiles[1], u"second.xfo");
    pForms->wFormListNum = 2;
    SetParamCommitted(pObj, 35, 3);
    *pIndex = 1;
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(std::u16string(u"second.xfo"), std::u16string(Drv()->ui.szOverlayName));
    EXPECT_EQ(1, Drv()->ui.bOverlayIndex);
    *pIndex = 200;
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(std::u16string(u"RN_DEFAULT"), std::u16string(Drv()->ui.szOverlayName));
    // No overlay clears index and name.
    SetParamCommitted(pObj, 35, 1);
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(0, Drv()->ui.bOverlayIndex);
    EXPECT_EQ(0, Drv()->ui.szOverlayName[0]);
}

void StoreWatermarkKeys(int n) {
    for (int i = 0; i < n; ++i) {
        WCHAR szSub[32], szPath[USERREG_PATH_CCH];
        wsprintfW(szSub, u"WMarkListData%d", i);
        ASSERT_TRUE(BuildUserRegPath(szPath, kPrinter, u"WaterMark", szSub));
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hkeyUserRoot(), szPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &hKey, nullptr));
        RegCloseKey(hKey);
    }
}

TEST_F(SettingsObject, ChosenWatermarkReachesTheDevmode) {
    ASSERT_TRUE(WriteDriverVersion(kPrinter, DRV_DRIVER_VERSION));
    StoreWatermarkKeys(5);
    Drv()->ui.bWatermarkCurrent = 3;
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    EXPECT_EQ(3, *GetParamSlot(pObj, 214));
    // The sheet commits a new choice.
    *GetParamSlot(pObj, 214) = 4;
    *GetParamSlot(pObj, 215) = 4;
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(4, Drv()->ui.bWatermarkCurrent);
    // A committed index beyond the 51 slots never reaches the DEVMODE.
    *GetParamSlot(pObj, 215) = 60;
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(0, Drv()->ui.bWatermarkCurrent);
}

TEST_F(SettingsObject, MirrorHoldsNameAndVersion) {
    lstrcpynW(Dm()->dmDeviceName, u"0123456789012345678901234567890123456789", 32);
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    EXPECT_EQ(std::u16string(u"0123456789012345678901234567890"), std::u16string(Drv()->ui.dmMirror.dmDeviceName));
    EXPECT_EQ(Dm()->dmDriverVersion, Drv()->ui.dmMirror.dmDriverVersion);
}

TEST_F(SettingsObject, SizesFollowTheItems) {
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    const UISETTRAILER& t = pObj->trailer;
    EXPECT_EQ(t.cbFixed + t.cbVariable, t.cbTotal);
    EXPECT_EQ(t.cbFixed, GlobalSize(GlobalHandle(pObj)));
    EXPECT_EQ(t.cbVariable, GlobalSize(GlobalHandle(t.pVariable)));
    // Every item lies inside its block, attached to its slot.
    for (int i = 0; i < t.cParamRows; ++i) {
        const UIPARAMRT& r = t.pParamRows[i];
        if (!(r.row.dwKind & (PK_CHOICE | PK_VALUELIST)) || !r.row.pfnBind) continue;
        BYTE* pItem = GetParamSlot(pObj, r.row.wParamId);
        ASSERT_NE(nullptr, pItem) << r.row.wParamId;
        if (bIsSpecialParamId(r.row.wParamId)) {
            EXPECT_EQ(t.pVariable + DWORD(r.dwItemOffset), pItem) << r.row.wParamId;
        } else {
            EXPECT_EQ((BYTE*)pObj + DWORD(r.dwItemOffset), pItem) << r.row.wParamId;
            EXPECT_GE(DWORD(r.dwItemOffset), (DWORD)UIS_FIXED_SIZE);
        }
    }
    // Index-tab positions 0..15: "n/15" and the resource text for 0.
    UIITEMLIST* pTab = (UIITEMLIST*)GetParamSlot(pObj, 186);
    EXPECT_EQ(16, pTab->sCount);
    EXPECT_EQ(std::u16string(u"15/15"), std::u16string(((UIITEMCHOICE*)(pTab + 1))[15].szText));
    EXPECT_EQ(std::u16string(u"3/15"), std::u16string(((UIITEMCHOICE*)(pTab + 1))[3].szText));
    ASSERT_NE(nullptr, LoadResourceDll());
    std::u16string none = GetResString(28531);
    FreeResourceDll();
    EXPECT_FALSE(none.empty());
    EXPECT_EQ(none, std::u16string(((UIITEMCHOICE*)(pTab + 1))[0].szText));
}

TEST(ParamSizing, FixedBlockFormula) {
    POPTIONDB pdb = OpenOptionDb();
    // Options 0 (99 papers), 3 (2 choices), 12 (5 choices).
    UIPARAMRT aRows[5] = {};
    aRows[0].row = {3, 0, 0, 0, PK_CHOICE, 0, nullptr};
    aRows[1].row = {2, 3, 0, 0, PK_VALUELIST, 0, nullptr};
    aRows[2].row = {1, 2, 0, 0, PK_RANGE, 0, nullptr};
    aRows[3].row = {185, 155, 0, 0, PK_CHOICE, 0, nullptr};
    aRows[4].row = {11, 12, 0, 0, PK_CHOICE, 0, nullptr};
    // The items start after the fixed part: 48188 bytes at 32 bits, more
    // at 64 bits where its pointers are wider.
    const DWORD kFixed = UIS_FIXED_SIZE;
    if (sizeof(void*) == 4) {
        EXPECT_EQ(48188u, kFixed);
    }
    EXPECT_EQ(kFixed + (12 + 134 * 99) + (12 + 4 * 2) + (12 + 134 * 5), ApplyParamItems(pdb, nullptr, aRows, 5));
    EXPECT_EQ(kFixed, DWORD(aRows[0].dwItemOffset));
    EXPECT_EQ(kFixed + 13278, DWORD(aRows[1].dwItemOffset));
    EXPECT_EQ(0u, DWORD(aRows[2].dwItemOffset));
    EXPECT_EQ(0u, DWORD(aRows[3].dwItemOffset));  // special: in the variable block
    EXPECT_EQ(kFixed + 13278 + 20, DWORD(aRows[4].dwItemOffset));
    EXPECT_EQ(kFixed, ApplyParamItems(pdb, nullptr, aRows, 0));
    CloseOptionDb(pdb);
}

TEST(ParamSizing, VariableBlockFormula) {
    POPTIONDB pdb = OpenOptionDb();
    // Option 131: 2 values; 154: 2 choices; 155: 14 choices, largest 15.
    const WORD aIds[] = {100, 184, 185, 186, 204, 205, 206, 5};
    const WORD aOpts[] = {131, 154, 155, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 25};
    const DWORD aSizes[] = {12 + 4 * 2, 12 + 134 * 2, 12 + 134 * 14, 146 + 134 * 15, 64, 0xEE00, 540};
    UIPARAMRT aRows[8] = {};
    for (int i = 0; i < 8; ++i) aRows[i].row = {aIds[i], aOpts[i], 0, 0, PK_CHOICE, 0, nullptr};
    DWORD cbTotal = ApplyParamItemsRange(pdb, nullptr, aRows, 8);
    DWORD off = 0;
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(off, DWORD(aRows[i].dwItemOffset)) << aIds[i];
        off += aSizes[i];
    }
    EXPECT_EQ(off, cbTotal);
    EXPECT_EQ(65876u, cbTotal);
    CloseOptionDb(pdb);
}

TEST_F(SettingsObject, NoLeakOverCreateCloneCopyDestroy) {
    LONG nBefore = PlatGlobalLiveBlocks();
    // The sheet's own use of the resource library.
    ASSERT_NE(nullptr, LoadResourceDll());
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    UISETTINGS* pClone = CloneParamObject(pObj);
    ASSERT_NE(nullptr, pClone);
    // The clone is independent of its source.
    SHORT s = 7;
    EXPECT_EQ(0, SetParamByKey(1, &s, sizeof(s), VT_INT16, pClone, PARAM_WHICH_CURRENT));
    EXPECT_EQ(1, GetParamEdited(pObj, 1));
    EXPECT_EQ(7, GetParamEdited(pClone, 1));
    pClone->trailer.pListSet->pFontSub->sIndex = 3;
    EXPECT_EQ(0, pObj->trailer.pListSet->pFontSub->sIndex);
    // Copying back keeps the target's own blocks and lists.
    LISTSET* pLists = pObj->trailer.pListSet;
    EXPECT_EQ(pObj->trailer.cParamRows, CopyParamObject(pObj, pClone));
    EXPECT_EQ(pLists, pObj->trailer.pListSet);
    EXPECT_EQ(7, GetParamEdited(pObj, 1));
    EXPECT_EQ(3, pObj->trailer.pListSet->pFontSub->sIndex);
    BYTE* pItem = GetParamSlot(pObj, 2);
    EXPECT_TRUE(pItem >= (BYTE*)pObj && pItem < (BYTE*)pObj + pObj->trailer.cbFixed);
    FreeParamObjectClone(&pClone);
    EXPECT_EQ(nullptr, pClone);
    DestroySettingsObject(&pObj);
    EXPECT_EQ(nullptr, pObj);
    // Destruction released no use that creation did not take.
    EXPECT_NE(nullptr, GetResourceDllHandle());
    FreeResourceDll();
    EXPECT_EQ(nullptr, GetResourceDllHandle());
    EXPECT_EQ(nBefore, PlatGlobalLiveBlocks());
    DestroySettingsObject(&pObj);  // null: nothing
}

TEST_F(SettingsObject, AllocationFailuresLeaveNothing) {
    LONG nBefore = PlatGlobalLiveBlocks();
    for (LONG n = 1; n <= 120; ++n) {
        PlatFailAllocation(n);
        int r = CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter);
        PlatFailAllocation(0);
        if (r) {
            EXPECT_NE(nullptr, pObj);
            DestroySettingsObject(&pObj);
        } else {
            EXPECT_EQ(nullptr, pObj) << n;
        }
        EXPECT_EQ(nBefore, PlatGlobalLiveBlocks()) << "failing allocation " << n;
    }
}

TEST_F(SettingsObject, TypedAccessByKey) {
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter));
    SHORT s = 0;
    DWORD cb = sizeof(s);
    EXPECT_EQ(0, GetParamByKey(6, &s, &cb, VT_INT16, nullptr, nullptr, nullptr, pObj, PARAM_WHICH_CURRENT));
    EXPECT_EQ(100, s);  // Zoom
    cb = sizeof(s);
    EXPECT_EQ(0, GetParamByKey(3, &s, &cb, VT_INT16, nullptr, nullptr, nullptr, pObj, PARAM_WHICH_DEFAULT));
    EXPECT_EQ(9, s);  // the paper's default
    WCHAR sz[11] = u"9876";
    EXPECT_EQ(0, SetParamByKey(221, sz, sizeof(sz), VT_WTEXT, pObj, PARAM_WHICH_CURRENT));
    SettingsToDevmode(pObj, Dm(), pdb);
    EXPECT_EQ(std::u16string(u"9876"), Text(Drv()->env.szUserID, sizeof(Drv()->env.szUserID)));
    EXPECT_EQ(-1, GetParamByKey(999, &s, &cb, VT_INT16, nullptr, nullptr, nullptr, pObj, PARAM_WHICH_CURRENT));
    EXPECT_EQ(-1, SetParamByKey(10001, &s, sizeof(s), VT_INT16, pObj, PARAM_WHICH_CURRENT));
    // The defaults block holds each option parameter's default.
    ASSERT_NE(nullptr, pObj->trailer.pParamDefaults);
    PARAMROWFIELD f;
    ASSERT_EQ(1, GetParamRowField(pObj->trailer.pParamRows, FindParamRow(pObj, 6), &f, pObj->trailer.pParamDefaults));
    ASSERT_TRUE(f.bPresent);
    EXPECT_EQ(100, *(SHORT*)f.pValue);
    ASSERT_EQ(1, GetParamRowField(pObj->trailer.pParamRows, FindParamRow(pObj, 230), &f, pObj->trailer.pParamDefaults));
    ASSERT_TRUE(f.bPresent);
    EXPECT_EQ(257, *(SHORT*)f.pValue);
    EXPECT_EQ(0, GetParamRowField(nullptr, 0, &f, pObj->trailer.pParamDefaults));
    // The list defaults block: the watermark size and face, the count of a
    // tab index.
    ASSERT_NE(nullptr, pObj->trailer.pListDefaults);
    REGTREEWORK* pSize = FindRegTreeRow(&pObj->trailer.regTree, 21);
    ASSERT_TRUE(pSize && pSize->bHasDefault);
    EXPECT_EQ(72u, *(DWORD*)(pObj->trailer.pListDefaults + pSize->dwDefaultOffset));
    REGTREEWORK* pFace = FindRegTreeRow(&pObj->trailer.regTree, 17);
    ASSERT_TRUE(pFace && pFace->bHasDefault);
    EXPECT_EQ(std::u16string(u"ＭＳ Ｐゴシック"), std::u16string((LPCWSTR)(pObj->trailer.pListDefaults + pFace->dwDefaultOffset)));
    REGTREEWORK* pCount = FindRegTreeRow(&pObj->trailer.regTree, 65);
    ASSERT_TRUE(pCount && pCount->bHasDefault);
    EXPECT_EQ(5, pObj->trailer.pListDefaults[pCount->dwDefaultOffset]);
    EXPECT_FALSE(FindRegTreeRow(&pObj->trailer.regTree, 13)->bHasDefault);
}

TEST(TypedCopy, Cases) {
    struct Case { WORD src, dst; LONG in; int result; LONG out; };
    const Case aCases[] = {
        {32, 16, 5, -2, 0}, {4, 8, -5, 0, -5}, {2, 8, 65535, 0, 65535}, {1, 4, 200, 0, 200},
        {4, 1, 0x1234, 0, 0x34}, {8, 0, -3, 0, -3}, {5, 1, 1, -2, 0},
    };
    for (const Case& c : aCases) {
        LONG in = c.in, out = 0;
        DWORD cb = sizeof(out);
        EXPECT_EQ(c.result, GetTypedValue(&in, sizeof(in), &out, &cb, c.src, c.dst)) << c.src << "->" << c.dst;
        EXPECT_EQ(c.out, out) << c.src << "->" << c.dst;
    }
    BYTE ab[4] = {1, 2, 3, 4}, abOut[2] = {};
    DWORD cb = 2;
    EXPECT_EQ(TVC_MOREDATA, GetTypedValue(ab, 4, abOut, &cb, 64, 64));
    EXPECT_EQ(2, abOut[1]);
    cb = 8;
    EXPECT_EQ(TVC_BADARG, SetTypedValue(ab, 4, abOut, &cb, 64, 64));
    cb = 0;
    EXPECT_EQ(TVC_OK, GetTypedValue(ab, 4, nullptr, &cb, 64, 64));
    EXPECT_EQ(4u, cb);
    EXPECT_EQ(TVC_BADARG, GetTypedValue(nullptr, 0, abOut, &cb, 64, 64));
}

}  // namespace
