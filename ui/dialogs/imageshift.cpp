// imageshift.cpp: the image shift dialog. See imageshift.h.
#include "ui/dialogs/imageshift.h"

#include "platform/comctl/commctrl.h"
#include "platform/gdi/msgbox.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/subdlg.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uisettings.h"

namespace {

// Parameters, in the order the dialog saves them for Cancel.
const WORD kParamMode = 191;       // 0 the driver's values, 1 the machine's
const WORD kParamDirLRF = 192;     // 0 left, 1 right (front)
const WORD kParamDirUDF = 193;     // 0 up, 1 down (front)
const WORD kParamValueLRF = 196;   // amounts: numeric records, 0.1 mm
const WORD kParamValueUDF = 197;
const WORD kParamIntervalF = 198;
const WORD kParamDirLRB = 194;
const WORD kParamDirUDB = 195;
const WORD kParamValueLRB = 199;
const WORD kParamValueUDB = 200;
const WORD kParamIntervalB = 201;
const WORD kParamBackAuto = 202;   // 1: the back follows the front

const WORD kSaved[12] = {kParamMode,      kParamDirLRF,   kParamDirUDF,   kParamValueLRF,
                         kParamValueUDF,  kParamIntervalF, kParamDirLRB,  kParamDirUDB,
                         kParamValueLRB,  kParamValueUDB, kParamIntervalB, kParamBackAuto};

// The six edits: control, spin, record, and the back edit a front edit
// copies into while the back follows (0 for the back edits).
struct EDITROW {
    int idEdit;
    int idSpin;
    WORD wParam;
    int idBack;
};
const EDITROW kEdits[6] = {
    {IDC_IS_LR_F, IDC_IS_LR_F_SPIN, kParamValueLRF, IDC_IS_LR_B},
    {IDC_IS_UD_F, IDC_IS_UD_F_SPIN, kParamValueUDF, IDC_IS_UD_B},
    {IDC_IS_INTERVAL_F, IDC_IS_INTERVAL_F_SPIN, kParamIntervalF, IDC_IS_INTERVAL_B},
    {IDC_IS_LR_B, IDC_IS_LR_B_SPIN, kParamValueLRB, 0},
    {IDC_IS_UD_B, IDC_IS_UD_B_SPIN, kParamValueUDB, 0},
    {IDC_IS_INTERVAL_B, IDC_IS_INTERVAL_B_SPIN, kParamIntervalB, 0},
};

// Refresh bits and the ids that set them.
struct BITROW {
    DWORD dwBit;
    int idFirst, idSecond;
};
const BITROW kBits[12] = {
    {0x001, IDC_IS_LEFT_F, IDC_IS_RIGHT_F},        {0x002, IDC_IS_LR_F, IDC_IS_LR_F_SPIN},
    {0x004, IDC_IS_UP_F, IDC_IS_DOWN_F},           {0x008, IDC_IS_UD_F, IDC_IS_UD_F_SPIN},
    {0x010, IDC_IS_INTERVAL_F, IDC_IS_INTERVAL_F_SPIN},
    {0x020, IDC_IS_LEFT_B, IDC_IS_RIGHT_B},        {0x040, IDC_IS_LR_B, IDC_IS_LR_B_SPIN},
    {0x080, IDC_IS_UP_B, IDC_IS_DOWN_B},           {0x100, IDC_IS_UD_B, IDC_IS_UD_B_SPIN},
    {0x200, IDC_IS_INTERVAL_B, IDC_IS_INTERVAL_B_SPIN},
    {0x400, IDC_IS_MODE_DRIVER, IDC_IS_MODE_MACHINE}, {0x800, IDC_IS_BACK_AUTO, IDC_IS_BACK_AUTO},
};
const DWORD kAllBits = 0xFFF;

// Controls enabled with the driver's values, and those of the back, which
// are also disabled while the back follows the front.
const int kFrontControls[] = {IDC_IS_GROUP_F,     IDC_IS_LEFT_F,          IDC_IS_RIGHT_F,
                              IDC_IS_UP_F,        IDC_IS_DOWN_F,          IDC_IS_LR_F,
                              IDC_IS_LR_F_SPIN,   IDC_IS_UD_F,            IDC_IS_UD_F_SPIN,
                              IDC_IS_INTERVAL_F,  IDC_IS_INTERVAL_F_SPIN, IDC_IS_INTERVAL_F_LABEL,
                              IDC_IS_RANGE_LR_F,  IDC_IS_RANGE_UD_F,      IDC_IS_RANGE_INTERVAL_F,
                              IDC_IS_UNIT_NOTE,   IDC_IS_BACK_AUTO};
const int kBackControls[] = {IDC_IS_GROUP_B,    IDC_IS_LEFT_B,          IDC_IS_RIGHT_B,
                             IDC_IS_UP_B,       IDC_IS_DOWN_B,          IDC_IS_LR_B,
                             IDC_IS_LR_B_SPIN,  IDC_IS_UD_B,            IDC_IS_UD_B_SPIN,
                             IDC_IS_INTERVAL_B, IDC_IS_INTERVAL_B_SPIN, IDC_IS_INTERVAL_B_LABEL,
                             IDC_IS_RANGE_LR_B, IDC_IS_RANGE_UD_B,      IDC_IS_RANGE_INTERVAL_B};

struct SHIFTDLGDATA {
    HWND hDlg;
    UISETTINGS* pObj;
    LONG_PTR apfnEdit[6];  // saved procedures, in the order of kEdits
    SHORT asSaved[12];     // for Cancel, in the order of kSaved
    BYTE bValidating;      // OK checks the edits itself: focus moves do not
    DWORD dwDirty;
};

// The open dialog, for the constraint engine's route to its update
// function (the dialog is modal: one at a time).
HWND s_hOpen;

int _RouteFromEngine(HWND, WORD wFeature, SHORT)
{
    // The engine passes the window it was given, the page's; the controls
    // are the dialog's.
    return s_hOpen ? ImageShiftUpdateControl(s_hOpen, wFeature) : IDD_IMAGESHIFT;
}

const PAGELINK kLink = {_RouteFromEngine, nullptr, nullptr, nullptr, nullptr};

SHIFTDLGDATA* _Data(HWND hDlg)
{
    return (SHIFTDLGDATA*)GetWindowLongPtrW(hDlg, DWLP_USER);
}

const EDITROW* _EditRow(int id)
{
    for (const EDITROW& r : kEdits)
        if (r.idEdit == id)
            return &r;
    return nullptr;
}

int _EditIndex(int id)
{
    for (int i = 0; i < 6; ++i)
        if (kEdits[i].idEdit == id)
            return i;
    return -1;
}

UIITEMRANGE* _Record(UISETTINGS* pObj, WORD wParam)
{
    return pObj ? (UIITEMRANGE*)GetParamSlot(pObj, wParam) : nullptr;
}

SHORT _Get(UISETTINGS* pObj, WORD wParam)
{
    return GetParamEdited(pObj, wParam);
}

void _Set(UISETTINGS* pObj, WORD wParam, SHORT s)
{
    SetParamEdited(pObj, wParam, s);
}

void _CheckPair(HWND hDlg, int idFirst, int idSecond, SHORT sValue)
{
    CheckDlgButton(hDlg, idFirst, sValue == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hDlg, idSecond, sValue == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void _ApplyEnabling(HWND hDlg, UISETTINGS* pObj)
{
    bool bDriver = _Get(pObj, kParamMode) == 0;
    bool bBack = bDriver && _Get(pObj, kParamBackAuto) != 1;
    for (int id : kFrontControls)
        EnableWindow(GetDlgItem(hDlg, id), bDriver);
    for (int id : kBackControls)
        EnableWindow(GetDlgItem(hDlg, id), bBack);
}

void _SetEditValue(HWND hDlg, int id, WORD wParam, UISETTINGS* pObj)
{
    UIITEMRANGE* pRec = _Record(pObj, wParam);
    if (pRec)
        SetDlgItemInt(hDlg, id, (UINT)(WORD)pRec->sInitial, FALSE);
}

void _Refresh(HWND hDlg, SHIFTDLGDATA* p)
{
    UISETTINGS* pObj = p->pObj;
    DWORD d = p->dwDirty;
    p->dwDirty = 0;
    if (d & 0x001)
        _CheckPair(hDlg, IDC_IS_LEFT_F, IDC_IS_RIGHT_F, _Get(pObj, kParamDirLRF));
    if (d & 0x002)
        _SetEditValue(hDlg, IDC_IS_LR_F, kParamValueLRF, pObj);
    if (d & 0x004)
        _CheckPair(hDlg, IDC_IS_UP_F, IDC_IS_DOWN_F, _Get(pObj, kParamDirUDF));
    if (d & 0x008)
        _SetEditValue(hDlg, IDC_IS_UD_F, kParamValueUDF, pObj);
    if (d & 0x010)
        _SetEditValue(hDlg, IDC_IS_INTERVAL_F, kParamIntervalF, pObj);
    if (d & 0x020)
        _CheckPair(hDlg, IDC_IS_LEFT_B, IDC_IS_RIGHT_B, _Get(pObj, kParamDirLRB));
    if (d & 0x040)
        _SetEditValue(hDlg, IDC_IS_LR_B, kParamValueLRB, pObj);
    if (d & 0x080)
        _CheckPair(hDlg, IDC_IS_UP_B, IDC_IS_DOWN_B, _Get(pObj, kParamDirUDB));
    if (d & 0x100)
        _SetEditValue(hDlg, IDC_IS_UD_B, kParamValueUDB, pObj);
    if (d & 0x200)
        _SetEditValue(hDlg, IDC_IS_INTERVAL_B, kParamIntervalB, pObj);
    if (d & 0x400) {
        _ApplyEnabling(hDlg, pObj);
        _CheckPair(hDlg, IDC_IS_MODE_DRIVER, IDC_IS_MODE_MACHINE, _Get(pObj, kParamMode));
    }
    if (d & 0x800) {
        _ApplyEnabling(hDlg, pObj);
        CheckDlgButton(hDlg, IDC_IS_BACK_AUTO, _Get(pObj, kParamBackAuto) == 1 ? BST_CHECKED : BST_UNCHECKED);
    }
}

void _SelectAll(HWND hDlg, int id, int cch)
{
    HWND h = GetDlgItem(hDlg, id);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, cch);
}

// The check of one edit on leaving it and at OK: 1 to 4 digits inside the
// record's limits. A refused text is replaced by the nearer limit.
bool _CheckEdit(HWND hDlg, SHIFTDLGDATA* p, int id)
{
    const EDITROW* r = _EditRow(id);
    UIITEMRANGE* pRec = r ? _Record(p->pObj, r->wParam) : nullptr;
    if (!pRec)
        return true;
    SHORT sMin = pRec->sMin, sMax = pRec->sMax;
    WCHAR sz[8];
    ReadDlgText(hDlg, id, sz, 6);
    int cch = lstrlenW(sz);
    bool bDigits = cch >= 1 && cch <= 4;
    for (int i = 0; i < cch && bDigits; ++i)
        bDigits = sz[i] >= u'0' && sz[i] <= u'9';
    BOOL bOk = FALSE;
    int n = (int)GetDlgItemInt(hDlg, id, &bOk, TRUE);
    if (!bOk)
        n = 0;
    bool bValid = bDigits && n >= sMin && n <= sMax && (n != 0 || cch <= 1 || sz[0] == u'0');
    if (bValid)
        return true;
    WCHAR szText[1024];
    wnsprintfW(szText, 1024, GetResString(21014), GetResString(25601), (int)sMin, (int)sMax);
    MessageBoxW(hDlg, szText, GetResString(20231), MB_ICONWARNING);
    SetDlgItemInt(hDlg, id, (UINT)(bDigits && n >= sMin && n > sMax ? sMax : sMin), TRUE);
    _SelectAll(hDlg, id, -1);
    return false;
}

// EN_CHANGE: stores the number as it is typed. A number above the upper
// limit is turned into the limit at once; one below the lower limit is
// left for the check on leaving, so that a number with several digits can
// still be typed over a lower limit above 0.
void _OnEditChange(HWND hDlg, SHIFTDLGDATA* p, int id)
{
    const EDITROW* r = _EditRow(id);
    UIITEMRANGE* pRec = r ? _Record(p->pObj, r->wParam) : nullptr;
    if (!pRec)
        return;
    BOOL bOk = FALSE;
    UINT u = GetDlgItemInt(hDlg, id, &bOk, FALSE);
    if (!bOk)
        return;  // empty: the check on leaving puts the lower limit in
    if (r->idBack && _Get(p->pObj, kParamBackAuto) == 1) {
        const EDITROW* rb = _EditRow(r->idBack);
        UIITEMRANGE* pBack = _Record(p->pObj, rb->wParam);
        WCHAR sz[8];
        ReadDlgText(hDlg, id, sz, 6);
        SetDlgItemTextW(hDlg, r->idBack, sz);
        if (pBack)
            pBack->sInitial = (SHORT)(u > (UINT)pBack->sMax ? pBack->sMax : (LONG)u);
    }
    if ((LONG)u == pRec->sInitial && u <= 0x7FFF)
        return;
    LONG n = u > 0x7FFF ? 0x7FFF : (LONG)u;
    if (n > pRec->sMax) {
        n = pRec->sMax;
        SetDlgItemInt(hDlg, id, (UINT)n, FALSE);
        _SelectAll(hDlg, id, 8);
    } else if (n < pRec->sMin) {
        return;
    }
    pRec->sInitial = (SHORT)n;
}

LRESULT CALLBACK _ShiftEditProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hwnd);
    SHIFTDLGDATA* p = _Data(hDlg);
    int id = GetDlgCtrlID(hwnd);
    int i = _EditIndex(id);
    LONG_PTR pfn = p && i >= 0 ? p->apfnEdit[i] : 0;
    if (p && uMsg == WM_KILLFOCUS) {
        HWND hTo = (HWND)wParam;
        bool bToCancel = hTo && GetDlgCtrlID(hTo) == IDCANCEL && GetParent(hTo) == hDlg;
        if (!bToCancel && !p->bValidating && !_CheckEdit(hDlg, p, id))
            return 1;
    }
    if (uMsg == WM_CHAR) {
        WCHAR ch = (WCHAR)wParam;
        bool bControl = ch == 3 || ch == 8 || ch == 22 || ch == 24 || ch == 26;
        if (!bControl) {
            bool bSwallow = ch < u'0' || ch > u'9';
            if (!bSwallow && ch == u'0') {
                // No second leading zero.
                WCHAR sz[8];
                GetWindowTextW(hwnd, sz, 6);
                DWORD dwSel = (DWORD)SendMessageW(hwnd, EM_GETSEL, 0, 0);
                bSwallow = sz[0] == u'0' && LOWORD(dwSel) == 1;
            }
            if (bSwallow) {
                MessageBeep(10);
                return 1;
            }
        }
    }
    return pfn ? CallWindowProcW((WNDPROC)pfn, hwnd, uMsg, wParam, lParam)
               : DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

void _Init(HWND hDlg, UISETTINGS* pObj)
{
    SHIFTDLGDATA* p = (SHIFTDLGDATA*)AllocDialogBlock(hDlg, sizeof(SHIFTDLGDATA));
    if (!p)
        return;
    p->hDlg = hDlg;
    p->pObj = pObj;
    for (const EDITROW& r : kEdits) {
        SendDlgItemMessageW(hDlg, r.idSpin, UDM_SETBUDDY, (WPARAM)GetDlgItem(hDlg, r.idEdit), 0);
        SendDlgItemMessageW(hDlg, r.idSpin, UDM_SETRANGE, 0, MAKELONG(9999, 0));
        SendDlgItemMessageW(hDlg, r.idEdit, EM_LIMITTEXT, 4, 0);
    }
    CheckDlgButton(hDlg, IDC_IS_BACK_AUTO, _Get(pObj, kParamBackAuto) == 1 ? BST_CHECKED : BST_UNCHECKED);
    p->dwDirty = kAllBits;
    EnableWindow(GetDlgItem(hDlg, IDC_IS_MODE_DRIVER), TRUE);
    EnableWindow(GetDlgItem(hDlg, IDC_IS_MODE_MACHINE), TRUE);
    _ApplyEnabling(hDlg, pObj);
    for (int i = 0; i < 12; ++i)
        p->asSaved[i] = _Get(pObj, kSaved[i]);
    _Refresh(hDlg, p);
    for (int i = 0; i < 6; ++i)
        p->apfnEdit[i] = SubclassDlgEdit(hDlg, kEdits[i].idEdit, _ShiftEditProc);
    p->bValidating = 0;
    s_hOpen = hDlg;
    RegisterPageLink(IDD_IMAGESHIFT, hDlg, &kLink);
}

// Gives the edits their own procedures back and frees the block (p is
// null once it is gone).
void _Release(HWND hDlg, SHIFTDLGDATA* p)
{
    if (p) {
        for (int i = 0; i < 6; ++i)
            RestoreEditProc(hDlg, kEdits[i].idEdit, p->apfnEdit[i]);
        FreeSubDlgData(hDlg);
    }
}

void _End(HWND hDlg, SHIFTDLGDATA* p, int iResult)
{
    if (s_hOpen == hDlg) {
        UnregisterPageLink(IDD_IMAGESHIFT);
        s_hOpen = nullptr;
    }
    _Release(hDlg, p);
    EndDialog(hDlg, iResult);
}

// A radio of a pair: the value it stands for, 0xFF for other ids.
struct RADIOROW {
    int idFirst, idSecond;
    WORD wParam;
};
const RADIOROW kRadios[] = {
    {IDC_IS_LEFT_F, IDC_IS_RIGHT_F, kParamDirLRF},       {IDC_IS_UP_F, IDC_IS_DOWN_F, kParamDirUDF},
    {IDC_IS_LEFT_B, IDC_IS_RIGHT_B, kParamDirLRB},       {IDC_IS_UP_B, IDC_IS_DOWN_B, kParamDirUDB},
    {IDC_IS_MODE_DRIVER, IDC_IS_MODE_MACHINE, kParamMode},
};

void _OnRadio(HWND hDlg, SHIFTDLGDATA* p, const RADIOROW& r, int id)
{
    SHORT sNew = id == r.idFirst ? 0 : 1;
    if (_Get(p->pObj, r.wParam) == sNew)
        return;
    _Set(p->pObj, r.wParam, sNew);
    ImageShiftUpdateControl(hDlg, id);
    if (_Get(p->pObj, kParamBackAuto) != 1)
        return;
    // The back follows: left and right swap, up and down stay.
    if (r.wParam == kParamDirLRF) {
        _Set(p->pObj, kParamDirLRB, sNew ? 0 : 1);
        ImageShiftUpdateControl(hDlg, IDC_IS_LEFT_B);
    } else if (r.wParam == kParamDirUDF) {
        _Set(p->pObj, kParamDirUDB, sNew);
        ImageShiftUpdateControl(hDlg, IDC_IS_UP_B);
    }
}

void _OnBackAuto(HWND hDlg, SHIFTDLGDATA* p)
{
    SHORT sNew = _Get(p->pObj, kParamBackAuto) == 1 ? 0 : 1;
    _Set(p->pObj, kParamBackAuto, sNew);
    ImageShiftUpdateControl(hDlg, IDC_IS_BACK_AUTO);
    if (sNew != 1)
        return;
    _Set(p->pObj, kParamDirLRB, _Get(p->pObj, kParamDirLRF) ? 0 : 1);
    _Set(p->pObj, kParamDirUDB, _Get(p->pObj, kParamDirUDF));
    ImageShiftUpdateControl(hDlg, IDC_IS_LEFT_B);
    ImageShiftUpdateControl(hDlg, IDC_IS_UP_B);
    for (int i = 0; i < 3; ++i) {
        const EDITROW& r = kEdits[i];
        const EDITROW* rb = _EditRow(r.idBack);
        UIITEMRANGE* pFront = _Record(p->pObj, r.wParam);
        UIITEMRANGE* pBack = _Record(p->pObj, rb->wParam);
        WCHAR sz[8];
        ReadDlgText(hDlg, r.idEdit, sz, 6);
        BOOL bOk = FALSE;
        UINT u = GetDlgItemInt(hDlg, r.idEdit, &bOk, FALSE);
        if (pBack && pFront)
            pBack->sInitial = bOk ? (SHORT)(u > (UINT)pBack->sMax ? pBack->sMax : (LONG)u) : pFront->sInitial;
        SetDlgItemTextW(hDlg, r.idBack, sz);
    }
}

INT_PTR _OnCommand(HWND hDlg, WPARAM wParam)
{
    SHIFTDLGDATA* p = _Data(hDlg);
    int id = LOWORD(wParam);
    if (!p) {
        // Without its block the dialog can only be left.
        if (id == IDOK || id == IDCANCEL)
            EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    SetActivePageId(p->pObj, IDD_IMAGESHIFT);
    if (_EditRow(id)) {
        if (HIWORD(wParam) == EN_CHANGE)
            _OnEditChange(hDlg, p, id);
        return TRUE;
    }
    for (const RADIOROW& r : kRadios)
        if (id == r.idFirst || id == r.idSecond) {
            if (HIWORD(wParam) == BN_CLICKED)
                _OnRadio(hDlg, p, r, id);
            return TRUE;
        }
    switch (id) {
    case IDC_IS_BACK_AUTO:
        if (HIWORD(wParam) == BN_CLICKED)
            _OnBackAuto(hDlg, p);
        return TRUE;
    case IDOK: {
        p->bValidating = 2;
        bool bAll = true;
        for (const EDITROW& r : kEdits)
            if (!_CheckEdit(hDlg, p, r.idEdit)) {
                bAll = false;
                break;
            }
        p->bValidating = 0;
        if (bAll)
            _End(hDlg, p, IDOK);
        return TRUE;
    }
    case IDCANCEL:
        for (int i = 0; i < 12; ++i)
            _Set(p->pObj, kSaved[i], p->asSaved[i]);
        _End(hDlg, p, IDCANCEL);
        return TRUE;
    }
    return TRUE;
}

}  // namespace

int ImageShiftUpdateControl(HWND hDlg, int id)
{
    if (id < IDC_IS_LEFT_F || id > IDC_IS_BACK_AUTO)
        return id - IDC_IS_LEFT_F;
    SHIFTDLGDATA* p = _Data(hDlg);
    if (!p)
        return 0;
    for (const BITROW& b : kBits)
        if (id == b.idFirst || id == b.idSecond)
            p->dwDirty |= b.dwBit;
    _Refresh(hDlg, p);
    return 0;
}

INT_PTR CALLBACK ImageShiftDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        return HandleSubDlgHelp(hDlg, uMsg, wParam, lParam);
    case WM_INITDIALOG:
        _Init(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND:
        return _OnCommand(hDlg, wParam);
    case WM_DESTROY:
        // Destroyed without OK or Cancel: the engine's route and the
        // block go with it.
        if (s_hOpen == hDlg) {
            UnregisterPageLink(IDD_IMAGESHIFT);
            s_hOpen = nullptr;
        }
        _Release(hDlg, _Data(hDlg));
        return FALSE;
    }
    return FALSE;
}
