// The registry-tree walk: the key tree of a new user's default lists, lists
// stored and loaded back, and stored counts that would address past a list's
// arrays.
#include "ui/settings/regwalk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/settings/listset.h"
#include "ui/settings/profile.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/strcache.h"
#include "ui/settings/engineentry.h"

namespace {

const char16_t kPrinter[] = u"Walk Printer";

std::u16string Path(LPCWSTR a = nullptr, LPCWSTR b = nullptr) {
    WCHAR sz[USERREG_PATH_CCH];
    EXPECT_TRUE(BuildUserRegPath(sz, kPrinter, a, b));
    return sz;
}

bool KeyExists(LPCWSTR a, LPCWSTR b = nullptr) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(hkeyUserRoot(), Path(a, b).c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

bool ValueExists(LPCWSTR a, LPCWSTR b, LPCWSTR pszValue, DWORD* pdwType = nullptr) {
    DWORD dwType = 0;
    BYTE ab[1024];
    DWORD cb = sizeof(ab);
    BOOL bOk = bQueryUserRegValue(hkeyUserRoot(), Path(a, b).c_str(), &dwType, pszValue, ab, &cb);
    if (pdwType) *pdwType = dwType;
    return bOk != FALSE;
}

void SetDword(LPCWSTR a, LPCWSTR b, LPCWSTR pszValue, DWORD dw) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hkeyUserRoot(), Path(a, b).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &h, nullptr));
    RegSetValueExW(h, pszValue, 0, REG_DWORD, (const BYTE*)&dw, sizeof(dw));
    RegCloseKey(h);
}

class RegWalk : public testing::Test {
protected:
    void SetUp() override {
        bDeleteUserRegTree(hkeyUserRoot(), kPrinter, Path().c_str());
        BuildRegTreeTables(&tables);
    }
    void TearDown() override { FreeRegTreeTables(&tables); }
    REGTREESET tables;
};

TEST_F(RegWalk, DefaultListsKeyTree) {
    ASSERT_TRUE(bStoreDefaultProfileLists(&tables, kPrinter));
    for (int i = 1; i <= 10; ++i) {
        WCHAR sz[32];
        wsprintfW(sz, u"InterSheetList%d", i);
        EXPECT_TRUE(KeyExists(u"InterSheet", sz)) << i;
        // No page lists: no entry values.
        EXPECT_TRUE(ValueExists(u"InterSheet", sz, u"ISPageListNum"));
        EXPECT_FALSE(ValueExists(u"InterSheet", sz, u"ISPageListData0"));
    }
    EXPECT_FALSE(KeyExists(u"InterSheet", u"InterSheetList11"));
    EXPECT_TRUE(KeyExists(u"Form", u"Overlays"));
    EXPECT_TRUE(KeyExists(u"Form", u"Overlay File"));
    EXPECT_TRUE(ValueExists(u"Form", u"Overlays", u"Style1"));
    EXPECT_FALSE(ValueExists(u"Form", u"Overlays", u"Caption1"));
    EXPECT_TRUE(ValueExists(u"Form", u"Overlays", u"Caption2"));
    EXPECT_TRUE(KeyExists(u"FontSubTbl", u"TTFont List"));
    EXPECT_TRUE(KeyExists(u"FontSubTbl", u"DevFont List"));
    EXPECT_TRUE(ValueExists(u"FontSubTbl", u"TTFont List", u"TTFaceName31"));
    EXPECT_FALSE(ValueExists(u"FontSubTbl", u"TTFont List", u"TTFaceName32"));
    EXPECT_TRUE(KeyExists(u"WaterMark"));
    EXPECT_EQ(16, CountStoredWatermarks(kPrinter));
    DWORD dwType = 0;
    EXPECT_TRUE(ValueExists(u"WaterMark", u"WMarkListData3", u"Watermark Size", &dwType));
    EXPECT_EQ((DWORD)REG_DWORD, dwType);
    EXPECT_TRUE(ValueExists(u"WaterMark", u"WMarkListData3", u"Watermark Font", &dwType));
    EXPECT_EQ((DWORD)REG_SZ, dwType);
    // The fax cover sheet is off in this model.
    EXPECT_FALSE(KeyExists(u"Fax Cover Sheet"));
}

