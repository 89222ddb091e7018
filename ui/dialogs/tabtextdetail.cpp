// tabtextdetail.cpp: the heading text details dialog. See tabtextdetail.h.
#include "ui/dialogs/tabtextdetail.h"

#include "platform/comctl/commctrl.h"
#include "platform/gdi/gditext.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/insertpreview.h"
#include "ui/dialogs/preview.h"
#include "ui/dialogs/insertsheet.h"
#include "ui/dialogs/paramcombo.h"
#include "ui/dialogs/subdlg.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

const DWORD kHelpContext = 3111;
const UINT kRangeFormat = 21014;
const UINT kRangeWhat = 28504;
const UINT kRangeCaption = 28550;
const WORD kFeatDirection = 2453;
const WORD kFeatAlign = 2455;
const int kFaceCch = 32;
const int kMaxStyles = 16;

const DWORD kRefDirection = 1, kRefAlign = 2, kRefFace = 4, kRefStyle = 8, kRefSize = 0x10;

#pragma pack(push, 1)
// The dialog's block (88 bytes).
struct TABTEXTDLG {
    HWND hDlg;
    UISETTINGS* pObj;
    SHORT sDirection;                // the values at open, for Cancel
    SHORT sAlign;
    WCHAR szFace[kFaceCch];
    SHORT sStyle;
    SHORT sSize;
    BYTE bCheckMode;                 // 2 while OK checks
    BYTE abPad[3];
    LONG_PTR pfnSize;                // saved procedure of 2462
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(TABTEXTDLG) == 88);

TABTEXTDLG* Block(HWND hDlg)
{
    return hDlg ? (TABTEXTDLG*)DlgGetBlock(hDlg) : nullptr;
}

DWORD& Dirty(UISETTINGS* pObj)
{
    return DlgStateWords(pObj)[DLGWORD_TABTEXT_DIRTY];
}

LPWSTR Face(UISETTINGS* pObj)
{
    WORD w = GetParamIdOfKey(u"TabTextFontName");
    return w ? (LPWSTR)GetParamSlot(pObj, w) : nullptr;
}

void SetFace(UISETTINGS* pObj, LPCWSTR psz)
{
    if (LPWSTR p = Face(pObj)) {
        memset(p, 0, kFaceCch * sizeof(WCHAR));
        lstrcpynW(p, psz, kFaceCch);
    }
}

UIITEMLIST* StyleList(UISETTINGS* pObj)
{
    return DlgParamList(pObj, u"lpTabTextFontStyle");
}

DLGRANGE SizeRange(UISETTINGS* pObj)
{
    DLGRANGE r = {TABTEXT_DEFAULT_SIZE, 8, 32};
    if (!DlgGetRange(pObj, u"TabTextFontSize", &r) || r.sMin > r.sMax) {
        r.sMin = 8;
        r.sMax = 32;
    }
    return r;
}

void RedrawPreview(HWND hDlg)
{
    if (HWND h = GetDlgItem(hDlg, IDC_TTD_PREVIEW))
        InvalidateRect(h, nullptr, FALSE);
}

void FocusAndSelect(HWND hDlg, int id)
{
    HWND h = GetDlgItem(hDlg, id);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
}

