// fontpage.cpp: the Font page (see fontpage.h).
//
// Unlike the other pages it keeps no refresh mask and asks no rule: its
// only tie to the other settings is the graphics mode, which disables it
// in raster mode (printer fonts exist only in vector mode).
#include "ui/pages/fontpage.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/fonthelp.h"
#include "ui/settings/listset.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/strcache.h"

#include <cstring>
#include <vector>

namespace {

enum : WORD {
    P_FONTUSE = 203,
    P_GRAPHICSMODE = 33,
};

enum : WORD {
    IDC_FONTUSE = 701,
    IDC_TABLEGROUP = 702,
    IDC_SETTINGLABEL_LAST = 710,
    IDC_FONTHEADER = 704,
    IDC_LIST = 705,
    IDC_PRINTERFONT = 709,
    IDC_FACE = 710,
    IDC_DEFAULTS = 711,
};

// Text of the entry that means no printer font.
const UINT kNoSubstText = 31000;

// The page's record: the settings object first. The list shows either the
// user's pairs or, after restore defaults, the default table's; apply keeps
// that list's pairs for the families the page does not show.
struct FONTPAGEREC {
    UISETTINGS* pSettings;
    HWND hwnd;
    BOOL bDefaultsShown;
};

FONTPAGEREC* Rec(HWND hwnd)
{
    const PAGEDESC* p = PageGetDesc(hwnd);
    return (p && p->wPageId == 700) ? (FONTPAGEREC*)PageGetRecord(hwnd) : nullptr;
}

FONTSUBLIST* UserList(UISETTINGS* pObj)
{
    return (pObj && pObj->trailer.pListSet) ? pObj->trailer.pListSet->pFontSub : nullptr;
}

LPCWSTR NoSubstText()
{
    LPCWSTR psz = GetResString(kNoSubstText);
    return psz ? psz : u"";
}

// The built-in default table.
struct DEFAULTTABLE {
    std::vector<FONTSUBPAIR> pairs;
    int cRows = 0;
    DEFAULTTABLE() : pairs(FONTSUB_PAIRS)
    {
        FONTSUBLIST l = {0, 0, pairs.data()};
        SetDefaultFontSubList(&l);
        cRows = l.sCount;
    }
};
const DEFAULTTABLE& Defaults()
{
    static const DEFAULTTABLE s_table;
    return s_table;
}

// The printer font of face in pairs (first pair whose face equals it);
// null when none.
LPCWSTR LookUp(const FONTSUBPAIR* pPairs, int cPairs, LPCWSTR pszFace)
{
    for (int i = 0; pPairs && i < cPairs; ++i)
        if (!lstrcmpW(pPairs[i].szTrueType, pszFace))
            return pPairs[i].szDevice;
    return nullptr;
}

std::u16string RowText(HWND hList, int i)
{
    LRESULT n = SendMessageW(hList, LB_GETTEXTLEN, (WPARAM)i, 0);
    if (n == LB_ERR || n < 0)
        return {};
    std::u16string s((size_t)n + 1, u'\0');
    SendMessageW(hList, LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
    s.resize(std::char_traits<char16_t>::length(s.c_str()));
    return s;
}

// Splits a row at its first TAB.
void SplitRow(const std::u16string& s, std::u16string* pFace, std::u16string* pFont)
{
    size_t t = s.find(u'\t');
    *pFace = s.substr(0, t);
    *pFont = t == std::u16string::npos ? std::u16string() : s.substr(t + 1);
}

// The printer-font column starts under its header (704), in the list's
// dialog units; without the header, at a little over half the list.
void SetRowTabStop(HWND hwnd, HWND hList)
{
    RECT rcList = {}, rcHead = {};
    GetWindowRect(hList, &rcList);
    HWND hHead = GetDlgItem(hwnd, IDC_FONTHEADER);
    RECT rcUnit = {0, 0, 4, 8};
    MapDialogRect(hwnd, &rcUnit);
    int iTab = 0;
    if (hHead && rcUnit.right > 0) {
        GetWindowRect(hHead, &rcHead);
        iTab = (rcHead.left - rcList.left) * 4 / rcUnit.right;
    }
    if (iTab <= 0) {
        int w = rcList.right - rcList.left;
        int b = LOWORD(GetDialogBaseUnits());
        iTab = (w / 2) / (b >= 4 ? b / 4 : 1) + w / 20;
    }
    SendMessageW(hList, LB_SETTABSTOPS, 1, (LPARAM)&iTab);
}

// The combo of printer fonts: "no substitution", then the default table's
// printer fonts in table order (item k + 1 is table row k).
void FillPrinterFontCombo(HWND hwnd)
{
    HWND h = GetDlgItem(hwnd, IDC_PRINTERFONT);
    if (!h)
        return;
    SendMessageW(h, CB_RESETCONTENT, 0, 0);
    SendMessageW(h, CB_ADDSTRING, 0, (LPARAM)NoSubstText());
    const DEFAULTTABLE& d = Defaults();
    for (int k = 0; k < d.cRows; ++k)
        SendMessageW(h, CB_ADDSTRING, 0, (LPARAM)d.pairs[k].szDevice);
}

// Shows the selected row below the list and remembers it.
void ShowSelectedRow(HWND hwnd, UISETTINGS* pObj)
{
    FONTSUBLIST* pList = UserList(pObj);
    HWND hList = GetDlgItem(hwnd, IDC_LIST);
    if (!pList || !hList)
        return;
    LRESULT i = SendMessageW(hList, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR)
        return;
    std::u16string face, font;
    SplitRow(RowText(hList, (int)i), &face, &font);
    SetDlgItemTextW(hwnd, IDC_FACE, face.c_str());
    int iItem = 0;
    const DEFAULTTABLE& d = Defaults();
    for (int k = 0; k < d.cRows; ++k)
        if (font == d.pairs[k].szDevice) {
            iItem = k + 1;
            break;
        }
    SendDlgItemMessageW(hwnd, IDC_PRINTERFONT, CB_SETCURSEL, (WPARAM)iItem, 0);
    pList->sIndex = (SHORT)i;
}

void EnableRange(HWND hwnd, WORD wFirst, WORD wLast, BOOL bEnable)
{
    for (WORD w = wFirst; w <= wLast; ++w)
        if (HWND h = GetDlgItem(hwnd, w))
            EnableWindow(h, bEnable);
}

// Selects the remembered row in the list (or nothing).
void SelectRemembered(HWND hwnd, UISETTINGS* pObj, BOOL bSelect)
{
    FONTSUBLIST* pList = UserList(pObj);
    WPARAM i = (bSelect && pList) ? (WPARAM)(int)pList->sIndex : (WPARAM)-1;
    SendDlgItemMessageW(hwnd, IDC_LIST, LB_SETCURSEL, i, 0);
}

// The use switch shown in the controls it governs.
void ApplyUseSwitch(HWND hwnd, UISETTINGS* pObj)
{
    BOOL bUse = GetParamEdited(pObj, P_FONTUSE) == 1;
    EnableRange(hwnd, IDC_TABLEGROUP, IDC_SETTINGLABEL_LAST, bUse);
    SelectRemembered(hwnd, pObj, bUse);
}

// The enabling by the graphics mode and the use switch.
void EnableByMode(HWND hwnd, UISETTINGS* pObj)
{
    if (GetParamEdited(pObj, P_GRAPHICSMODE) == 1) {
        // Raster mode prints no printer font; the setting keeps its value.
        EnableRange(hwnd, IDC_FONTUSE, IDC_SETTINGLABEL_LAST, FALSE);
        CheckDlgButton(hwnd, IDC_FONTUSE, BST_UNCHECKED);
        SendDlgItemMessageW(hwnd, IDC_LIST, LB_SETCURSEL, (WPARAM)-1, 0);
    } else {
        BOOL bUse = GetParamEdited(pObj, P_FONTUSE) == 1;
        EnableWindow(GetDlgItem(hwnd, IDC_FONTUSE), TRUE);
        EnableRange(hwnd, IDC_TABLEGROUP, IDC_SETTINGLABEL_LAST, bUse);
        SelectRemembered(hwnd, pObj, bUse);
        CheckDlgButton(hwnd, IDC_FONTUSE, bUse ? BST_CHECKED : BST_UNCHECKED);
    }
    if (HWND h = GetDlgItem(hwnd, IDC_DEFAULTS))
        EnableWindow(h, TRUE);
    if (!bSheetEditable(pObj))
        EnableRange(hwnd, IDC_FONTUSE, IDC_DEFAULTS, FALSE);
}

// A printer font chosen for the selected row.
void OnPrinterFontChosen(HWND hwnd, UISETTINGS* pObj)
{
    HWND hList = GetDlgItem(hwnd, IDC_LIST);
    HWND hCombo = GetDlgItem(hwnd, IDC_PRINTERFONT);
    LRESULT i = SendMessageW(hList, LB_GETCURSEL, 0, 0);
    LRESULT k = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (i == LB_ERR || k == CB_ERR)
        return;
    WCHAR szFace[33] = {};
    GetDlgItemTextW(hwnd, IDC_FACE, szFace, 33);
    WCHAR szFont[64] = {};
    if (SendMessageW(hCombo, CB_GETLBTEXTLEN, (WPARAM)k, 0) < 64)
        SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)k, (LPARAM)szFont);
    std::u16string row = std::u16string(szFace) + u"\t" + szFont;
    SendMessageW(hList, LB_DELETESTRING, (WPARAM)i, 0);
    SendMessageW(hList, LB_INSERTSTRING, (WPARAM)i, (LPARAM)row.c_str());
    SendMessageW(hList, LB_SETCURSEL, (WPARAM)i, 0);
    if (FONTSUBLIST* pList = UserList(pObj))
        pList->sIndex = (SHORT)i;
    NotifySheetChanged(hwnd);
}

