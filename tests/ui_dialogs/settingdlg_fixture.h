// A settings object as a page hands it to a setting dialog, the dialog
// templates of the built user-interface library, and the scripted user.
#pragma once

#include "platform/gdi/msgbox.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SettingDlgTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A setting by its settings-file key.
    void Set(const char16_t* key, SHORT value) { ASSERT_TRUE(DlgSetSetting(pObj, key, value)) << Narrow(key); }
    SHORT Get(const char16_t* key) { return DlgGetSetting(pObj, key); }

    // Opens the dialog as a page does, with steps queued for the scripted
    // user; answers the dialog's result.
    INT_PTR Run(int idTemplate, DLGPROC proc, std::initializer_list<PLATSCRIPTSTEP> steps);
    // Opens it modeless and shown, for looking at it while open.
    HWND Open(int idTemplate, DLGPROC proc);
    void Close(HWND h);
    // Writes the window's picture to the test root and to /tmp.
    void Picture(HWND h, const std::string& name);

public:
    // The text of a control and the message boxes shown.
    static std::u16string Text(HWND hDlg, int id);
    static std::vector<std::u16string> Boxes();
    static std::string Narrow(const std::u16string& s);
    static std::string Err();

protected:

    // Commits the settings, writes the DEVMODE and prints one page with it.
    std::string PrintJob();
    static std::string PjlLine(const std::string& job, const std::string& key);

    HMODULE hUi = nullptr;
    UISETTINGS* pObj = nullptr;
    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    // The dialogs Open made: one that OK or Cancel only ended is still a
    // window, and goes in TearDown.
    std::vector<HWND> open;
};

// Steps of a script.
inline PLATSCRIPTSTEP Click(int id) { return {PSS_CLICK, id, nullptr, nullptr, -1, 0}; }
inline PLATSCRIPTSTEP Choose(int id, const char16_t* item) { return {PSS_CHOOSE, id, nullptr, item, -1, 0}; }
inline PLATSCRIPTSTEP ChooseAt(int id, int index) { return {PSS_CHOOSE, id, nullptr, nullptr, index, 0}; }
inline PLATSCRIPTSTEP Type(int id, const char16_t* text) { return {PSS_TYPE, id, nullptr, text, -1, 0}; }
inline PLATSCRIPTSTEP Check(int id, int state) { return {PSS_CHECK, id, nullptr, nullptr, -1, state}; }
inline PLATSCRIPTSTEP Focus(int id) { return {PSS_FOCUS, id, nullptr, nullptr, -1, 0}; }
inline PLATSCRIPTSTEP Answer(int a) { return {PSS_ANSWER, 0, nullptr, nullptr, -1, a}; }
inline PLATSCRIPTSTEP PressOK() { return {PSS_OK, 0, nullptr, nullptr, -1, 0}; }
inline PLATSCRIPTSTEP PressCancel() { return {PSS_CANCEL, 0, nullptr, nullptr, -1, 0}; }
