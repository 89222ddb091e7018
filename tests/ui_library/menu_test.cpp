// The Save/Recall menu: its items and ids for libraries of different
// sizes, the recall of a chosen entry, the click on the button that closed
// the menu, the notices; and one job printed after a recall through the
// menu, equal to the one printed before the settings were saved.
#include <regex>

#include "tests/ui_library/library_fixture.h"
#include "ui/settings/regenv.h"

namespace {

PLATSCRIPTSTEP Check(int id, int state) { return {PSS_CHECK, id, nullptr, nullptr, -1, state}; }
PLATSCRIPTSTEP Type(int id, const char16_t* text) { return {PSS_TYPE, id, nullptr, text, -1, 0}; }
PLATSCRIPTSTEP Ok() { return {PSS_OK, 0, nullptr, nullptr, -1, 0}; }

const int kButton = 4000;

class Menu : public LibraryTest {
protected:
    struct Item {
        UINT id;
        bool bOwnerDrawn, bDisabled, bSeparator;
        std::u16string text;
        bool operator==(const Item& o) const
        {
            return id == o.id && bOwnerDrawn == o.bOwnerDrawn && bDisabled == o.bDisabled &&
                   bSeparator == o.bSeparator && text == o.text;
        }
    };
    std::vector<Item> Items()
    {
        std::vector<Item> v;
        HMENU h = BuildSaveRecallMenu(pObj);
        for (int i = 0; h && i < GetMenuItemCount(h); ++i) {
            MENUITEMINFOW mii = {};
            mii.cbSize = sizeof(mii);
            mii.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE | MIIM_STATE;
            GetMenuItemInfoW(h, i, TRUE, &mii);
            Item it = {mii.wID, (mii.fType & MFT_OWNERDRAW) != 0, (mii.fState & MFS_DISABLED) != 0,
                       (mii.fType & MFT_SEPARATOR) != 0,
                       (mii.fType & MFT_OWNERDRAW) && mii.dwItemData ? (LPCWSTR)mii.dwItemData : u""};
            v.push_back(it);
        }
        DestroyMenu(h);
        return v;
    }
    // A standard settings file in the driver folder, found at first start.
    void MakeStandardFile(const char16_t* name)
    {
        HANDLE hPrinter = nullptr;
        ASSERT_TRUE(OpenPrinterW((LPWSTR)LibraryPrinter(), &hPrinter, nullptr));
        LPWSTR pDir = GetDriverDirectory(hPrinter);
        ClosePrinter(hPrinter);
        ASSERT_NE(nullptr, pDir);
        std::u16string dir = pDir;
        HGLOBAL hMem = GlobalHandle(pDir);
        GlobalUnlock(hMem);
        GlobalFree(hMem);
        while (!dir.empty() && dir.back() == u'\\')
            dir.pop_back();
        USETLIBRARY lib = {};
        lib.pSettings = pObj;
        lib.bLoadMode = 1;
        GetCurrentIdentity(&lib.current);
        GetLegacyIdentity(&lib.legacy);
        USETENTRY* p = NewSettingsEntry(&lib, dir.c_str(), name, u"xsf", u"", pObj);
        ASSERT_NE(nullptr, p);
        std::u16string path = dir + u"\\" + name + u".xsf";
        ASSERT_TRUE(bSaveSettingsFile(&lib, p, path.c_str()));
        FreeSettingsEntry(&lib, &p);
        WritePrivateProfileStringW(u"QX_SETTING LIBRARY DRIVERINFO", u"attributes", u"0", path.c_str());
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    }
    std::vector<Item> Head(int n, UINT idSave)
    {
        WCHAR sz[128];
        wsprintfW(sz, u"%s  [%d/%d]", GetResString(26303), n, 25);
        return {{IDM_USET_TITLE, true, true, false, Res(26300)},
                {idSave, true, false, false, Res(26301)},
                {IDM_USET_RECALL, true, false, false, Res(26302)},
                {IDM_USET_ORGANIZE, true, false, false, Res(21105)},
                {0, false, true, true, u""},
                {IDM_USET_LIBLINE, true, true, false, sz}};
    }
    std::vector<Item> Tail() { return {{0, false, true, true, u""}, {IDM_USET_DETAIL, true, false, false, Res(26304)}}; }
    void ClickButton()
    {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kButton, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, kButton));
        PlatPumpMessages();
    }
};

