// fakeui.cpp: a small user-interface library with the driver's sheet entry
// points, installed in place of the real one so that the spooler's roads to
// the sheets are seen on their own.
//
// Its DEVMODE is the public record plus 8 private bytes ("FAKE" and a
// staple flag). The merge: built-in defaults, then the printer's default
// DEVMODE (PRINTER_INFO_2), then the caller's. The document sheet has one
// page (template 700): Collate, Orientation, Copies, a disabled Staple box,
// a Reset button that asks first and a More button whose dialog (template
// 710) sets duplex printing. The device sheet has one page
// (template 800) whose box is kept as printer data "FakeDuplexUnit".
#include "platform/windows.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const WORD kcbExtra = 8;
const DWORD kcbDevmode = sizeof(DEVMODEW) + kcbExtra;
HINSTANCE g_hInst = nullptr;

struct SHEETSTATE {
    PPROPSHEETUI_INFO pInfo;
    DOCUMENTPROPERTYHEADER* pdph;   // document sheet
    DEVICEPROPERTYHEADER* pDevice;  // device sheet
    BYTE dm[kcbDevmode];
    BOOL bLocked;
    DWORD dwDuplexUnit;
};

DEVMODEW* Dm(BYTE* p)
{
    return reinterpret_cast<DEVMODEW*>(p);
}

void Defaults(BYTE* p)
{
    memset(p, 0, kcbDevmode);
    DEVMODEW* dm = Dm(p);
    const char16_t name[] = u"Fake UI";
    memcpy(dm->dmDeviceName, name, sizeof(name));
    dm->dmSpecVersion = 0x0401;
    dm->dmSize = sizeof(DEVMODEW);
    dm->dmDriverExtra = kcbExtra;
    dm->dmFields = DM_ORIENTATION | DM_COPIES | DM_COLLATE | DM_DUPLEX;
    dm->dmDuplex = DMDUP_SIMPLEX;
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmCopies = 1;
    dm->dmCollate = DMCOLLATE_FALSE;
    memcpy(p + sizeof(DEVMODEW), "FAKE", 4);
}

void MergeIn(BYTE* p, const DEVMODEW* in)
{
    if (!in || in->dmSize < 72)
        return;
    DEVMODEW* dm = Dm(p);
    if (in->dmFields & DM_ORIENTATION)
        dm->dmOrientation = in->dmOrientation;
    if (in->dmFields & DM_COPIES)
        dm->dmCopies = in->dmCopies;
    if (in->dmFields & DM_COLLATE)
        dm->dmCollate = in->dmCollate;
    if (in->dmFields & DM_DUPLEX)
        dm->dmDuplex = in->dmDuplex;
    if (in->dmSize == sizeof(DEVMODEW) && in->dmDriverExtra == kcbExtra)
        memcpy(p + sizeof(DEVMODEW), reinterpret_cast<const BYTE*>(in) + sizeof(DEVMODEW), kcbExtra);
}

void Merge(HANDLE hPrinter, const DEVMODEW* pdmIn, BYTE* p)
{
    Defaults(p);
    DWORD cb = 0;
    GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb ? cb : 1);
    if (cb && GetPrinterW(hPrinter, 2, info.data(), cb, &cb))
        MergeIn(p, reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode);
    MergeIn(p, pdmIn);
}