void RestoreDefaults(HWND hwnd, UISETTINGS* pObj)
{
    SetParamEdited(pObj, P_FONTUSE, GetParamDefault(pObj, P_FONTUSE));
    CheckDlgButton(hwnd, IDC_FONTUSE, GetParamEdited(pObj, P_FONTUSE) == 1 ? BST_CHECKED : BST_UNCHECKED);
    ApplyUseSwitch(hwnd, pObj);
    FillFontSubstList(hwnd, pObj, FONTSUBST_DEFAULTS);
    if (FONTPAGEREC* r = Rec(hwnd))
        r->bDefaultsShown = TRUE;
    ShowSelectedRow(hwnd, pObj);
    EnableByMode(hwnd, pObj);
    NotifySheetChanged(hwnd);
}

// ---- Frame steps ----

void Init(HWND hwnd, UISETTINGS* pObj)
{
    FONTPAGEREC* r = Rec(hwnd);
    if (!r)
        return;
    r->hwnd = hwnd;
    CheckDlgButton(hwnd, IDC_FONTUSE, GetParamCommitted(pObj, P_FONTUSE) == 1 ? BST_CHECKED : BST_UNCHECKED);
    ApplyUseSwitch(hwnd, pObj);
    FillFontSubstList(hwnd, pObj, FONTSUBST_USER);
    FillPrinterFontCombo(hwnd);
    // Showing the first row is no change of the user's: the sheet's Apply
    // stays as it is.
    ShowSelectedRow(hwnd, pObj);
    EnableByMode(hwnd, pObj);
}