void Refresh(TABTEXTDLG* p)
{
    HWND hDlg = p->hDlg;
    UISETTINGS* pObj = p->pObj;
    DWORD& d = Dirty(pObj);
    SHORT asValues[kMaxStyles];
    if (d & kRefDirection) {
        d &= ~kRefDirection;
        DlgFillListCombo(GetDlgItem(hDlg, IDC_TTD_DIRECTION), pObj, kFeatDirection, asValues, kMaxStyles);
    }
    if (d & kRefAlign) {
        d &= ~kRefAlign;
        DlgFillListCombo(GetDlgItem(hDlg, IDC_TTD_ALIGN), pObj, kFeatAlign, asValues, kMaxStyles);
    }
    if (d & kRefFace) {
        d &= ~kRefFace;
        HWND hCombo = GetDlgItem(hDlg, IDC_TTD_FACE);
        LPCWSTR pszFace = Face(pObj);
        LRESULT i = pszFace && pszFace[0] ? SendMessageW(hCombo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)pszFace)
                                          : CB_ERR;
        if (i == CB_ERR)
            i = SendMessageW(hCombo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)TABTEXT_DEFAULT_FACE);
        if (i == CB_ERR)
            i = 0;
        SendMessageW(hCombo, CB_SETCURSEL, (WPARAM)i, 0);
        WCHAR sz[kFaceCch] = {0};
        if (SendMessageW(hCombo, CB_GETLBTEXTLEN, (WPARAM)i, 0) < kFaceCch &&
            SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz) != CB_ERR)
            SetFace(pObj, sz);
    }
    if (d & kRefStyle) {
        d &= ~kRefStyle;
        DlgFillParamCombo(GetDlgItem(hDlg, IDC_TTD_STYLE), StyleList(pObj), asValues, kMaxStyles);
    }
    if (d & kRefSize) {
        d &= ~kRefSize;
        DLGRANGE r = SizeRange(pObj);
        SHORT s = r.sValue < r.sMin ? r.sMin : r.sValue > r.sMax ? r.sMax : r.sValue;
        DlgSetSetting(pObj, u"TabTextFontSize", s);
        SetDlgItemInt(hDlg, IDC_TTD_SIZE, (UINT)(WORD)s, FALSE);
    }
}

void RefreshBits(TABTEXTDLG* p, DWORD dwBits)
{
    Dirty(p->pObj) |= dwBits;
    Refresh(p);
}

// The size check: one or two digits of a size within the range. On failure
// the warning, the edit set to the nearer limit, focused and selected.
BOOL CheckSize(TABTEXTDLG* p)
{
    HWND hDlg = p->hDlg;
    DLGRANGE r = SizeRange(p->pObj);
    WCHAR sz[4] = {0};
    GetDlgItemTextW(hDlg, IDC_TTD_SIZE, sz, 4);
    int n = lstrlenW(sz), v = 0;
    bool bDigits = n >= 1 && n <= 2;
    for (int i = 0; i < n; ++i) {
        if (sz[i] < u'0' || sz[i] > u'9')
            bDigits = false;
        else
            v = v * 10 + (sz[i] - u'0');
    }
    if (bDigits && v >= r.sMin && v <= r.sMax)
        return TRUE;
    WCHAR szText[256] = {0}, szCaption[256] = {0};
    DlgFormat(szText, 256, GetResString(kRangeFormat), GetResString(kRangeWhat), (int)r.sMin, (int)r.sMax);
    lstrcpynW(szCaption, GetResString(kRangeCaption), 256);
    MessageBoxW(hDlg, szText, szCaption, MB_ICONWARNING);
    SetDlgItemInt(hDlg, IDC_TTD_SIZE, (UINT)(bDigits && v > r.sMax ? r.sMax : r.sMin), FALSE);
    FocusAndSelect(hDlg, IDC_TTD_SIZE);
    SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 1);
    return FALSE;
}

// The size filter: digits only, and no second leading zero.
LRESULT CALLBACK SizeEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    TABTEXTDLG* p = Block(hDlg);
    LONG_PTR pfn = p ? p->pfnSize : 0;
    if (p && uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        if (ch != 3 && ch != 8 && ch != 22 && ch != 24 && ch != 26) {
            bool bOk = ch >= u'1' && ch <= u'9';
            if (ch == u'0') {
                WCHAR sz[4] = {0};
                GetWindowTextW(hwnd, sz, 4);
                DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
                bOk = !(sz[0] == u'0' && LOWORD(dwSel) == 1);
            }
            if (!bOk) {
                MessageBeep(MB_OK);
                return 0;
            }
        }
    }
    if (p && uMsg == WM_KILLFOCUS && p->bCheckMode == 0) {
        // OK runs the check itself: checking on the way to it would show
        // the same warning twice.
        HWND hTo = (HWND)wParam;
        if (hTo && hTo != GetDlgItem(hDlg, IDCANCEL) && hTo != GetDlgItem(hDlg, IDOK) && IsChild(hDlg, hTo)) {
            LRESULT res = pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam) : 0;
            p->bCheckMode = 1;  // the warning box takes the focus
            CheckSize(p);
            p->bCheckMode = 0;
            return res;
        }
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

