// optionpage.cpp: the Options page, the only page of the device sheet.
//
// Owns: OptionPageDlgProc, OptionPageMarkDirty, OptionPageRefresh,
// GetOptionDirtyBit and the publishing of the printer's capabilities to the
// directory. The page records which optional units are installed, the
// page-description-language type and the network address; a machine view
// shows the configuration. On apply it commits the values and publishes
// "printStaplingSupported" and "printDuplexSupported" under the printer data
// key "DsDriver" through SetPrinterDataExW, bound at run time so that an
// older spooler without it only loses the publishing.
//
// The page runs on the frame of pageframe.h; this file gives its record,
// refresh bits, commands, drawing and apply.
#include "ui/pages/optionpage.h"

#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/constraints/resolver.h"
#include "ui/dialogs/ipaddress.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pageframe.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/sheetstate.h"
#include "ui/settings/uisettings.h"

#include <cstddef>
#include <cstring>

namespace {

const WORD kMachineView = 816;
const WORD kNetAddressButton = 813;
const WORD kRestoreDefaults = 815;
const WORD kHardDisk = 806;
const WORD kCopierHardDisk = 838;
const WORD kPdlSingle = 844;
const WORD kPdlDouble = 845;
const WORD kOutputUnit = 804;

// Parameters the page writes beside its features.
const WORD kParamAuthText = 211;        // 22 characters, emptied when no hard disk
const WORD kParamNetAddress = 213;      // 16 characters
const WORD kParamPdlChanged = 234;      // 1 only while the resolver runs for a PDL change
const WORD kParamDiskChanged = 238;     // 1 only while the resolver runs for a disk change
const WORD kParamHidePassword = 87;     // UnDisplayPassword_Check
const int kAuthTextBytes = 22;

const DWORD kPdlBit = 0x100000;
const DWORD kFormPdlBit = 0x100;

// The lists of the page in the order of the record's index arrays.
const WORD kListOrder[OPTION_LIST_COUNT] = {802, 804, 806, 808, 810, 812, 820, 822, 824,
                                            826, 828, 830, 832, 836, 834, 838, 840, 842};

struct DIRTYROW {
    WORD wId;
    DWORD dwBit;
};
// Control -> refresh bit; ended by a zero row.
const DIRTYROW kDirtyBits[] = {
    {802, 0x1},     {804, 0x2},     {806, 0x4},     {808, 0x8},      {810, 0x10},     {812, 0x20},
    {820, 0x80},    {822, 0x100},   {824, 0x200},   {826, 0x400},    {828, 0x80000},  {830, 0x800},
    {832, 0x1000},  {834, 0x2000},  {836, 0x4000},  {838, 0x8000},   {840, 0x10000},  {842, 0x20000},
    {844, 0x100000}, {845, 0x100000}, {0, 0},
};

// The refresh walks the lists in this order.
const DIRTYROW kRefreshOrder[] = {
    {802, 0x1},    {804, 0x2},    {806, 0x4},    {808, 0x8},    {810, 0x10},     {812, 0x20},
    {820, 0x80},   {822, 0x100},  {824, 0x200},  {826, 0x400},  {828, 0x80000},  {830, 0x800},
    {832, 0x1000}, {834, 0x2000}, {836, 0x4000}, {838, 0x8000}, {840, 0x10000},  {842, 0x20000},
};

OPTIONPAGEREC* _Record(HWND hwnd)
{
    return (OPTIONPAGEREC*)PageGetRecord(hwnd);
}

WORD* _IndexOf(OPTIONPAGEREC* r, WORD wId)
{
    for (int i = 0; r && i < OPTION_LIST_COUNT; ++i)
        if (kListOrder[i] == wId)
            return r->apIndex[i];
    return nullptr;
}

BOOL _bIsOptionCombo(WORD wId)
{
    for (WORD w : kListOrder)
        if (w == wId)
            return TRUE;
    return FALSE;
}

// ---- Frame steps ----

// The record: its index block and the page's copy of the network address.
void _Init(HWND hwnd, UISETTINGS* pObj)
{
    OPTIONPAGEREC* r = _Record(hwnd);
    if (!r)
        return;
    BindFeatureFields(pObj);
    int cUnits = 0;
    for (WORD w : kListOrder)
        cUnits += GetFeatureItemCount(w);
    if (cUnits) {
        HGLOBAL h = GlobalAlloc(GHND, (SIZE_T)cUnits * sizeof(WORD));
        r->pIndexBlock = h ? (WORD*)GlobalLock(h) : nullptr;
        if (!r->pIndexBlock && h)
            GlobalFree(h);
    }
    WORD* p = r->pIndexBlock;
    for (int i = 0; p && i < OPTION_LIST_COUNT; ++i) {
        r->apIndex[i] = p;
        p += GetFeatureItemCount(kListOrder[i]);
    }
    const WCHAR* pszAddress = (const WCHAR*)GetParamSlot(pObj, kParamNetAddress);
    if (pszAddress && pszAddress[0]) {
        memcpy(r->szNetAddress, pszAddress, sizeof(r->szNetAddress));
        r->szNetAddress[OPTION_NETADDRESS_CCH - 1] = 0;
    }
}

// A mark starts the page's mask afresh: only the control marked is redrawn.
DWORD _MapDirty(HWND hwnd, WORD wControl)
{
    UISETTINGS* pObj = PageGetSettings(hwnd);
    if (DWORD* pMask = pObj ? PageRefreshMask(pObj, PAGE_OPTIONS) : nullptr)
        *pMask = 0;
    if (wControl == kPdlSingle || wControl == kPdlDouble)
        return kPdlBit;
    return _bIsOptionCombo(wControl) ? GetOptionDirtyBit(wControl) : 0;
}

void _Refresh(HWND hwnd, UISETTINGS* pObj)
{
    OPTIONPAGEREC* r = _Record(hwnd);
    DWORD* pMask = PageRefreshMask(pObj, PAGE_OPTIONS);
    if (!r || !pMask)
        return;
    BindFeatureFields(pObj);
    for (const DIRTYROW& row : kRefreshOrder) {
        if (!(*pMask & row.dwBit))
            continue;
        *pMask &= ~row.dwBit;
        FillValueListCombo(hwnd, pObj, row.wId, _IndexOf(r, row.wId), nullptr, LISTFILL_PLAIN);
        if (row.wId == kHardDisk && bFeatureExists(kHardDisk) && GetFeatureValue(kHardDisk) == 1) {
            // Without a hard disk nothing can be stored behind a password.
            if (WCHAR* psz = (WCHAR*)GetParamSlot(pObj, kParamAuthText))
                memset(psz, 0, kAuthTextBytes);
            SetParamEdited(pObj, kParamHidePassword, GetParamDefault(pObj, kParamHidePassword));
        }
    }
    if (*pMask & kPdlBit) {
        *pMask &= ~kPdlBit;
        SHORT sPdl = GetFeatureValue(kPdlSingle);
        CheckDlgButton(hwnd, kPdlSingle, sPdl == 1 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd, kPdlDouble, (sPdl == 2 || sPdl == 3) ? BST_CHECKED : BST_UNCHECKED);
        // The Form page offers forms by the PDL type.
        if (DWORD* pForm = PageRefreshMask(pObj, PAGE_FORM))
            *pForm |= kFormPdlBit;
    }
}

// Resolves a change made while one of the change flags is raised; the flag
// is down again afterwards in every case.
void _ResolveFlagged(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wFlagParam, BOOL bRaise)
{
    if (bRaise)
        SetParamEdited(pObj, wFlagParam, 1);
    ResolveConstraintsOnChange(hwnd, pObj, wId);
    NotifySheetChanged(hwnd);
    SetParamEdited(pObj, wFlagParam, 0);
    InvalidateMachineView(hwnd, kMachineView, pObj);
}

// The value of the item the combo shows; FALSE when none.
BOOL _ChosenValue(HWND hwnd, WORD wId, SHORT* psValue)
{
    const FVLHEADER* pList = GetFeatureListHeader(wId);
    HWND hCtl = GetDlgItem(hwnd, wId);
    if (!pList || !hCtl)
        return FALSE;
    WORD i = FindComboSelectionInList(hCtl, pList);
    if (i == POSITION_NONE)
        return FALSE;
    *psValue = GetValueListItem(pList, i)->sValue;
    return TRUE;
}

BOOL _Command(HWND hwnd, UISETTINGS* pObj, WORD wId, WORD wCode)
{
    if (wId < 802 || wId > 845)
        return FALSE;
    if (!_Record(hwnd) || !bSheetEditable(pObj))
        return TRUE;
    BindFeatureFields(pObj);
    switch (wId) {
    case kCopierHardDisk: {
        if (wCode != CBN_SELCHANGE)
            return TRUE;
        SHORT sChosen = 0;
        BOOL bOther = _ChosenValue(hwnd, wId, &sChosen) && sChosen != GetFeatureValue(wId);
        _ResolveFlagged(hwnd, pObj, wId, kParamDiskChanged, bOther);
        return TRUE;
    }
    case kPdlSingle:
    case kPdlDouble: {
        if (wCode != BN_CLICKED || IsDlgButtonChecked(hwnd, wId) != BST_CHECKED)
            return TRUE;
        SHORT sPdl = GetFeatureValue(kPdlSingle);
        BOOL bChange = wId == kPdlSingle ? (sPdl != 1 && sPdl != 0) : (sPdl != 2 && sPdl != 3 && sPdl != 0);
        if (bChange)
            _ResolveFlagged(hwnd, pObj, wId, kParamPdlChanged, TRUE);
        return TRUE;
    }
    case kNetAddressButton: {
        OPTIONPAGEREC* r = _Record(hwnd);
        HINSTANCE hInst = (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE);
        if (DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_IPADDRESS), hwnd, IpAddressDlgProc,
                            (LPARAM)r->szNetAddress) == IDOK)
            NotifySheetChanged(hwnd);
        return TRUE;
    }
    case kRestoreDefaults:
        SetFocus(hwnd);
        ResolveConstraintsOnChange(hwnd, pObj, wId);
        SetFocus(GetDlgItem(hwnd, wId));
        NotifySheetChanged(hwnd);
        return TRUE;
    default:
        if (_bIsOptionCombo(wId)) {
            if (wCode == CBN_SELCHANGE) {
                ResolveConstraintsOnChange(hwnd, pObj, wId);
                NotifySheetChanged(hwnd);
                // The machine view shows the units installed.
                InvalidateMachineView(hwnd, kMachineView, pObj);
            }
            return TRUE;
        }
        return TRUE;  // the other ids of the range do nothing
    }
}

