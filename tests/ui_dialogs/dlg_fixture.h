// Sub-dialogs opened from the built library's templates with a settings
// object, as their pages open them, and acted on by the scripted user.
#pragma once

#include "tests/ui_dialogs/pane_fixture.h"

#include "platform/comctl/commctrl.h"
#include "platform/gdi/msgbox.h"
#include "platform/windows.h"
#include "ui/settings/optiondb.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

class SubDialogTest : public PaneTest {
public:
    static std::string Narrow(const std::u16string& s)
    {
        std::string r;
        for (char16_t c : s)
            r += c < 128 ? (char)c : '?';
        return r;
    }

protected:
    void SetUp() override
    {
        PaneTest::SetUp();
        // The spin controls' class, as the property sheet host has it.
        InitCommonControls();
        hUi = LoadLibraryW(u"Q730MVU3.DLL");
        ASSERT_NE(hUi, nullptr);
        PlatMsgBoxReset();
        PlatBeepReset();
        PlatScriptReset();
    }
    void TearDown() override
    {
        for (HWND h : open)
            if (IsWindow(h))
                DestroyWindow(h);
        PlatScriptReset();
        PlatMsgBoxReset();
        if (hUi)
            FreeLibrary(hUi);
        PaneTest::TearDown();
    }
    // The dialog as a window the test acts on step by step.
    HWND Open(int id, DLGPROC proc, LPARAM lParam)
    {
        HWND h = CreateDialogParamW(hUi, MAKEINTRESOURCEW(id), nullptr, proc, lParam);
        if (h) {
            ShowWindow(h, SW_SHOW);
            PlatPumpMessages();
            open.push_back(h);
        }
        return h;
    }
    // The dialog as its page opens it: modal, the steps run by the
    // scripted user; answers what DialogBoxParamW answers.
    INT_PTR Modal(int id, DLGPROC proc, LPARAM lParam, const std::vector<PLATSCRIPTSTEP>& steps)
    {
        PlatScriptOnDialog(id, steps.data(), (int)steps.size());
        return DialogBoxParamW(hUi, MAKEINTRESOURCEW(id), nullptr, proc, lParam);
    }
    static PLATSCRIPTSTEP Type(int id, const char16_t* text) { return {PSS_TYPE, id, nullptr, text, -1, 0}; }
    static PLATSCRIPTSTEP Click(int id) { return {PSS_CLICK, id, nullptr, nullptr, -1, 0}; }
    static PLATSCRIPTSTEP Ok() { return {PSS_OK, 0, nullptr, nullptr, -1, 0}; }
    static PLATSCRIPTSTEP Cancel() { return {PSS_CANCEL, 0, nullptr, nullptr, -1, 0}; }

    static std::u16string Text(HWND h, int id)
    {
        WCHAR sz[64] = {};
        GetDlgItemTextW(h, id, sz, 64);
        return sz;
    }
    static bool Shown(HWND h, int id) { return IsWindowVisible(GetDlgItem(h, id)) != FALSE; }
    static bool Enabled(HWND h, int id) { return IsWindowEnabled(GetDlgItem(h, id)) != FALSE; }
    // Pastes text over the whole content of an edit (Ctrl+V).
    static bool Paste(HWND h, int id, const char16_t* text)
    {
        size_t cb = (std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t);
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, cb);
        memcpy(GlobalLock(g), text, cb);
        GlobalUnlock(g);
        if (!OpenClipboard(h))
            return false;
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, g);
        CloseClipboard();
        if (!PlatScriptFocus(h, id, nullptr))
            return false;
        SendDlgItemMessageW(h, id, EM_SETSEL, 0, -1);
        return PlatScriptPressKey(h, 'V', 22) != FALSE;
    }
    // Types one character into the focused edit as a key press.
    static void Key(HWND h, WCHAR ch) { PlatScriptPressKey(h, 0, ch); }

    std::u16string Field(WORD wParam)
    {
        const char16_t* p = (const char16_t*)GetParamSlot(pObj, wParam);
        return p ? std::u16string(p, std::char_traits<char16_t>::length(p)) : u"";
    }
    void SetField(WORD wParam, const char16_t* text)
    {
        char16_t* p = (char16_t*)GetParamSlot(pObj, wParam);
        ASSERT_NE(p, nullptr);
        memset(p, 0, 22);
        memcpy(p, text, std::char_traits<char16_t>::length(text) * 2);
    }
    // The stored form of a password is inverted unit by unit.
    std::u16string StoredPassword()
    {
        std::u16string s;
        const char16_t* p = (const char16_t*)GetParamSlot(pObj, 211);
        for (int i = 0; p && i < 11 && p[i]; ++i)
            s += (char16_t)(p[i] ^ 0xFFFF);
        return s;
    }
    void SetStoredPassword(const char16_t* plain)
    {
        char16_t* p = (char16_t*)GetParamSlot(pObj, 211);
        ASSERT_NE(p, nullptr);
        memset(p, 0, 22);
        for (int i = 0; plain[i]; ++i)
            p[i] = (char16_t)(plain[i] ^ 0xFFFF);
    }
    // The owner recorded in the settings (name and its stored length).
    void SetOwner(const char16_t* name, BYTE length)
    {
        char16_t* p = (char16_t*)GetParamSlot(pObj, 229);
        ASSERT_NE(p, nullptr);
        memset(p, 0, 66);
        memcpy(p, name, std::char_traits<char16_t>::length(name) * 2);
        *GetParamSlot(pObj, 227) = length;
    }
    UIITEMRANGE* Record(WORD wParam) { return (UIITEMRANGE*)GetParamSlot(pObj, wParam); }
    // The message boxes shown since the last reset.
    std::u16string BoxText(int i)
    {
        HWND h;
        LPCWSTR t = nullptr, c = nullptr;
        UINT u;
        return PlatMsgBoxGet(i, &h, &t, &c, &u) && t ? t : u"";
    }
    std::u16string BoxCaption(int i)
    {
        HWND h;
        LPCWSTR t = nullptr, c = nullptr;
        UINT u;
        return PlatMsgBoxGet(i, &h, &t, &c, &u) && c ? c : u"";
    }
    // Writes the dialog's picture for a person to look at.
    static void Picture(HWND h, const std::string& name)
    {
        std::string path = "/tmp/q730_dlg_" + name + ".png";
        EXPECT_TRUE(PlatWriteWindowPng(h, path.c_str())) << path;
    }

    HMODULE hUi = nullptr;
    std::vector<HWND> open;
};