void Init(HWND hDlg, UISETTINGS* pObj)
{
    if (!pObj)
        return;
    TABTEXTDLG* p = (TABTEXTDLG*)DlgAllocBlock(hDlg, sizeof(TABTEXTDLG));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    BindFeatureFields(pObj);
    DLGRANGE r = SizeRange(pObj);
    SendDlgItemMessageW(hDlg, IDC_TTD_SIZE_SPIN, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, IDC_TTD_SIZE), 0);
    SendDlgItemMessageW(hDlg, IDC_TTD_SIZE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(r.sMax, r.sMin));
    SendDlgItemMessageW(hDlg, IDC_TTD_SIZE, EM_LIMITTEXT, 2, 0);
    Dirty(pObj) = kRefDirection | kRefAlign | kRefFace | kRefStyle | kRefSize;
    HWND hFace = GetDlgItem(hDlg, IDC_TTD_FACE);
    SendMessageW(hFace, CB_RESETCONTENT, 0, 0);
    if (HDC hdc = GetDC(hDlg)) {
        EnumFontFamiliesW(hdc, nullptr, AddFontNameToCombo, (LPARAM)hFace);
        ReleaseDC(hDlg, hdc);
    }
    Refresh(p);
    p->sDirection = GetFeatureValue(kFeatDirection);
    p->sAlign = GetFeatureValue(kFeatAlign);
    if (LPCWSTR psz = Face(pObj))
        lstrcpynW(p->szFace, psz, kFaceCch);
    p->sStyle = DlgGetSetting(pObj, u"lpTabTextFontStyle");
    p->sSize = SizeRange(pObj).sValue;
    p->pfnSize = SubclassDlgEdit(hDlg, IDC_TTD_SIZE, SizeEditProc);
    RedrawPreview(hDlg);
}

void End(HWND hDlg, int iResult)
{
    TABTEXTDLG* p = Block(hDlg);
    if (p) {
        if (iResult == IDCANCEL) {
            BindFeatureFields(p->pObj);
            SetFeatureValue(kFeatDirection, p->sDirection);
            SetFeatureValue(kFeatAlign, p->sAlign);
            SetFace(p->pObj, p->szFace);
            DlgSetSetting(p->pObj, u"lpTabTextFontStyle", p->sStyle);
            DlgSetSetting(p->pObj, u"TabTextFontSize", p->sSize);
        }
        RestoreEditProc(hDlg, IDC_TTD_SIZE, p->pfnSize);
        DlgFreeBlock(hDlg);
    }
    UnregisterPageLink(IDD_TABTEXTDETAIL);
    EndDialog(hDlg, iResult);
}

void OnSizeChange(TABTEXTDLG* p)
{
    BOOL bRead = FALSE;
    UINT v = GetDlgItemInt(p->hDlg, IDC_TTD_SIZE, &bRead, FALSE);
    DLGRANGE r = SizeRange(p->pObj);
    if ((int)v != r.sValue && (int)v > r.sMax) {
        v = (UINT)r.sMax;
        DlgSetSetting(p->pObj, u"TabTextFontSize", (SHORT)v);
        SetDlgItemInt(p->hDlg, IDC_TTD_SIZE, v, FALSE);
        FocusAndSelect(p->hDlg, IDC_TTD_SIZE);
    }
    DlgSetSetting(p->pObj, u"TabTextFontSize", (SHORT)v);
    RedrawPreview(p->hDlg);
}

