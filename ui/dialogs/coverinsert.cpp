// coverinsert.cpp: the cover insertion dialog and its notice. See
// coverinsert.h.
#include "ui/dialogs/coverinsert.h"

#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/paramcombo.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/subdlg.h"
#include "ui/pages/coverpage.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

namespace {

const WORD kCoverPage = 200;       // the Cover/insert page
const WORD kCoverSwitch = 240;     // its cover insertion switch
const UINT kCaption = 20167;
const int kMaxTrays = 32;

// The dialog's block.
struct COVERINSDLG {
    HWND hDlg;
    LONG_PTR pfnEdit;                // saved procedure of 2804
    UISETTINGS* pObj;
    SHORT asTray[kMaxTrays];         // value of each shown tray position
    SHORT sSavedTray;                // tray value at open
    DWORD dwDirty;                   // bit 1: the tray combo
};

UIITEMLIST* TrayList(UISETTINGS* pObj)
{
    return DlgParamList(pObj, u"lpInsertPITray");
}

PAGELISTS* PageLists(UISETTINGS* pObj)
{
    WORD w = pObj ? GetParamIdOfKey(u"pagenumStr") : 0;
    return w ? (PAGELISTS*)GetParamSlot(pObj, w) : nullptr;
}

COVERINSDLG* Block(HWND hDlg)
{
    return (COVERINSDLG*)DlgGetBlock(hDlg);
}

void Refresh(COVERINSDLG* p)
{
    if (p->dwDirty & 2) {
        p->dwDirty &= ~2u;
        DlgFillParamCombo(GetDlgItem(p->hDlg, IDC_COVERINS_TRAY), TrayList(p->pObj), p->asTray, kMaxTrays);
    }
}

void FocusAndSelect(HWND hDlg, int id)
{
    HWND h = GetDlgItem(hDlg, id);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
}

// The key filter of 2804: a character goes in only when the text it makes
// is still a page list of numbers of at most three digits.
LRESULT CALLBACK PagesEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    COVERINSDLG* p = Block(GetParent(hwnd));
    LONG_PTR pfn = p ? p->pfnEdit : 0;
    if (p && uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        if (ch != 3 && ch != 8 && ch != 22 && ch != 24 && ch != 26) {
            WCHAR szNow[COVERINS_MAX_CHARS + 1] = {0};
            WCHAR szNew[COVERINS_MAX_CHARS + 1] = {0};
            GetWindowTextW(hwnd, szNow, COVERINS_MAX_CHARS + 1);
            DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
            int n = InsertCharInText(szNow, szNew, COVERINS_MAX_CHARS + 1, dwSel, ch);
            if (n == 0 || CheckPageListSyntax(szNew, n, COVERINS_MAX_DIGITS) != PAGELIST_OK) {
                MessageBeep(MB_OK);
                return 0;
            }
        }
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    COVERINSDLG* p = (COVERINSDLG*)DlgAllocBlock(hDlg, sizeof(COVERINSDLG));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    UIITEMLIST* pList = TrayList(pObj);
    p->sSavedTray = pList ? pList->sInitial : 0;
    SendDlgItemMessageW(hDlg, IDC_COVERINS_PAGES, EM_LIMITTEXT, COVERINS_MAX_CHARS, 0);
    const PAGELISTS* pLists = PageLists(pObj);
    SHORT as[PAGELIST_MAX] = {0};
    int c = 0;
    if (pLists)
        LoadPageSlot(pLists, COVERINS_SLOT, &c, as, 0, COVERINS_MAX_PAGES);
    WCHAR sz[COVERINS_MAX_CHARS + 1] = {0};
    if (c > 0)
        FormatPageList(as, c, sz, COVERINS_MAX_CHARS + 1);
    SetDlgItemTextW(hDlg, IDC_COVERINS_PAGES, sz);
    p->dwDirty = 2;
    Refresh(p);
    p->pfnEdit = SubclassDlgEdit(hDlg, IDC_COVERINS_PAGES, PagesEditProc);
}

void End(HWND hDlg, int iResult)
{
    COVERINSDLG* p = Block(hDlg);
    if (p) {
        if (iResult == IDCANCEL) {
            UIITEMLIST* pList = TrayList(p->pObj);
            if (pList)
                pList->sInitial = p->sSavedTray;
        }
        RestoreEditProc(hDlg, IDC_COVERINS_PAGES, p->pfnEdit);
        DlgFreeBlock(hDlg);
    }
    UnregisterPageLink(IDD_COVERINSERT);
    EndDialog(hDlg, iResult);
}

// OK: the page list is checked and stored; FALSE keeps the dialog open.
BOOL StorePages(COVERINSDLG* p)
{
    HWND hDlg = p->hDlg;
    WCHAR sz[COVERINS_MAX_CHARS + 1] = {0};
    GetDlgItemTextW(hDlg, IDC_COVERINS_PAGES, sz, COVERINS_MAX_CHARS + 1);
    int cch = lstrlenW(sz);
    SHORT as[COVERINS_MAX_PAGES] = {0};
    int c = 0;
    BOOL bOk = TRUE;
    int iErr = CheckPageListSyntax(sz, cch, COVERINS_MAX_DIGITS);
    if (iErr != PAGELIST_OK) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowPageListError(hDlg, kCaption, iErr, PAGELIST_KIND_SHEETS);
        bOk = FALSE;
    } else if (cch > 0) {
        c = ParsePageRanges(sz, as, COVERINS_MAX_PAGES);
        if (c == 0) {
            // A text that names no page (it ends in a separator) would
            // otherwise empty the list: it is refused like a doubled one.
            MessageBeep(MB_ICONEXCLAMATION);
            ShowPageListError(hDlg, kCaption, sz[cch - 1] == u'-' ? PAGELIST_BAD_HYPHEN : PAGELIST_BAD_COMMA,
                              PAGELIST_KIND_SHEETS);
            bOk = FALSE;
        } else if (c < 0) {
            MessageBeep(MB_ICONEXCLAMATION);
            ShowPageListError(hDlg, kCaption, PAGELIST_TOO_MANY, PAGELIST_KIND_COVERS);
            bOk = FALSE;
        } else {
            SHORT asDup[COVERINS_MAX_PAGES / 2] = {0};
            int cDup = CollectDuplicateValues(as, c, asDup, COVERINS_MAX_PAGES / 2);
            if (cDup > 0) {
                MessageBeep(MB_ICONEXCLAMATION);
                ShowDuplicatePagesWarning(hDlg, kCaption, asDup, cDup);
                bOk = FALSE;
            }
        }
    }
    if (!bOk) {
        FocusAndSelect(hDlg, IDC_COVERINS_PAGES);
        return FALSE;
    }
    PAGELISTS* pLists = PageLists(p->pObj);
    if (pLists) {
        SortPageNumbers(as, c);
        StorePageSlot(pLists, c, COVERINS_SLOT, as);
    }
    return TRUE;
}