TEST_F(RegWalk, FormListStoresItsCountOfNames) {
    FORMLIST* p = CreateFormList();
    ASSERT_NE(nullptr, p);
    p->wFormListNum = 3;
    for (int i = 0; i < 5; ++i) wsprintfW(p->pFiles[i], u"form%d.xfo", i);
    ASSERT_TRUE(RegTreeWalkList(p, &tables, 4098, kPrinter, RTW_STORE));
    for (int i = 0; i < 5; ++i) {
        WCHAR sz[8];
        wsprintfW(sz, u"%d", i);
        EXPECT_EQ(i < 3, ValueExists(u"Form", u"Overlay File", sz)) << i;
    }
    FORMLIST* q = CreateFormList();
    ASSERT_TRUE(RegTreeWalkList(q, &tables, 4098, kPrinter, RTW_LOAD));
    EXPECT_EQ(3, q->wFormListNum);
    EXPECT_EQ(std::u16string(u"form2.xfo"), std::u16string(q->pFiles[2]));
    EXPECT_EQ(0, q->pFiles[3][0]);
    FreeFormList(&p);
    FreeFormList(&q);
}

TEST_F(RegWalk, InterSheetEntriesRoundTrip) {
    INTERSHEETLIST* p = CreateInterSheetList();
    ASSERT_NE(nullptr, p);
    INTERSHEETREC& r = p->pLists[2];
    lstrcpyW(r.szName, u"Chapters");
    r.sPageListNum = 2;
    r.sMixplex = -1;
    memset(r.pEntries, 0x41, INSERTSHEET_SIZE * 2);
    memset(r.pEntries + INSERTSHEET_SIZE * 2, 0x55, INSERTSHEET_SIZE);  // beyond the count
    r.pTabBlock[0] = 9;
    ASSERT_TRUE(RegTreeWalkList(p, &tables, 4097, kPrinter, RTW_STORE));
    DWORD dw = 0, dwType = 0, cb = sizeof(dw);
    ASSERT_TRUE(bQueryUserRegValue(hkeyUserRoot(), Path(u"InterSheet", u"InterSheetList3").c_str(), &dwType,
                                   u"Mixplex", &dw, &cb));
    EXPECT_EQ(0xFFFFFFFFu, dw);  // a signed 16-bit value is sign-extended
    EXPECT_FALSE(ValueExists(u"InterSheet", u"InterSheetList3", u"ISPageListData2"));
    INTERSHEETLIST* q = CreateInterSheetList();
    ASSERT_TRUE(RegTreeWalkList(q, &tables, 4097, kPrinter, RTW_LOAD));
    const INTERSHEETREC& s = q->pLists[2];
    EXPECT_EQ(std::u16string(u"Chapters"), std::u16string(s.szName));
    EXPECT_EQ(2, s.sPageListNum);
    EXPECT_EQ(-1, s.sMixplex);
    EXPECT_EQ(0, memcmp(s.pEntries, r.pEntries, INSERTSHEET_SIZE * 2));
    EXPECT_EQ(0, s.pEntries[INSERTSHEET_SIZE * 2]);
    EXPECT_EQ(9, s.pTabBlock[0]);
    FreeInterSheetList(&p);
    FreeInterSheetList(&q);
}

TEST_F(RegWalk, StoredCountsBeyondTheArraysAreCut) {
    // A hand-edited store: counts far beyond each list's capacity.
    SetDword(u"InterSheet", u"InterSheetList1", u"ISPageListNum", 1000);
    SetDword(u"InterSheet", u"InterSheetList1", u"ISPageListData127", 0);
    SetDword(u"Form", u"Overlay File", u"FormListNum", 5000);
    SetDword(u"FontSubTbl", nullptr, u"FontSubTblNum", 30000);
    SetDword(u"WaterMark", nullptr, u"WMarkListNum", 900);
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hkeyUserRoot(), Path(u"FontSubTbl", u"TTFont List").c_str(), 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr));
    // A text longer than its 32-character field is refused, not overrun.
    const char16_t szLong[] = u"0123456789012345678901234567890123456789";
    RegSetValueExW(h, u"TTFaceName499", 0, REG_SZ, (const BYTE*)szLong, sizeof(szLong));
    const char16_t szFit[] = u"Fits";
    RegSetValueExW(h, u"TTFaceName0", 0, REG_SZ, (const BYTE*)szFit, sizeof(szFit));
    RegCloseKey(h);
    INTERSHEETLIST* pIs = CreateInterSheetList();
    FORMLIST* pForm = CreateFormList();
    FONTSUBLIST* pFont = CreateFontSubList();
    WATERMARKLIST* pWm = CreateWatermarkList();
    EXPECT_TRUE(RegTreeWalkList(pIs, &tables, 4097, kPrinter, RTW_LOAD));
    EXPECT_TRUE(RegTreeWalkList(pForm, &tables, 4098, kPrinter, RTW_LOAD));
    EXPECT_TRUE(RegTreeWalkList(pFont, &tables, 4100, kPrinter, RTW_LOAD));
    EXPECT_TRUE(RegTreeWalkList(pWm, &tables, 4099, kPrinter, RTW_LOAD));
    EXPECT_EQ(std::u16string(u"Fits"), std::u16string(pFont->pPairs[0].szTrueType));
    EXPECT_EQ(0, pFont->pPairs[499].szTrueType[0]);
    // Storing walks no further than the arrays either.
    EXPECT_TRUE(RegTreeWalkList(pIs, &tables, 4097, kPrinter, RTW_STORE));
    EXPECT_TRUE(RegTreeWalkList(pForm, &tables, 4098, kPrinter, RTW_STORE));
    EXPECT_FALSE(ValueExists(u"Form", u"Overlay File", u"100"));
    EXPECT_TRUE(ValueExists(u"Form", u"Overlay File", u"99"));
    FreeInterSheetList(&pIs);
    FreeFormList(&pForm);
    FreeFontSubList(&pFont);
    FreeWatermarkList(&pWm);
}