BOOL _DrawItem(HWND hwnd, UISETTINGS* pObj, const DRAWITEMSTRUCT* pdis)
{
    SetActivePageId(pObj, PAGE_OPTIONS);
    if (pdis->CtlID != kMachineView)
        return FALSE;
    (void)hwnd;
    PaintMachineView(pdis->hDC, &pdis->rcItem, pObj, TRUE);
    return TRUE;
}

// Current -> committed for every unit the page owns and the PDL type.
void _Apply(HWND hwnd, UISETTINGS* pObj)
{
    BindFeatureFields(pObj);
    for (WORD w : kListOrder)
        if (WORD wParam = GetFeatureParamId(w))
            SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
    if (WORD wParam = GetFeatureParamId(kPdlSingle))
        SetParamCommitted(pObj, wParam, GetParamEdited(pObj, wParam));
    // The address the page kept goes back with the committed settings.
    OPTIONPAGEREC* r = _Record(hwnd);
    WCHAR* psz = (WCHAR*)GetParamSlot(pObj, kParamNetAddress);
    if (r && psz)
        memcpy(psz, r->szNetAddress, sizeof(r->szNetAddress));
}

void _Destroy(HWND hwnd, UISETTINGS*)
{
    OPTIONPAGEREC* r = _Record(hwnd);
    if (r && r->pIndexBlock) {
        HGLOBAL h = GlobalHandle(r->pIndexBlock);
        GlobalUnlock(h);
        GlobalFree(h);
        r->pIndexBlock = nullptr;
    }
}

