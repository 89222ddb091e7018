// indexpaper.cpp: the index paper dialog. See indexpaper.h.
#include "ui/dialogs/indexpaper.h"

#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/insertpreview.h"
#include "ui/dialogs/paramcombo.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/subdlg.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/listset.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const WORD kParamNCurrent = 207;  // 1-based number of the current list
const DWORD kHelpContext = 3109;
const int kMaxItems = 64;

// The four position fields.
struct FIELD {
    int idEdit;
    int idSpin;
    int idRange;
    LPCWSTR pszKey;
    int cchMax;
    UINT uName;
    bool bSigned;
};
const FIELD kFields[4] = {
    {IDC_IDX_TOP, IDC_IDX_TOP_SPIN, IDC_IDX_TOP_RANGE, u"TabTopMargin", 3, 28571, false},
    {IDC_IDX_BOTTOM, IDC_IDX_BOTTOM_SPIN, IDC_IDX_BOTTOM_RANGE, u"TabBottomMargin", 3, 28572, false},
    {IDC_IDX_SPACE, IDC_IDX_SPACE_SPIN, IDC_IDX_SPACE_RANGE, u"TabIndexSpace", 2, 28573, false},
    {IDC_IDX_POSITION, IDC_IDX_POSITION_SPIN, IDC_IDX_POSITION_RANGE, u"TabTextPosition", 3, 28574, true},
};

// The dialog's block.
struct IDXDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    LONG_PTR apfnEdit[4];
    BYTE bCheckMode;      // 2 while OK checks the edits
    SHORT asLimit[8];     // maximum and minimum of each field, in field order
    SHORT asSize[kMaxItems];
    SHORT asTabs[kMaxItems];
};

IDXDLG* Block(HWND hDlg)
{
    return (IDXDLG*)DlgGetBlock(hDlg);
}

int FieldOf(int idEdit)
{
    for (int i = 0; i < 4; ++i)
        if (kFields[i].idEdit == idEdit)
            return i;
    return -1;
}

UIITEMRANGE* Record(UISETTINGS* pObj, int iField)
{
    WORD w = GetParamIdOfKey(kFields[iField].pszKey);
    return w ? (UIITEMRANGE*)GetParamSlot(pObj, w) : nullptr;
}

// The tab block of the current list's set record; null without the lists.
BYTE* SetBlock(UISETTINGS* pObj)
{
    LISTSET* ls = pObj ? pObj->trailer.pListSet : nullptr;
    const BYTE* pn = pObj ? GetParamSlot(pObj, kParamNCurrent) : nullptr;
    SHORT n = 0;
    if (pn)
        memcpy(&n, pn, 2);
    if (!ls || !ls->pInterSheet || !ls->pInterSheet->pLists || n < 1 || n > INTERSHEET_LISTS)
        return nullptr;
    return ls->pInterSheet->pLists[n - 1].pTabBlock;
}

void ShowValue(HWND hDlg, int iField, SHORT s)
{
    SetDlgItemInt(hDlg, kFields[iField].idEdit, (UINT)(int)s, kFields[iField].bSigned);
}

void SelectEdit(HWND hDlg, int idEdit)
{
    HWND h = GetDlgItem(hDlg, idEdit);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
}

// The limits in force, their texts and the spins.
void ComputeRanges(IDXDLG* p)
{
    SHORT asMin[4] = {0}, asMax[4] = {0};
    for (int i = 0; i < 4; ++i) {
        const UIITEMRANGE* r = Record(p->pObj, i);
        asMin[i] = r ? r->sMin : 0;
        asMax[i] = r ? r->sMax : 0;
    }
    LONG lWidth = 0, lLength = 0;
    GetPaperSizeMm100(DlgGetSetting(p->pObj, u"lpTabPaperSize"), &lWidth, &lLength);
    asMax[2] = IndexPaperSpaceMax(lLength / 100, DlgGetSetting(p->pObj, u"lpTabIndexNum"), asMax[0], asMax[1],
                                  asMin[2], asMax[2]);
    for (int i = 0; i < 4; ++i) {
        p->asLimit[2 * i] = asMax[i];
        p->asLimit[2 * i + 1] = asMin[i];
        WCHAR sz[64] = {0};
        DlgFormat(sz, 64, GetResString(20162), (int)asMin[i], (int)asMax[i]);
        SetDlgItemTextW(p->hDlg, kFields[i].idRange, sz);
        if (i < 3)
            SendDlgItemMessageW(p->hDlg, kFields[i].idSpin, UDM_SETRANGE, 0, MAKELONG(asMax[i], asMin[i]));
    }
}