TEST_F(Menu, EmptyLibrary)
{
    std::vector<Item> want = Head(0, IDM_USET_SAVE);
    for (const Item& t : Tail())
        want.push_back(t);
    EXPECT_EQ(want, Items());
}

// A standard file and three of the user's: entries in library order,
// standard ones at 2600 + position, the others at 2625 + position.
TEST_F(Menu, ItemsAndIdsFollowTheLibrary)
{
    MakeStandardFile(u"Q730MV30");
    std::vector<Item> want;
    ASSERT_EQ(std::vector<std::u16string>{u"Q730MV30"}, Entries());
    AddEntry(u"Alpha");
    AddEntry(u"Beta");
    AddEntry(u"Gamma");
    want = Head(4, IDM_USET_SAVE);
    want.push_back({2600, true, false, false, u"Q730MV30"});
    want.push_back({2626, true, false, false, u"Alpha"});
    want.push_back({2627, true, false, false, u"Beta"});
    want.push_back({2628, true, false, false, u"Gamma"});
    for (const Item& t : Tail())
        want.push_back(t);
    EXPECT_EQ(want, Items());
    // Both kinds of id of one position recall that position.
    EXPECT_TRUE(bIsLibraryMenuId(2603));
    EXPECT_TRUE(bIsLibraryMenuId(2649));
    EXPECT_FALSE(bIsLibraryMenuId(2599));
    EXPECT_FALSE(bIsLibraryMenuId(2650));
}

TEST_F(Menu, ApplyLibraryMenuEntryRecallsThePosition)
{
    Set(103, 4);
    AddEntry(u"Four copies");
    Set(103, 2);
    AddEntry(u"Two copies");
    Set(103, 1);
    SetRecallOptionValue(pObj, RO_PAPER, 1);
    struct Case {
        UINT id;
        BOOL bDone;
        SHORT sCopies;
    } cases[] = {
        {2601, TRUE, 2}, {2625, TRUE, 4}, {2600, TRUE, 4}, {2626, TRUE, 2},
        // Positions the library does not hold recall nothing.
        {2602, FALSE, 1}, {2649, FALSE, 1}, {2599, FALSE, 1},
    };
    for (const Case& c : cases) {
        Set(103, 1);
        EXPECT_EQ(c.bDone, ApplyLibraryMenuEntry(hwnd, pObj, c.id)) << c.id;
        EXPECT_EQ(c.sCopies, Get(103)) << c.id;
    }
}