TEST_F(RegWalk, BadArgumentsAndActions) {
    FONTSUBLIST* p = CreateFontSubList();
    EXPECT_FALSE(RegTreeWalkList(nullptr, &tables, 4100, kPrinter, RTW_LOAD));
    EXPECT_FALSE(RegTreeWalkList(p, &tables, 4100, kPrinter, 9));
    EXPECT_TRUE(RegTreeWalkList(p, &tables, 4101, kPrinter, RTW_LOAD));  // feature off
    FreeFontSubList(&p);
}

}  // namespace

namespace {

TEST(ListLocators, IndicesOutsideTheArraysAreRefused) {
    INTERSHEETLIST* pIs = CreateInterSheetList();
    FORMLIST* pForm = CreateFormList();
    FONTSUBLIST* pFont = CreateFontSubList();
    WATERMARKLIST* pWm = CreateWatermarkList();
    void* p = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    // {field, first index refused, last index taken} per list.
    EXPECT_TRUE(LocateInterSheetField(43, 10, 127, &p, &cb, &wType, pIs));
    EXPECT_EQ(258u, cb);
    EXPECT_EQ(128, wType);
    EXPECT_FALSE(LocateInterSheetField(43, 10, 128, &p, &cb, &wType, pIs));
    EXPECT_FALSE(LocateInterSheetField(39, 11, 0, &p, &cb, &wType, pIs));
    EXPECT_FALSE(LocateInterSheetField(39, 0, 0, &p, &cb, &wType, pIs));
    EXPECT_FALSE(LocateInterSheetField(37, 1, 0, &p, &cb, &wType, pIs));  // a key, not a field
    EXPECT_TRUE(LocateFormField(10, 99, 98, &p, &cb, &wType, pForm));
    EXPECT_FALSE(LocateFormField(10, 100, 99, &p, &cb, &wType, pForm));
    EXPECT_FALSE(LocateFormField(5, 4, 3, &p, &cb, &wType, pForm));
    // The count field is the count's two bytes, never the pointer after it.
    EXPECT_TRUE(LocateFormField(8, 0, -1, &p, &cb, &wType, pForm));
    EXPECT_EQ(p, static_cast<void*>(&pForm->wFormListNum));
    EXPECT_EQ(2u, cb);
    EXPECT_TRUE(LocateFontSubField(36, 499, &p, &cb, &wType, pFont));
    EXPECT_FALSE(LocateFontSubField(36, 500, &p, &cb, &wType, pFont));
    EXPECT_TRUE(GetWatermarkField(15, 50, &p, &cb, &wType, pWm));
    EXPECT_EQ(66u, cb);
    EXPECT_FALSE(GetWatermarkField(15, 51, &p, &cb, &wType, pWm));
    EXPECT_TRUE(GetWatermarkField(12, 0, &p, &cb, &wType, pWm));
    EXPECT_EQ(2u, cb);
    EXPECT_EQ(4, wType);
    EXPECT_EQ((void*)&pWm->sCount, p);
    // The accessor copies through the typed copy.
    pIs->pLists[0].sPageListNum = 7;
    LONG l = 0;
    DWORD cbOut = sizeof(l);
    EXPECT_EQ(0, AccessInterSheetField(40, &l, &cbOut, 8, 1, 0, nullptr, nullptr, nullptr, pIs));
    EXPECT_EQ(7, l);
    EXPECT_EQ(-1, AccessFormField(10, &l, &cbOut, 8, 100, nullptr, nullptr, nullptr, pForm));
    FreeInterSheetList(&pIs);
    FreeFormList(&pForm);
    FreeFontSubList(&pFont);
    FreeWatermarkList(&pWm);
}

}  // namespace