void FillCombos(IDXDLG* p)
{
    DlgFillParamCombo(GetDlgItem(p->hDlg, IDC_IDX_SIZE), DlgParamList(p->pObj, u"lpTabPaperSize"), p->asSize,
                      kMaxItems);
    DlgFillParamCombo(GetDlgItem(p->hDlg, IDC_IDX_TABS), DlgParamList(p->pObj, u"lpTabIndexNum"), p->asTabs,
                      kMaxItems);
}

void RedrawPreview(HWND hDlg)
{
    InvalidateRect(GetDlgItem(hDlg, IDC_IDX_PREVIEW), nullptr, TRUE);
}

// The four positions back to their defaults, shown.
void ResetPositions(IDXDLG* p)
{
    for (int i = 0; i < 4; ++i) {
        UIITEMRANGE* r = Record(p->pObj, i);
        if (r)
            r->sInitial = r->sDefault;
    }
    for (int i = 0; i < 4; ++i) {
        const UIITEMRANGE* r = Record(p->pObj, i);
        ShowValue(p->hDlg, i, r ? r->sDefault : 0);
    }
}

// The range warning of a field.
void RangeWarning(IDXDLG* p, int iField)
{
    WCHAR szText[512] = {0};
    WCHAR szCaption[256] = {0};
    DlgFormat(szText, 512, GetResString(21014), GetResString(kFields[iField].uName),
              (int)p->asLimit[2 * iField + 1], (int)p->asLimit[2 * iField]);
    lstrcpynW(szCaption, GetResString(21009), 256);
    MessageBoxW(p->hDlg, szText, szCaption, MB_ICONWARNING);
}

// The text of a field as a number: TRUE for digits (with an optional
// leading minus in the signed field). *pbDefault is set for the signed
// field's "-" and "-0", which pass but are replaced by the default.
BOOL TextIsNumber(const WCHAR* sz, bool bSigned, bool* pbDefault)
{
    *pbDefault = false;
    const WCHAR* c = sz;
    if (bSigned && *c == u'-') {
        ++c;
        if (*c == 0 || (c[0] == u'0' && c[1] == 0)) {
            *pbDefault = true;
            return TRUE;
        }
    }
    if (*c == 0)
        return FALSE;
    for (; *c; ++c)
        if (*c < u'0' || *c > u'9')
            return FALSE;
    return TRUE;
}