TEST_F(Menu, ClickThatClosedTheMenuDoesNotReopenIt)
{
    RECT rc;
    GetWindowRect(GetDlgItem(hwnd, kButton), &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    // The menu opens and is dismissed by a click on its own button.
    PlatScriptChooseMenuItem(nullptr, -1);
    EXPECT_TRUE(ShowSaveRecallMenu(hwnd, pObj, kButton));
    // That click reaches the page as a mouse activation, then as the button's
    // command: the menu stays closed.
    SendMessageW(hwnd, WM_MOUSEACTIVATE, (WPARAM)hwnd, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_FALSE(ShowSaveRecallMenu(hwnd, pObj, kButton));
    // The next click opens it.
    PlatScriptChooseMenuItem(nullptr, -1);
    SetCursorPos(0, 0);
    EXPECT_TRUE(ShowSaveRecallMenu(hwnd, pObj, kButton));
    // Any other message after the menu closed leaves the next click alone.
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PlatScriptChooseMenuItem(nullptr, -1);
    EXPECT_TRUE(ShowSaveRecallMenu(hwnd, pObj, kButton));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, 0);
    PlatScriptChooseMenuItem(nullptr, -1);
    EXPECT_TRUE(ShowSaveRecallMenu(hwnd, pObj, kButton));
}

TEST_F(Menu, NoticesOfAFullLibrary)
{
    struct Case {
        UINT id;
        UINT uText;
    } cases[] = {{IDM_USET_SAVE_FULL, 21010}, {IDM_USET_FULL_NOTICE, 21020}};
    for (const Case& c : cases) {
        PlatMsgBoxReset();
        SendMessageW(hwnd, WM_COMMAND, c.id, 0);
        ASSERT_EQ(1, PlatMsgBoxCount());
        WCHAR sz[1024];
        wsprintfW(sz, GetResString(c.uText), 25);
        EXPECT_EQ(std::u16string(sz), BoxText(0));
        HWND h;
        LPCWSTR t, cap;
        UINT u;
        PlatMsgBoxGet(0, &h, &t, &cap, &u);
        EXPECT_EQ(Res(21103), cap);
        EXPECT_EQ((UINT)MB_ICONWARNING, u & 0xF0);
    }
}

// The job's own time, and the PJL lines that carry it, are left out.
std::string WithoutTime(const std::string& job)
{
    static const std::regex kTime("[0-9]{4}[/-][0-9]{2}[/-][0-9]{2}|[0-9]{2}:[0-9]{2}(:[0-9]{2})?|"
                                  "@PJL SET (JOBTIME|DATE|TIME)[^\n]*\n");
    return std::regex_replace(job, kTime, "");
}

// Set A3, duplex and a watermark; save as "Monthly report"; go back to the
// defaults; recall through the menu with the paper group chosen in the
// detail dialog; the job is the one printed before saving.
TEST_F(Menu, RecallThroughTheMenuPrintsTheSavedJob)
{
    BindFeatureFields(pObj);
    ResolveConstraintsOnOpen(nullptr, pObj);
    auto change = [&](WORD f, SHORT v) {
        BindFeatureFields(pObj);
        SaveFeatureValues(pObj);
        SetFeatureValue(f, v);
        PlatMsgBoxPushAnswer(IDYES);
        ResolveConstraintsOnChange(nullptr, pObj, f);
        PlatMsgBoxReset();
    };
    change(111, 8);    // A3 original
    change(114, 8);    // A3 output
    change(123, 1);    // simple finishing
    change(132, 1);    // duplex
    change(133, 2);
    change(501, 1);    // watermark
    ASSERT_EQ(8, Get(111));
    ASSERT_EQ(1, Get(132));
    ASSERT_EQ(1, Get(501));
    std::string before = Print();
    ASSERT_NE(std::string::npos, before.find("DUPLEX = ON")) << before.substr(0, 1200);
    ASSERT_NE(std::string::npos, before.find("PAPER = A3")) << before.substr(0, 1200);

    // Save through the menu: item 1 is Save settings.
    ASSERT_TRUE(PlatScriptOnDialog(IDD_USET_SAVE, std::vector<PLATSCRIPTSTEP>{
                                                      Type(IDC_SAVE_NAME, u"Monthly report"), Ok()}
                                                      .data(),
                                   2));
    PlatScriptChooseMenuItem(nullptr, 1);
    ClickButton();
    ASSERT_EQ(std::vector<std::u16string>{u"Monthly report"}, Entries()) << Narrow(PlatScriptError());

    // Back to the defaults: a fresh settings object from the default DEVMODE.
    DestroySettingsObject(&pObj);
    std::vector<BYTE> copy = dm;
    ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, (DEVMODEW*)copy.data(), 0, LibraryPrinter()));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)pObj);
    BindFeatureFields(pObj);
    ResolveConstraintsOnOpen(nullptr, pObj);
    ASSERT_NE(8, Get(111));
    ASSERT_NE(before, Print());

    // Recall details from the menu (last item): the paper group on.
    ASSERT_TRUE(PlatScriptOnDialog(IDD_USET_DETAIL, std::vector<PLATSCRIPTSTEP>{Check(IDC_DETAIL_PAPER, BST_CHECKED), Ok()}.data(), 2));
    PlatScriptChooseMenuItem(nullptr, 8);
    ClickButton();
    ASSERT_EQ(1, GetRecallOptionValue(pObj, RO_PAPER)) << Narrow(PlatScriptError());
    // The entry: item 6.
    PlatScriptChooseMenuItem(nullptr, 6);
    ClickButton();
    EXPECT_EQ(8, Get(111));
    EXPECT_EQ(1, Get(132));
    EXPECT_EQ(1, Get(501));
    std::string after = Print();
    EXPECT_EQ(WithoutTime(before), WithoutTime(after));
}

// With the default recall options the paper size of the saved entry is not
// recalled.
TEST_F(Menu, DefaultOptionsLeaveThePaperSize)
{
    Set(111, 8);
    Set(123, 1);
    AddEntry(u"A3");
    Set(111, 9);
    Set(123, 0);
    PlatScriptChooseMenuItem(nullptr, 6);
    ClickButton();
    EXPECT_EQ(9, Get(111));
    EXPECT_EQ(1, Get(123));
}

}  // namespace