void Apply(HWND hwnd, UISETTINGS* pObj)
{
    SetParamCommitted(pObj, P_FONTUSE, GetParamEdited(pObj, P_FONTUSE));
    StoreFontSubstList(hwnd, UserList(pObj));
}

BOOL Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    if (!Rec(hwnd) || !bSheetEditable(pObj))
        return TRUE;
    switch (wId) {
    case IDC_FONTUSE:
        SetParamEdited(pObj, P_FONTUSE, IsDlgButtonChecked(hwnd, IDC_FONTUSE) == BST_CHECKED ? 1 : 0);
        ApplyUseSwitch(hwnd, pObj);
        NotifySheetChanged(hwnd);
        return TRUE;
    case IDC_LIST:
        if (wCode == LBN_SELCHANGE) {
            ShowSelectedRow(hwnd, pObj);
            NotifySheetChanged(hwnd);
        }
        return TRUE;
    case IDC_PRINTERFONT:
        if (wCode == CBN_SELCHANGE)
            OnPrinterFontChosen(hwnd, pObj);
        return TRUE;
    case IDC_DEFAULTS:
        if (wCode == BN_CLICKED)
            RestoreDefaults(hwnd, pObj);
        return TRUE;
    }
    return TRUE;
}

const PAGEDESC kFontPage = {700,   HELPCTX_FONT, 714,     offsetof(FONTPAGEREC, pSettings), sizeof(FONTPAGEREC), 0,       0,      TRUE, FALSE,
                            Init,  nullptr,      nullptr, Apply,   Command,             nullptr, nullptr, nullptr};

}  // namespace