void Command(HWND hDlg, WPARAM wParam)
{
    COVERINSDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam);
    if (id == IDCANCEL) {
        End(hDlg, IDCANCEL);
        return;
    }
    if (!p)
        return;
    SetActivePageId(p->pObj, IDD_COVERINSERT);
    if (id == IDOK) {
        if (StorePages(p))
            End(hDlg, IDOK);
    } else if (id == IDC_COVERINS_TRAY && HIWORD(wParam) == CBN_SELCHANGE) {
        if (DlgReadParamCombo(GetDlgItem(hDlg, IDC_COVERINS_TRAY), TrayList(p->pObj)))
            CoverInsertUpdateControl(hDlg, id);
    }
}

// The engine's route to the open dialog.
int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_COVERINSERT, &h);
    return CoverInsertUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

int CoverInsertUpdateControl(HWND hDlg, WORD wId)
{
    COVERINSDLG* p = Block(hDlg);
    if (!p)
        return 0;
    if (wId != IDC_COVERINS_TRAY) {
        p->dwDirty = 0;
        return 0;
    }
    p->dwDirty = 2;
    Refresh(p);
    return 1;
}

INT_PTR CALLBACK CoverInsertDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_COVERINSERT, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    }
    return FALSE;
}

void CancelCoverInsertWithNotice(HWND hwnd, UINT uCaptionId, UINT uTextId, UINT uText2Id, int bSingleText,
                                 UISETTINGS* pObj)
{
    WCHAR szText[512] = {0};
    WCHAR szCaption[256] = {0};
    DlgAppend(szText, 512, GetResString(uTextId));
    if (bSingleText != 1)
        DlgAppend(szText, 512, GetResString(uText2Id));
    lstrcpynW(szCaption, GetResString(uCaptionId), 256);
    MessageBoxW(hwnd, szText, szCaption, MB_ICONINFORMATION);
    if (!pObj)
        return;
    DlgSetSetting(pObj, u"InsertCoverSheet_Check", 0);
    if (GetActivePageId(pObj) == kCoverPage)
        CoverPageMarkDirty(hwnd, kCoverSwitch, 0);
    EvaluateControlDependencies(hwnd, pObj);
    RefreshPreviewPane(hwnd, pObj);
}

void ResetCoverInsertion(UISETTINGS* pObj)
{
    UIITEMLIST* pList = TrayList(pObj);
    if (pList)
        pList->sInitial = pList->sDefault;
    PAGELISTS* pLists = PageLists(pObj);
    if (pLists)
        ClearPageSlot(pLists, COVERINS_SLOT);
}

int CountCoverInsertPages(UISETTINGS* pObj)
{
    const PAGELISTS* pLists = PageLists(pObj);
    return pLists ? GetPageSlotCount(pLists, COVERINS_SLOT) : 0;
}