const PAGEDESC kOptionPage = {
    PAGE_OPTIONS, HELPCTX_OPTIONS, 848, offsetof(OPTIONPAGEREC, pSettings), sizeof(OPTIONPAGEREC), OPTION_ALL_BITS, OPTION_ALL_BITS, TRUE, TRUE,
    _Init,        _MapDirty,       _Refresh, _Apply, _Command, nullptr, _DrawItem, _Destroy,
};

// After the frame's apply the capabilities go to the directory. A user who
// may not change the printer writes nothing to it, these values included.
void _AfterApply(HWND hwnd, UISETTINGS* pObj)
{
    if (!_Record(hwnd) || !bSheetEditable(pObj))
        return;
    BindFeatureFields(pObj);
    PublishDirectoryCapabilities(GetSheetPrinter(pObj), GetFeatureValue(kOutputUnit));
}

}  // namespace

DWORD GetOptionDirtyBit(WORD wControl)
{
    for (const DIRTYROW* p = kDirtyBits; p->wId; ++p)
        if (p->wId == wControl)
            return p->dwBit;
    return 0;
}

int OptionPageMarkDirty(HWND hwnd, WORD wControl, SHORT sValue)
{
    return PageMarkDirty(hwnd, wControl, sValue);
}

void OptionPageRefresh(HWND hwnd)
{
    if (hwnd)
        PageRefresh(hwnd);
}