void ShowState(HWND hDlg, SHEETSTATE* s)
{
    DEVMODEW* dm = Dm(s->dm);
    CheckDlgButton(hDlg, 701, dm->dmCollate == DMCOLLATE_TRUE ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(hDlg, 702, CB_SETCURSEL, dm->dmOrientation == DMORIENT_LANDSCAPE ? 1 : 0, 0);
    SetDlgItemInt(hDlg, 703, dm->dmCopies, FALSE);
}

INT_PTR CALLBACK MoreProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(hDlg, DWL_USER, lParam);
        CheckDlgButton(hDlg, 711,
                       Dm(reinterpret_cast<SHEETSTATE*>(lParam)->dm)->dmDuplex == DMDUP_VERTICAL ? BST_CHECKED
                                                                                             : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            SHEETSTATE* s = reinterpret_cast<SHEETSTATE*>(GetWindowLongPtrW(hDlg, DWL_USER));
            Dm(s->dm)->dmDuplex = IsDlgButtonChecked(hDlg, 711) == BST_CHECKED ? DMDUP_VERTICAL : DMDUP_SIMPLEX;
            EndDialog(hDlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK LayoutProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SHEETSTATE* s = reinterpret_cast<SHEETSTATE*>(GetWindowLongPtrW(hDlg, DWL_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        s = reinterpret_cast<SHEETSTATE*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(hDlg, DWL_USER, reinterpret_cast<LONG_PTR>(s));
        SendDlgItemMessageW(hDlg, 702, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Portrait"));
        SendDlgItemMessageW(hDlg, 702, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Landscape"));
        ShowState(hDlg, s);
        if (s->bLocked)
            for (int id : {701, 702, 703, 705, 706})
                EnableWindow(GetDlgItem(hDlg, id), FALSE);
        return TRUE;
    }
    case WM_COMMAND:
        if (s && LOWORD(wParam) == 705 && HIWORD(wParam) == BN_CLICKED) {
            if (MessageBoxW(hDlg, u"Reset every setting to its default?", u"Layout", MB_YESNO | MB_ICONQUESTION) ==
                IDYES) {
                Defaults(s->dm);
                ShowState(hDlg, s);
            }
            return TRUE;
        }
        if (s && LOWORD(wParam) == 706 && HIWORD(wParam) == BN_CLICKED) {
            DialogBoxParamW(g_hInst, MAKEINTRESOURCEW(710), hDlg, MoreProc, reinterpret_cast<LPARAM>(s));
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
        if (!s || nm->code != PSN_APPLY)
            return FALSE;
        DEVMODEW* dm = Dm(s->dm);
        dm->dmCollate = IsDlgButtonChecked(hDlg, 701) == BST_CHECKED ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
        dm->dmOrientation = SendDlgItemMessageW(hDlg, 702, CB_GETCURSEL, 0, 0) == 1 ? DMORIENT_LANDSCAPE
                                                                                   : DMORIENT_PORTRAIT;
        BOOL bOk = FALSE;
        UINT n = GetDlgItemInt(hDlg, 703, &bOk, FALSE);
        if (bOk && n > 0 && n < 1000)
            dm->dmCopies = static_cast<short>(n);
        s->pInfo->pfnComPropSheet(s->pInfo->hComPropSheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
        SetWindowLongPtrW(hDlg, DWL_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK DeviceProc(HWND hDlg, UINT msg, WPARAM, LPARAM lParam)
{
    SHEETSTATE* s = reinterpret_cast<SHEETSTATE*>(GetWindowLongPtrW(hDlg, DWL_USER));
    switch (msg) {
    case WM_INITDIALOG:
        s = reinterpret_cast<SHEETSTATE*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(hDlg, DWL_USER, reinterpret_cast<LONG_PTR>(s));
        CheckDlgButton(hDlg, 801, s->dwDuplexUnit ? BST_CHECKED : BST_UNCHECKED);
        if (s->bLocked)
            EnableWindow(GetDlgItem(hDlg, 801), FALSE);
        return TRUE;
    case WM_NOTIFY:
        if (!s || reinterpret_cast<const NMHDR*>(lParam)->code != PSN_APPLY)
            return FALSE;
        s->dwDuplexUnit = IsDlgButtonChecked(hDlg, 801) == BST_CHECKED;
        s->pInfo->pfnComPropSheet(s->pInfo->hComPropSheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
        SetWindowLongPtrW(hDlg, DWL_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return FALSE;
}

LONG AddPage(SHEETSTATE* s, int idTemplate, DLGPROC proc)
{
    PROPSHEETPAGEW psp = {};
    psp.dwSize = sizeof(psp);
    psp.hInstance = g_hInst;
    psp.pszTemplate = MAKEINTRESOURCEW(idTemplate);
    psp.pfnDlgProc = proc;
    psp.lParam = reinterpret_cast<LPARAM>(s);
    return s->pInfo->pfnComPropSheet(s->pInfo->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                     reinterpret_cast<LPARAM>(&psp), 0)
               ? 1
               : -1;
}

LONG CommonReason(PPROPSHEETUI_INFO pInfo, LPARAM lParam, LPWSTR pszTitle)
{
    SHEETSTATE* s = reinterpret_cast<SHEETSTATE*>(pInfo->UserData);
    switch (pInfo->Reason) {
    case PROPSHEETUI_REASON_GET_INFO: {
        PPROPSHEETUI_INFO_HEADER h = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
        h->Flags = PSUIHDRF_PROPTITLE;
        h->pTitle = pszTitle;
        h->hInst = g_hInst;
        return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
        delete s;
        pInfo->UserData = 0;
        return 1;
    }
    return -1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        g_hInst = hInst;
    return TRUE;
}

extern "C" __attribute__((visibility("default"))) LONG DrvDocumentPropertySheets(PPROPSHEETUI_INFO pInfo,
                                                                                  LPARAM lParam)
{
    if (!pInfo) {
        DOCUMENTPROPERTYHEADER* d = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
        if (!d)
            return -1;
        d->cbOut = kcbDevmode;
        if (d->fMode == 0 || !d->pdmOut)
            return (LONG)kcbDevmode;
        BYTE dm[kcbDevmode];
        Merge(d->hPrinter, d->pdmIn, dm);
        memcpy(d->pdmOut, dm, kcbDevmode);
        return 1;
    }
    switch (pInfo->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        SHEETSTATE* s = new SHEETSTATE{};
        s->pInfo = pInfo;
        s->pdph = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
        Merge(s->pdph->hPrinter, s->pdph->pdmIn, s->dm);
        s->bLocked = (s->pdph->fMode & DM_NOPERMISSION) != 0;
        if (AddPage(s, 700, LayoutProc) < 1) {
            delete s;
            return -1;
        }
        pInfo->UserData = reinterpret_cast<ULONG_PTR>(s);
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
        SHEETSTATE* s = reinterpret_cast<SHEETSTATE*>(pInfo->UserData);
        PSETRESULT_INFO r = reinterpret_cast<PSETRESULT_INFO>(lParam);
        pInfo->Result = r->Result;
        if (r->Result == CPSUI_OK && (s->pdph->fMode & (DM_UPDATE | DM_COPY)) && s->pdph->pdmOut)
            memcpy(s->pdph->pdmOut, s->dm, kcbDevmode);
        return 1;
    }
    }
    DOCUMENTPROPERTYHEADER* d = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(pInfo->lParamInit);
    return CommonReason(pInfo, lParam, d->pszPrinterName);
}

extern "C" __attribute__((visibility("default"))) LONG DrvDevicePropertySheets(PPROPSHEETUI_INFO pInfo,
                                                                                LPARAM lParam)
{
    if (!pInfo)
        return -1;
    switch (pInfo->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        SHEETSTATE* s = new SHEETSTATE{};
        s->pInfo = pInfo;
        s->pDevice = reinterpret_cast<DEVICEPROPERTYHEADER*>(lParam);
        s->bLocked = (s->pDevice->Flags & DPS_NOPERMISSION) != 0;
        DWORD cb = 0, type = 0;
        GetPrinterDataW(s->pDevice->hPrinter, (LPWSTR)u"FakeDuplexUnit", &type, (LPBYTE)&s->dwDuplexUnit, 4, &cb);
        if (AddPage(s, 800, DeviceProc) < 1) {
            delete s;
            return -1;
        }
        pInfo->UserData = reinterpret_cast<ULONG_PTR>(s);
        return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
        SHEETSTATE* s = reinterpret_cast<SHEETSTATE*>(pInfo->UserData);
        PSETRESULT_INFO r = reinterpret_cast<PSETRESULT_INFO>(lParam);
        pInfo->Result = r->Result;
        if (r->Result == CPSUI_OK && !s->bLocked)
            SetPrinterDataW(s->pDevice->hPrinter, (LPWSTR)u"FakeDuplexUnit", REG_DWORD, (LPBYTE)&s->dwDuplexUnit, 4);
        return 1;
    }
    }
    DEVICEPROPERTYHEADER* d = reinterpret_cast<DEVICEPROPERTYHEADER*>(pInfo->lParamInit);
    return CommonReason(pInfo, lParam, d->pszPrinterName);
}