// Checks one edit; on failure warns and puts the default in.
BOOL CheckField(IDXDLG* p, int iField)
{
    const FIELD& f = kFields[iField];
    WCHAR sz[8] = {0};
    GetDlgItemTextW(p->hDlg, f.idEdit, sz, f.bSigned ? 8 : 4);
    bool bDefault = false;
    const UIITEMRANGE* r = Record(p->pObj, iField);
    SHORT sDefault = r ? r->sDefault : 0;
    if (TextIsNumber(sz, f.bSigned, &bDefault)) {
        if (bDefault)
            ShowValue(p->hDlg, iField, sDefault);
        return TRUE;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    RangeWarning(p, iField);
    ShowValue(p->hDlg, iField, sDefault);
    SelectEdit(p->hDlg, f.idEdit);
    return FALSE;
}

// EN_CHANGE: every keystroke takes effect, clamped to the limits in force.
void OnEditChange(IDXDLG* p, int iField)
{
    UIITEMRANGE* r = Record(p->pObj, iField);
    if (!r)
        return;
    WCHAR sz[8] = {0};
    GetDlgItemTextW(p->hDlg, kFields[iField].idEdit, sz, 8);
    int n = 0;
    bool bNeg = sz[0] == u'-';
    for (const WCHAR* c = sz + (bNeg ? 1 : 0); *c >= u'0' && *c <= u'9'; ++c)
        n = n * 10 + (*c - u'0');
    if (bNeg)
        n = -n;
    if (n == r->sInitial)
        return;
    SHORT sMax = p->asLimit[2 * iField], sMin = p->asLimit[2 * iField + 1];
    if (n < sMin || n > sMax) {
        n = n < sMin ? sMin : sMax;
        r->sInitial = (SHORT)n;
        ShowValue(p->hDlg, iField, (SHORT)n);
        SelectEdit(p->hDlg, kFields[iField].idEdit);
    }
    r->sInitial = (SHORT)n;
    RedrawPreview(p->hDlg);
}

LRESULT CALLBACK IndexPaperEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    IDXDLG* p = Block(hDlg);
    int iField = FieldOf(GetDlgCtrlID(hwnd));
    LONG_PTR pfn = p && iField >= 0 ? p->apfnEdit[iField] : 0;
    if (p && iField >= 0) {
        if (uMsg == WM_CHAR) {
            WCHAR ch = (WCHAR)wParam;
            if (ch != 3 && ch != 8 && ch != 22 && ch != 24 && ch != 26) {
                WCHAR sz[8] = {0};
                GetWindowTextW(hwnd, sz, 8);
                DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
                int iStart = LOWORD(dwSel);
                bool bOk = (ch >= u'0' && ch <= u'9') || (kFields[iField].bSigned && ch == u'-' && iStart == 0);
                if (ch == u'0' && iStart == 1 && sz[0] == u'0')
                    bOk = false;
                if (ch == u'0' && iStart == 2 && sz[0] == u'-' && sz[1] == u'0')
                    bOk = false;
                if (!bOk) {
                    MessageBeep(MB_OK);
                    return 0;
                }
            }
        } else if (uMsg == WM_KILLFOCUS && p->bCheckMode == 0) {
            HWND hTo = (HWND)wParam;
            bool bToCancel = hTo && GetDlgCtrlID(hTo) == IDCANCEL && GetParent(hTo) == hDlg;
            if (!bToCancel && !CheckField(p, iField))
                return 0;
        }
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

void SetTitle(HWND hDlg, UISETTINGS* pObj)
{
    WCHAR sz[128] = {0};
    DlgAppend(sz, 128, GetResString(20158));
    const UIITEMLIST* pList = DlgParamList(pObj, u"lpInterSheetList");
    const BYTE* pn = GetParamSlot(pObj, kParamNCurrent);
    SHORT n = 0;
    if (pn)
        memcpy(&n, pn, 2);
    if (pList && n >= 1 && n <= pList->sCount)
        DlgAppend(sz, 128, ((const UIITEMCHOICE*)(pList + 1))[n - 1].szText);
    SetDlgItemTextW(hDlg, IDC_IDX_GROUP, sz);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    BYTE* pSet = SetBlock(pObj);
    if (!pSet)
        return;
    IDXDLG* p = (IDXDLG*)DlgAllocBlock(hDlg, sizeof(IDXDLG));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    SetInterSheetState(pObj, pSet);
    for (int i = 0; i < 4; ++i) {
        const UIITEMRANGE* r = Record(pObj, i);
        SendDlgItemMessageW(hDlg, kFields[i].idSpin, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, kFields[i].idEdit), 0);
        if (r)
            SendDlgItemMessageW(hDlg, kFields[i].idSpin, UDM_SETRANGE, 0, MAKELONG(r->sMax, r->sMin));
        SendDlgItemMessageW(hDlg, kFields[i].idEdit, EM_LIMITTEXT, kFields[i].cchMax, 0);
    }
    FillCombos(p);
    ComputeRanges(p);
    for (int i = 0; i < 4; ++i) {
        const UIITEMRANGE* r = Record(pObj, i);
        ShowValue(hDlg, i, r ? r->sInitial : 0);
    }
    SetTitle(hDlg, pObj);
    for (int i = 0; i < 4; ++i)
        p->apfnEdit[i] = SubclassDlgEdit(hDlg, kFields[i].idEdit, IndexPaperEditProc);
    RedrawPreview(hDlg);
}

void End(HWND hDlg, int iResult)
{
    IDXDLG* p = Block(hDlg);
    if (p) {
        for (int i = 0; i < 4; ++i)
            RestoreEditProc(hDlg, kFields[i].idEdit, p->apfnEdit[i]);
        DlgFreeBlock(hDlg);
    }
    EndDialog(hDlg, iResult);
}

BOOL Commit(IDXDLG* p)
{
    p->bCheckMode = 2;
    for (int i = 0; i < 4; ++i)
        if (!CheckField(p, i)) {
            p->bCheckMode = 0;
            return FALSE;
        }
    p->bCheckMode = 0;
    for (int i = 0; i < 4; ++i) {
        UIITEMRANGE* r = Record(p->pObj, i);
        BOOL bOk = FALSE;
        int n = (int)GetDlgItemInt(p->hDlg, kFields[i].idEdit, &bOk, TRUE);
        if (r)
            r->sInitial = (SHORT)(bOk ? n : 0);
    }
    GetInterSheetState(p->pObj, SetBlock(p->pObj));
    return TRUE;
}

void Command(HWND hDlg, WPARAM wParam)
{
    IDXDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam);
    if (!p) {
        if (id == IDOK || id == IDCANCEL)
            EndDialog(hDlg, id);
        return;
    }
    switch (id) {
    case IDOK:
        if (Commit(p))
            End(hDlg, IDOK);
        return;
    case IDCANCEL:
        SetInterSheetState(p->pObj, SetBlock(p->pObj));
        End(hDlg, IDCANCEL);
        return;
    case IDC_IDX_SIZE:
    case IDC_IDX_TABS:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            LPCWSTR pszKey = id == IDC_IDX_SIZE ? u"lpTabPaperSize" : u"lpTabIndexNum";
            DlgReadParamCombo(GetDlgItem(hDlg, id), DlgParamList(p->pObj, pszKey));
            ResetPositions(p);
            FillCombos(p);
            ComputeRanges(p);
            if (id == IDC_IDX_TABS)
                RedrawPreview(hDlg);
        }
        return;
    case IDC_IDX_DEFAULTS: {
        for (LPCWSTR pszKey : {u"lpTabPaperSize", u"lpTabIndexNum"}) {
            UIITEMLIST* pList = DlgParamList(p->pObj, pszKey);
            if (pList)
                pList->sInitial = pList->sDefault;
        }
        ResetPositions(p);
        FillCombos(p);
        RedrawPreview(hDlg);
        ComputeRanges(p);
        return;
    }
    case IDC_IDX_HELP: {
        WCHAR szPath[HELPTABLE_PATH_CCH] = {0};
        ShowDriverHelp(hDlg, szPath, HELP_CONTEXT, kHelpContext);
        return;
    }
    }
    int iField = FieldOf(id);
    if (iField >= 0 && HIWORD(wParam) == EN_CHANGE)
        OnEditChange(p, iField);
}

}  // namespace

SHORT IndexPaperSpaceMax(LONG lLengthMm, int nTabs, SHORT sTopMax, SHORT sBottomMax, SHORT sSpaceMin,
                         SHORT sSpaceMax)
{
    if (nTabs < 2)
        return sSpaceMax;  // one tab has no space between tabs
    LONG lNeed = (LONG)sTopMax + sBottomMax + (LONG)(nTabs - 1) * sSpaceMax;
    if (lLengthMm >= lNeed)
        return sSpaceMax;
    LONG l = (lLengthMm - sTopMax - sBottomMax) / (nTabs - 1);
    return (SHORT)(l < sSpaceMin ? sSpaceMin : l);
}

INT_PTR CALLBACK IndexPaperDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* dis = (const DRAWITEMSTRUCT*)lParam;
        IDXDLG* p = Block(hDlg);
        if (wParam != IDC_IDX_PREVIEW || !dis || !p)
            return FALSE;
        PaintIndexPaperPreview(dis->hDC, &dis->rcItem, p->pObj);
        return TRUE;
    }
    }
    return FALSE;
}