DWORD PublishDirectoryCapabilities(HANDLE hPrinter, SHORT sOutputUnit)
{
    typedef DWORD(WINAPI * PFNSETDATAEX)(HANDLE, LPCWSTR, LPCWSTR, DWORD, LPBYTE, DWORD);
    WCHAR szPath[MAX_PATH] = {};
    const WCHAR kszSpooler[] = u"\\WINSPOOL.DRV";
    UINT cch = GetSystemDirectoryW(szPath, MAX_PATH);
    if (!cch || cch + (sizeof(kszSpooler) / sizeof(WCHAR)) > MAX_PATH)
        return 0;
    memcpy(szPath + cch, kszSpooler, sizeof(kszSpooler));
    HMODULE hSpooler = LoadLibraryW(szPath);
    if (!hSpooler)
        return 0;
    DWORD cPublished = 0;
    PFNSETDATAEX pfn = (PFNSETDATAEX)GetProcAddress(hSpooler, "SetPrinterDataExW");
    if (pfn) {
        // Their results are not looked at: the directory is a courtesy.
        BYTE bStaple = sOutputUnit == 1 ? 0 : 1;
        BYTE bDuplex = 1;
        pfn(hPrinter, u"DsDriver", u"printStaplingSupported", REG_BINARY, &bStaple, 1);
        pfn(hPrinter, u"DsDriver", u"printDuplexSupported", REG_BINARY, &bDuplex, 1);
        cPublished = 2;
    }
    FreeLibrary(hSpooler);
    return cPublished;
}

INT_PTR CALLBACK OptionPageDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    INT_PTR r = PageFrameDlgProc(&kOptionPage, hwnd, uMsg, wParam, lParam);
    UISETTINGS* pObj = PageGetDesc(hwnd) == &kOptionPage ? PageGetSettings(hwnd) : nullptr;
    if (!pObj)
        return r;
    if (uMsg == WM_INITDIALOG) {
        InvalidateMachineView(hwnd, kMachineView, pObj);
    } else if (uMsg == WM_NOTIFY && lParam) {
        const NMHDR* pnm = (const NMHDR*)lParam;
        if (pnm->code == PSN_SETACTIVE && bSheetEditable(pObj))
            InvalidateMachineView(hwnd, kMachineView, pObj);
        else if (pnm->code == PSN_APPLY)
            _AfterApply(hwnd, pObj);
    }
    return r;
}