void FillFontSubstList(HWND hwnd, UISETTINGS* pObj, int iSource)
{
    FONTSUBLIST* pUser = UserList(pObj);
    HWND hList = GetDlgItem(hwnd, IDC_LIST);
    if (!pUser || !hList)
        return;
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    HDC hdc = GetDC(hwnd);
    if (hdc) {
        FONTLISTARG arg = {};
        arg.iMode = 0;
        arg.hDlg = hwnd;
        arg.iListId = IDC_LIST;
        EnumFontFamiliesW(hdc, nullptr, (FONTENUMPROCW)EnumFontListProc, (LPARAM)&arg);
        ReleaseDC(hwnd, hdc);
    }
    const DEFAULTTABLE& d = Defaults();
    int n = (int)SendMessageW(hList, LB_GETCOUNT, 0, 0);
    std::vector<std::u16string> rows;
    for (int i = 0; i < n; ++i) {
        std::u16string face = RowText(hList, i);
        LPCWSTR pszFont = iSource == FONTSUBST_USER ? LookUp(pUser->pPairs, pUser->sCount, face.c_str())
                                                     : LookUp(d.pairs.data(), d.cRows, face.c_str());
        rows.push_back(face + u"\t" + (pszFont && *pszFont ? pszFont : NoSubstText()));
    }
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    for (const std::u16string& s : rows) {
        SetRowTabStop(hwnd, hList);
        SendMessageW(hList, LB_ADDSTRING, 0, (LPARAM)s.c_str());
    }
    SendMessageW(hList, LB_SETCURSEL, 0, 0);
}

int StoreFontSubstList(HWND hwnd, FONTSUBLIST* pList)
{
    HWND hList = GetDlgItem(hwnd, IDC_LIST);
    if (!pList || !pList->pPairs || !hList)
        return 0;
    // The list the rows were filled from: the user's pairs, or the default
    // table after restore defaults. The page lists only the families
    // installed here; the pairs of the others stay as they are.
    std::vector<FONTSUBPAIR> base;
    const FONTPAGEREC* r = Rec(hwnd);
    if (r && r->bDefaultsShown) {
        const DEFAULTTABLE& d = Defaults();
        base.assign(d.pairs.begin(), d.pairs.begin() + d.cRows);
    } else {
        int cBase = pList->sCount < 0 ? 0 : (pList->sCount > FONTSUB_PAIRS ? FONTSUB_PAIRS : pList->sCount);
        base.assign(pList->pPairs, pList->pPairs + cBase);
    }
    memset(pList->pPairs, 0, sizeof(FONTSUBPAIR) * FONTSUB_PAIRS);
    int n = (int)SendMessageW(hList, LB_GETCOUNT, 0, 0);
    int c = 0;
    const std::u16string none = NoSubstText();
    std::vector<std::u16string> faces;
    for (int i = 0; i < n; ++i) {
        std::u16string face, font;
        SplitRow(RowText(hList, i), &face, &font);
        faces.push_back(face);
        if (c >= FONTSUB_PAIRS || font == none || font.empty() || face.empty())
            continue;
        lstrcpynW(pList->pPairs[c].szTrueType, face.c_str(), 32);
        lstrcpynW(pList->pPairs[c].szDevice, font.c_str(), 32);
        ++c;
    }
    for (const FONTSUBPAIR& p : base) {
        if (c >= FONTSUB_PAIRS)
            break;
        if (!p.szTrueType[0] || !p.szDevice[0])
            continue;
        bool bShown = false;
        for (const std::u16string& f : faces)
            bShown = bShown || !lstrcmpW(f.c_str(), p.szTrueType);
        if (!bShown)
            pList->pPairs[c++] = p;
    }
    pList->sCount = (SHORT)c;
    return c;
}

INT_PTR CALLBACK FontPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND) {
        // The page asks no rule and leaves the active page as it is.
        FONTPAGEREC* r = Rec(hwnd);
        if (!r || !r->pSettings)
            return FALSE;
        return Command(hwnd, r->pSettings, LOWORD(wParam), HIWORD(wParam));
    }
    if (uMsg == WM_NOTIFY && lParam && ((const NMHDR*)lParam)->code == PSN_SETACTIVE) {
        FONTPAGEREC* r = Rec(hwnd);
        if (!r || !r->pSettings)
            return FALSE;
        if (bSheetEditable(r->pSettings))
            EnableByMode(hwnd, r->pSettings);
        ShowPendingConflictReport(hwnd, r->pSettings);
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    return PageFrameDlgProc(&kFontPage, hwnd, uMsg, wParam, lParam);
}
