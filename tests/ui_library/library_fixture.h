// A settings object of an installed printer, a test window that stands in
// for the page that opens the library, the user's library, and the job a
// DEVMODE prints.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/comdlg/commdlg.h"
#include "platform/user/script.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/library/libstate.h"
#include "ui/library/quickaccess.h"
#include "ui/library/summary.h"
#include "ui/library/usetdlg.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/usetlib.h"

inline const char16_t* LibraryPrinter() { return u"QX-730 Library"; }

inline std::string Narrow(const std::u16string& s)
{
    std::string r;
    for (char16_t c : s)
        r += c < 128 ? (char)c : '?';
    return r;
}

// Where the pictures of the dialogs go for a person to look at: the
// folder named by $Q730_TEST_PNG_DIR, else /tmp.
inline std::string PicturePath(const std::string& name)
{
    const char* dir = getenv("Q730_TEST_PNG_DIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name + ".png";
}

class LibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(LibraryPrinter(), u"C:\\library.prn", nullptr));
        pdb = OpenOptionDb();
        ASSERT_NE(nullptr, pdb);
        dm.assign(DRV_DEVMODE_SIZE, 0);
        ASSERT_TRUE(InitDefaultDevmode(pdb, (DEVMODEW*)dm.data(), LibraryPrinter(), nullptr));
        ValidateDevmode(pdb, (DEVMODEW*)dm.data(), nullptr);
        std::vector<BYTE> copy = dm;
        ASSERT_EQ(1, CreateSettingsObject(pdb, &pObj, (DEVMODEW*)copy.data(), 0, LibraryPrinter()));
        BindFeatureFields(pObj);
        // The sheet holds the resource library while it is open.
        LoadResourceDll();
        PlatMsgBoxReset();
        PlatScriptReset();
        PlatFileDlgReset();
        hwnd = CreateTestWindow();
        ASSERT_NE(nullptr, hwnd);
        ASSERT_TRUE(GetDefaultSettingsFolder(szFolder, MAX_PATH));
    }
    void TearDown() override
    {
        if (hwnd)
            DestroyWindow(hwnd);
        DestroySettingsObject(&pObj);
        CloseOptionDb(pdb);
        FreeResourceDll();
        PlatMsgBoxReset();
        PlatScriptReset();
        PlatFileDlgReset();
    }

    // The page stand-in: a window with a Save/Recall button (id 4000) that
    // handles the menu's commands as a page does.
    static LRESULT CALLBACK TestWndProc(HWND h, UINT uMsg, WPARAM wParam, LPARAM lParam);
    HWND CreateTestWindow();

    SHORT Get(WORD f)
    {
        BindFeatureFields(pObj);
        return GetFeatureValue(f);
    }
    void Set(WORD f, SHORT v)
    {
        BindFeatureFields(pObj);
        SetFeatureValue(f, v);
    }
    static std::u16string Res(UINT id)
    {
        LPCWSTR p = GetResString(id);
        return p ? p : u"";
    }
    std::u16string BoxText(int i)
    {
        HWND h;
        LPCWSTR t = nullptr, c = nullptr;
        UINT u;
        if (!PlatMsgBoxGet(i, &h, &t, &c, &u) || !t)
            return u"";
        return t;
    }
    std::vector<std::u16string> BoxTexts()
    {
        std::vector<std::u16string> v;
        for (int i = 0; i < PlatMsgBoxCount(); ++i)
            v.push_back(BoxText(i));
        return v;
    }
    // The display names of the library, in its order.
    std::vector<std::u16string> Entries()
    {
        std::vector<std::u16string> v;
        USETLIBRARY* p = CreateUserSettingsLibrary(nullptr, pObj);
        for (int i = 0; p && i < (int)p->cEntries; ++i)
            v.push_back(GetUserSettingEntry(p, i)->szDisplayName);
        DestroyUserSettingsLibrary(&p);
        return v;
    }
    USETENTRY EntryAt(int i)
    {
        USETENTRY e = {};
        USETLIBRARY* p = CreateUserSettingsLibraryFull(nullptr, pObj);
        if (USETENTRY* q = p ? GetUserSettingEntry(p, i) : nullptr) {
            e = *q;
            e.pSettings = nullptr;
        }
        DestroyUserSettingsLibrary(&p);
        return e;
    }
    // Adds an entry made from the current settings, as a saved file.
    void AddEntry(const char16_t* name, const char16_t* comment = u"")
    {
        USETLIBRARY* p = CreateUserSettingsLibraryFull(nullptr, pObj);
        ASSERT_NE(nullptr, p);
        ASSERT_TRUE(bAddUserSettingFile(p, pObj, szFolder, name, comment));
        ASSERT_TRUE(bFinishUserSettingsLibrary(p));
        DestroyUserSettingsLibrary(&p);
    }
    std::u16string FileIn(const char16_t* name) { return std::u16string(szFolder) + u"\\" + name; }

    // Writes the committed settings into a DEVMODE and prints one page.
    std::string Print(UISETTINGS* p = nullptr)
    {
        p = p ? p : pObj;
        CommitEditedSettings(p);
        std::vector<BYTE> out = dm;
        EXPECT_EQ(1, SettingsToDevmode(p, (DEVMODEW*)out.data(), pdb));
        CreateDirectoryW(u"C:\\ports", nullptr);
        PlatInstallPrinter(u"QX-730 Job", u"C:\\ports\\job.prn", nullptr);
        HDC hdc = CreateDCW(nullptr, u"QX-730 Job", nullptr, (DEVMODEW*)out.data());
        EXPECT_NE(nullptr, hdc);
        if (!hdc)
            return {};
        DOCINFOW di = {sizeof(DOCINFOW), u"Monthly", nullptr, nullptr, 0};
        EXPECT_GT(StartDocW(hdc, &di), 0);
        EXPECT_GT(StartPage(hdc), 0);
        Rectangle(hdc, 100, 100, 400, 400);
        EXPECT_GT(EndPage(hdc), 0);
        EXPECT_GT(EndDoc(hdc), 0);
        DeleteDC(hdc);
        std::ifstream in(TestRootFile("c/ports/job.prn"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;
    HWND hwnd = nullptr;
    WCHAR szFolder[MAX_PATH] = {};
};
