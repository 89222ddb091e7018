// The page stand-in of the library tests.
#include "tests/ui_library/library_fixture.h"

namespace {
const int kButton = 4000;
}

LRESULT CALLBACK LibraryTest::TestWndProc(HWND h, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    NoteSaveRecallMenuClosed(uMsg, lParam);
    UISETTINGS* p = (UISETTINGS*)GetWindowLongPtrW(h, GWLP_USERDATA);
    switch (uMsg) {
    case WM_MEASUREITEM:
        if (MeasureSaveRecallMenuItem(h, (MEASUREITEMSTRUCT*)lParam))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawSaveRecallMenuItem((const DRAWITEMSTRUCT*)lParam))
            return TRUE;
        break;
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        if (id == kButton) {
            ShowSaveRecallMenu(h, p, kButton);
            return 0;
        }
        // What a page does with the menu's commands.
        BOOL bRecalled = FALSE;
        switch (id) {
        case IDM_USET_SAVE:
            OpenSaveSettingsDialog(h, p);
            return 0;
        case IDM_USET_RECALL:
            BindFeatureFields(p);
            SaveFeatureValues(p);
            bRecalled = OpenRecallSettingsDialog(h, p) == 1;
            break;
        case IDM_USET_ORGANIZE:
            OpenOrganizeLibraryDialog(h, p);
            return 0;
        case IDM_USET_DETAIL:
            OpenRecallDetailDialog(h, p);
            return 0;
        case IDM_USET_SAVE_FULL:
            ShowLibraryFullOnSaveNotice(h);
            return 0;
        case IDM_USET_FULL_NOTICE:
            ShowLibraryFullNotice(h);
            return 0;
        default:
            if (!bIsLibraryMenuId(id))
                break;
            BindFeatureFields(p);
            SaveFeatureValues(p);
            bRecalled = ApplyLibraryMenuEntry(h, p, id);
            break;
        }
        if (bRecalled)
            ResolveConstraintsAll(nullptr, p);
        return 0;
    }
    }
    return DefWindowProcW(h, uMsg, wParam, lParam);
}

HWND LibraryTest::CreateTestWindow()
{
    static bool bRegistered = false;
    if (!bRegistered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWndProc;
        wc.lpszClassName = u"Q730LibraryPage";
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        RegisterClassW(&wc);
        bRegistered = true;
    }
    HWND h = CreateWindowExW(0, u"Q730LibraryPage", u"Page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                             nullptr, nullptr, nullptr, nullptr);
    if (!h)
        return nullptr;
    SetWindowLongPtrW(h, GWLP_USERDATA, (LONG_PTR)pObj);
    CreateWindowExW(0, u"BUTTON", u"Save/Recall", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 100, 24, h,
                    (HMENU)(INT_PTR)kButton, nullptr, nullptr);
    return h;
}