void Command(HWND hDlg, WPARAM wParam)
{
    TABTEXTDLG* p = Block(hDlg);
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (!p) {
        if (id == IDOK || id == IDCANCEL)
            EndDialog(hDlg, id);
        return;
    }
    SetActivePageId(p->pObj, IDD_INSERTSHEET);
    switch (id) {
    case IDOK:
        p->bCheckMode = 2;
        if (CheckSize(p)) {
            End(hDlg, IDOK);
            return;
        }
        p->bCheckMode = 0;
        break;
    case IDCANCEL:
        End(hDlg, IDCANCEL);
        break;
    case IDC_TTD_HELP: {
        WCHAR szPath[HELPTABLE_PATH_CCH] = {0};
        ShowDriverHelp(hDlg, szPath, HELP_CONTEXT, kHelpContext);
        break;
    }
    case IDC_TTD_DIRECTION:
    case IDC_TTD_ALIGN:
        if (code == CBN_SELCHANGE &&
            DlgReadListCombo(GetDlgItem(hDlg, id), p->pObj, id == IDC_TTD_DIRECTION ? kFeatDirection : kFeatAlign)) {
            TabTextDetailUpdateControl(hDlg, id);
            RedrawPreview(hDlg);
        }
        break;
    case IDC_TTD_STYLE:
        if (code == CBN_SELCHANGE && DlgReadParamCombo(GetDlgItem(hDlg, id), StyleList(p->pObj))) {
            TabTextDetailUpdateControl(hDlg, id);
            RedrawPreview(hDlg);
        }
        break;
    case IDC_TTD_FACE: {
        if (code != CBN_SELCHANGE)
            break;
        HWND hCombo = GetDlgItem(hDlg, id);
        LRESULT i = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
        WCHAR sz[kFaceCch] = {0};
        if (i != CB_ERR && SendMessageW(hCombo, CB_GETLBTEXTLEN, (WPARAM)i, 0) < kFaceCch) {
            SendMessageW(hCombo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
            SetFace(p->pObj, sz);
        }
        TabTextDetailUpdateControl(hDlg, id);
        RedrawPreview(hDlg);
        break;
    }
    case IDC_TTD_SIZE:
        if (code == EN_CHANGE)
            OnSizeChange(p);
        break;
    case IDC_TTD_DEFAULTS:
        BindFeatureFields(p->pObj);
        SetFeatureValue(kFeatDirection, GetFeatureDefault(kFeatDirection));
        SetFeatureValue(kFeatAlign, GetFeatureDefault(kFeatAlign));
        if (UIITEMLIST* pStyles = StyleList(p->pObj))
            pStyles->sInitial = pStyles->sDefault;
        DlgSetSetting(p->pObj, u"TabTextFontSize", TABTEXT_DEFAULT_SIZE);
        SetFace(p->pObj, TABTEXT_DEFAULT_FACE);
        RefreshBits(p, kRefDirection | kRefAlign | kRefFace | kRefStyle | kRefSize);
        RedrawPreview(hDlg);
        break;
    }
}

// The engine's route to the open dialog.
int LinkRefresh(HWND, WORD wFeature, SHORT)
{
    HWND h = nullptr;
    FindPageLink(IDD_TABTEXTDETAIL, &h);
    return TabTextDetailUpdateControl(h, wFeature);
}

const PAGELINK kLink = {LinkRefresh, nullptr, nullptr, nullptr, nullptr};

}  // namespace

int TabTextDetailUpdateControl(HWND hDlg, WORD wId)
{
    TABTEXTDLG* p = Block(hDlg);
    if (!p)
        return 0;
    DWORD& d = Dirty(p->pObj);
    switch (wId) {
    case IDC_TTD_DIRECTION: d = kRefDirection; break;
    case IDC_TTD_ALIGN: d = kRefAlign; break;
    case IDC_TTD_FACE: d = kRefFace; break;
    case IDC_TTD_STYLE: d = kRefStyle; break;
    case IDC_TTD_SIZE: d = kRefSize; break;
    default:
        d = 0;
        return 0;
    }
    Refresh(p);
    return 1;
}

INT_PTR CALLBACK TabTextDetailDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return DlgAnswerHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        Init(hDlg, (UISETTINGS*)lParam);
        RegisterPageLink(IDD_TABTEXTDETAIL, hDlg, &kLink);
        return TRUE;
    case WM_COMMAND:
        Command(hDlg, wParam);
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* dis = (const DRAWITEMSTRUCT*)lParam;
        TABTEXTDLG* p = Block(hDlg);
        if (p && dis && dis->CtlID == IDC_TTD_PREVIEW)
            PaintTabTextPreview(dis->hDC, &dis->rcItem, p->pObj);
        return TRUE;
    }
    }
    return FALSE;
}
