// usetdlg.cpp: the settings library dialogs.
#include "ui/library/usetdlg.h"

#include <cstring>

#include "platform/comctl/commctrl.h"
#include "platform/comdlg/commdlg.h"
#include "platform/comdlg/shlobj.h"
#include "platform/comdlg/winhelp.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/driverui/driverui.h"
#include "ui/library/libstate.h"
#include "ui/library/quickaccess.h"
#include "ui/library/summary.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/strcache.h"
#include "ui/settings/usetlib.h"
#include "ui/settings/uisettings.h"

namespace {

// Texts and captions.
const UINT kCapSave = 21103;
const UINT kCapOrganize = 21105;
const UINT kTxtFileTitle = 21100;
const UINT kTxtFilter = 21101;
const UINT kTxtFull = 21010;
const UINT kCapRecall = 25757;
const UINT kTxtEmpty = 25758;
const UINT kTxtRecallFailed = 25706;
const UINT kTxtRemoveAsk = 25766;

// Help contexts of the Help buttons.
const DWORD kHelpSave = 0x1451;
const DWORD kHelpRecall = 0x1452;
const DWORD kHelpOrganize = 0x1453;

LPCWSTR _Res(UINT uId)
{
    LPCWSTR p = GetResString(uId);
    return p ? p : u"";
}

USETDLGDATA* _Data(HWND hDlg) { return (USETDLGDATA*)GetWindowLongPtrW(hDlg, DWLP_USER); }

int _ListId(const USETDLGDATA* d)
{
    return d->wDialogId == IDD_USET_SAVE ? IDC_SAVE_LIST : d->wDialogId == IDD_USET_RECALL ? IDC_RECALL_LIST
                                                                                           : IDC_ORG_LIST;
}
int _NameId(const USETDLGDATA* d)
{
    return d->wDialogId == IDD_USET_SAVE ? IDC_SAVE_NAME : d->wDialogId == IDD_USET_RECALL ? IDC_RECALL_NAME
                                                                                           : IDC_ORG_NAME;
}
int _CommentId(const USETDLGDATA* d)
{
    return d->wDialogId == IDD_USET_SAVE      ? IDC_SAVE_COMMENT
           : d->wDialogId == IDD_USET_RECALL ? IDC_RECALL_COMMENT
                                              : IDC_ORG_COMMENT;
}
int _TabId(const USETDLGDATA* d)
{
    return d->wDialogId == IDD_USET_SAVE      ? IDC_SUMMARY_SAVE_TAB
           : d->wDialogId == IDD_USET_RECALL ? IDC_SUMMARY_RECALL_TAB
                                              : IDC_SUMMARY_ORGANIZE_TAB;
}

int _Count(const USETDLGDATA* d)
{
    if (!d || !d->pLib)
        return 0;
    return d->pLib->cEntries > USET_MAX_ENTRIES ? USET_MAX_ENTRIES : (int)d->pLib->cEntries;
}

USETENTRY* _Selected(const USETDLGDATA* d)
{
    return d && d->pLib && _Count(d) > 0 ? GetUserSettingEntry(d->pLib, d->sSelection) : nullptr;
}

// ---- record ------------------------------------------------------------------

void FreeUsetDlgBuffers(USETDLGDATA* d)
{
    for (LPWSTR* pp : {&d->pszPath, &d->pszFolder, &d->pszName, &d->pszExt, &d->pszComment}) {
        // Fields of a packed record: copied out and in, never read in place.
        if (LPWSTR psz = ParamLoadPtr(pp)) {
            HGLOBAL h = GlobalHandle(psz);
            GlobalUnlock(h);
            GlobalFree(h);
            ParamStorePtr(pp, static_cast<LPWSTR>(nullptr));
        }
    }
}

LPWSTR _AllocText(UINT cch)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cch * sizeof(WCHAR));
    return h ? (LPWSTR)GlobalLock(h) : nullptr;
}

BOOL AllocUsetDlgBuffers(USETDLGDATA* d)
{
    d->pszName = _AllocText(USET_NAME_CCH);
    d->pszPath = _AllocText(USETDLG_PATH_CCH);
    d->pszFolder = _AllocText(USETDLG_PATH_CCH);
    d->pszExt = _AllocText(USET_EXT_CCH);
    d->pszComment = _AllocText(USET_COMMENT_CCH);
    if (!d->pszName || !d->pszPath || !d->pszFolder || !d->pszExt || !d->pszComment) {
        FreeUsetDlgBuffers(d);
        return FALSE;
    }
    return TRUE;
}

void ClearUsetDlgBuffers(USETDLGDATA* d)
{
    if (d->pszName) d->pszName[0] = 0;
    if (d->pszExt) d->pszExt[0] = 0;
    if (d->pszComment) d->pszComment[0] = 0;
}

USETDLGDATA* AllocUsetDlgData(HWND hDlg, UISETTINGS* pSettings, WORD wId)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(USETDLGDATA));
    USETDLGDATA* d = h ? (USETDLGDATA*)GlobalLock(h) : nullptr;
    if (!d) {
        if (h)
            GlobalFree(h);
        return nullptr;
    }
    d->pSettings = pSettings;
    d->wDialogId = wId;
    if (!AllocUsetDlgBuffers(d)) {
        GlobalUnlock(h);
        GlobalFree(h);
        return nullptr;
    }
    SetWindowLongPtrW(hDlg, DWLP_USER, (LONG_PTR)d);
    return d;
}

void FreeUsetDlgData(HWND hDlg, USETDLGDATA* d)
{
    if (!d)
        return;
    FreeUsetDlgBuffers(d);
    HGLOBAL h = GlobalHandle(d);
    GlobalUnlock(h);
    GlobalFree(h);
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
}

void LimitUsetEdits(HWND hDlg, USETDLGDATA* d)
{
    SendDlgItemMessageW(hDlg, _NameId(d), EM_LIMITTEXT, 40, 0);
    SendDlgItemMessageW(hDlg, _CommentId(d), EM_LIMITTEXT, 512, 0);
}

void ResetUsetEntryList(HWND hDlg, USETDLGDATA* d)
{
    HWND hList = GetDlgItem(hDlg, _ListId(d));
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    LRESULT h = SendMessageW(hList, LB_GETITEMHEIGHT, 0, 0);
    if (h > 0)
        SendMessageW(hList, LB_SETITEMHEIGHT, 0, h + 2);
}

void SelectShownSettings(USETDLGDATA* d)
{
    if (_Count(d) == 0) {
        d->pShown = nullptr;
        return;
    }
    if (d->sSelection < 0 || d->sSelection >= USET_MAX_ENTRIES)
        return;
    USETENTRY* e = GetUserSettingEntry(d->pLib, d->sSelection);
    d->pShown = e ? e->pSettings : nullptr;
}

void _FillEntryList(HWND hDlg, USETDLGDATA* d, int idCounter)
{
    HWND hList = GetDlgItem(hDlg, _ListId(d));
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    int n = _Count(d);
    for (int i = 0; i < n; ++i) {
        USETENTRY* e = GetUserSettingEntry(d->pLib, i);
        SendMessageW(hList, LB_ADDSTRING, 0, (LPARAM)(e ? e->szDisplayName : u""));
    }
    if (n > 0)
        SendMessageW(hList, LB_SETCURSEL, d->sSelection, 0);
    WCHAR sz[32];
    wsprintfW(sz, u"%ld/%d", (LONG)(d->pLib ? d->pLib->cEntries : 0), USET_MAX_ENTRIES);
    SetDlgItemTextW(hDlg, idCounter, sz);
}

void _Summary(HWND hDlg, USETDLGDATA* d)
{
    RebuildSummaryText(hDlg, _TabId(d), d->pShown);
    RefreshSummaryPreviews(hDlg, d->pShown);
}

void _DisableAll(HWND hDlg, int idFirst, int idLast)
{
    for (int id = idFirst; id <= idLast; ++id)
        if (HWND h = GetDlgItem(hDlg, id))
            EnableWindow(h, FALSE);
}

void _DisableIfNotEditable(HWND hDlg, USETDLGDATA* d)
{
    if (bLibrarySheetEditable(d->pSettings))
        return;
    if (d->wDialogId == IDD_USET_SAVE) {
        _DisableAll(hDlg, 2501, 2513);
    } else if (d->wDialogId == IDD_USET_RECALL) {
        _DisableAll(hDlg, 2521, 2529);
        _DisableAll(hDlg, 2531, 2537);
    } else {
        _DisableAll(hDlg, 2561, 2574);
    }
    _DisableAll(hDlg, IDC_PREVIEW_LARGE, IDC_PREVIEW_ICONS);
}

// ---- edits -------------------------------------------------------------------

BOOL _FocusPasses(HWND hDlg, HWND hNew, USETDLGDATA* d)
{
    int id = hNew ? GetDlgCtrlID(hNew) : 0;
    if (id == 0 || id == IDCANCEL)
        return TRUE;
    if (d->bValidating)
        return TRUE;
    if (id == IDOK && d->wDialogId == IDD_USET_SAVE)
        return TRUE;
    (void)hDlg;
    return FALSE;
}

LRESULT CALLBACK UsetNameEditProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hEdit);
    USETDLGDATA* d = _Data(hDlg);
    if (!d)
        return DefWindowProcW(hEdit, uMsg, wParam, lParam);
    if (uMsg == WM_KILLFOCUS && !_FocusPasses(hDlg, (HWND)wParam, d)) {
        if (!bValidateSettingsName(hDlg, FALSE))
            return 0;
        if (d->wDialogId == IDD_USET_ORGANIZE && _Selected(d))
            bRenameUserSetting(d->pLib, d->sSelection, d->pszName);
    }
    return CallWindowProcW(d->pfnOldNameProc, hEdit, uMsg, wParam, lParam);
}

LRESULT CALLBACK UsetCommentEditProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND hDlg = GetParent(hEdit);
    USETDLGDATA* d = _Data(hDlg);
    if (!d)
        return DefWindowProcW(hEdit, uMsg, wParam, lParam);
    if (uMsg == WM_KILLFOCUS && !_FocusPasses(hDlg, (HWND)wParam, d) && d->wDialogId == IDD_USET_ORGANIZE &&
        _Selected(d))
        bSetUserSettingComment(d->pLib, d->sSelection, d->pszComment);
    return CallWindowProcW(d->pfnOldCommentProc, hEdit, uMsg, wParam, lParam);
}

void _Subclass(HWND hDlg, USETDLGDATA* d)
{
    d->pfnOldNameProc =
        (WNDPROC)SetWindowLongPtrW(GetDlgItem(hDlg, _NameId(d)), GWLP_WNDPROC, (LONG_PTR)UsetNameEditProc);
    d->pfnOldCommentProc =
        (WNDPROC)SetWindowLongPtrW(GetDlgItem(hDlg, _CommentId(d)), GWLP_WNDPROC, (LONG_PTR)UsetCommentEditProc);
}

void _Unsubclass(HWND hDlg, USETDLGDATA* d)
{
    if (d->pfnOldNameProc)
        SetWindowLongPtrW(GetDlgItem(hDlg, _NameId(d)), GWLP_WNDPROC, (LONG_PTR)d->pfnOldNameProc);
    if (d->pfnOldCommentProc)
        SetWindowLongPtrW(GetDlgItem(hDlg, _CommentId(d)), GWLP_WNDPROC, (LONG_PTR)d->pfnOldCommentProc);
    d->pfnOldNameProc = d->pfnOldCommentProc = nullptr;
}

// Reads an edit into a buffer when its text differs; TRUE when it did.
BOOL _ReadEdit(HWND hDlg, int id, LPWSTR pszBuf, int cch)
{
    WCHAR sz[USET_COMMENT_CCH + 1] = {};
    GetDlgItemTextW(hDlg, id, sz, cch);
    if (lstrcmpW(sz, pszBuf) == 0)
        return FALSE;
    lstrcpynW(pszBuf, sz, cch);
    return TRUE;
}

// ---- file dialogs ------------------------------------------------------------

void _InitOfn(OPENFILENAMEW* ofn, HWND hOwner, USETDLGDATA* d, LPWSTR pszPath, LPWSTR pszFilter, int cchFilter)
{
    lstrcpynW(pszFilter, _Res(kTxtFilter), cchFilter);
    int n = lstrlenW(pszFilter);
    if (n > 0) {
        WCHAR chSep = pszFilter[n - 1];
        for (int i = 0; i < n; ++i)
            if (pszFilter[i] == chSep)
                pszFilter[i] = 0;
    }
    memset(ofn, 0, sizeof(*ofn));
    ofn->lStructSize = sizeof(OPENFILENAMEW);
    ofn->hwndOwner = hOwner;
    ofn->lpstrFilter = pszFilter;
    ofn->nFilterIndex = 1;
    ofn->lpstrFile = pszPath;
    ofn->nMaxFile = 260;
    ofn->lpstrTitle = _Res(kTxtFileTitle);
    ofn->lpstrDefExt = u"xsf";
    ofn->lpstrInitialDir = d->pszFolder;
}

int bBrowseSaveFile(HWND hOwner, USETDLGDATA* d, LPWSTR pszPath, WORD* pwFile, WORD* pwExt)
{
    WCHAR szFilter[512];
    OPENFILENAMEW ofn;
    _InitOfn(&ofn, hOwner, d, pszPath, szFilter, 510);
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_CREATEPROMPT | OFN_LONGNAMES;
    *pwFile = *pwExt = 0;
    if (!GetSaveFileNameW(&ofn))
        return 0;
    *pwFile = ofn.nFileOffset;
    *pwExt = ofn.nFileExtension;
    return ofn.nFileOffset;
}

int bBrowseOpenFile(HWND hOwner, USETDLGDATA* d, LPWSTR pszPath, WORD* pwFile, WORD* pwExt)
{
    WCHAR szFilter[512];
    OPENFILENAMEW ofn;
    _InitOfn(&ofn, hOwner, d, pszPath, szFilter, 510);
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    *pwFile = *pwExt = 0;
    if (!GetOpenFileNameW(&ofn))
        return 0;
    *pwFile = ofn.nFileOffset;
    *pwExt = ofn.nFileExtension;
    return ofn.nFileOffset;
}

// Splits a chosen path: folder (without the last backslash), name (between
// the file offset and the extension's dot), extension.
void _SplitPath(LPCWSTR pszPath, WORD wFile, WORD wExt, LPWSTR pszFolder, LPWSTR pszName, LPWSTR pszExt)
{
    int cchFolder = wFile > 0 ? wFile - 1 : 0;
    if (cchFolder >= USETDLG_PATH_CCH)
        cchFolder = USETDLG_PATH_CCH - 1;
    if (pszFolder) {
        memcpy(pszFolder, pszPath, cchFolder * sizeof(WCHAR));
        pszFolder[cchFolder] = 0;
    }
    if (pszName) {
        int cch = wExt > wFile ? wExt - 1 - wFile : 0;
        if (cch >= USET_NAME_CCH)
            cch = USET_NAME_CCH - 1;
        memcpy(pszName, pszPath + wFile, cch * sizeof(WCHAR));
        pszName[cch] = 0;
    }
    if (pszExt)
        lstrcpynW(pszExt, pszPath + wExt, USET_EXT_CCH);
}

void _NameOfPath(LPCWSTR pszPath, WORD wFile, WORD wExt, LPWSTR pszOut, int cchOut)
{
    int cch = wExt > wFile ? wExt - 1 - wFile : 0;
    if (cch >= cchOut)
        cch = cchOut - 1;
    memcpy(pszOut, pszPath + wFile, cch * sizeof(WCHAR));
    pszOut[cch] = 0;
}

// ---- save dialog ---------------------------------------------------------------

void RefreshSaveDialog(HWND hDlg, USETDLGDATA* d)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_SAVE);
    if (!pm)
        return;
    if (*pm & 1)
        _FillEntryList(hDlg, d, IDC_SAVE_COUNT);
    if (*pm & 2)
        SetDlgItemTextW(hDlg, IDC_SAVE_NAME, d->pszName);
    if (*pm & 4)
        SetDlgItemTextW(hDlg, IDC_SAVE_COMMENT, d->pszComment);
    if (*pm & 8) {
        WCHAR sz[USETDLG_PATH_CCH + 2];
        wsprintfW(sz, u"%s\\", d->pszFolder);
        SetDlgItemTextW(hDlg, IDC_SAVE_FOLDER, sz);
    }
    *pm = 0;
}

void MarkSaveField(HWND hDlg, USETDLGDATA* d, int id)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_SAVE);
    DWORD bit = id == IDC_SAVE_LIST ? 1 : id == IDC_SAVE_NAME ? 2 : id == IDC_SAVE_COMMENT ? 4
              : id == IDC_SAVE_FOLDER ? 8 : id == IDC_SAVE_BROWSE ? 0x10 : 0;
    if (pm) {
        *pm |= bit;
        RefreshSaveDialog(hDlg, d);
    }
}

BOOL InitSaveDialog(HWND hDlg, UISETTINGS* pSettings)
{
    USETDLGDATA* d = AllocUsetDlgData(hDlg, pSettings, IDD_USET_SAVE);
    if (!d)
        return FALSE;
    GetDefaultSettingsFolder(d->pszFolder, USETDLG_PATH_CCH);
    d->pLib = CreateUserSettingsLibrary(hDlg, pSettings);
    WCHAR szStored[USETDLG_PATH_CCH] = {};
    if (d->pLib && QueryUsetString(d->pLib, u"UsetSave SaveFile", szStored, u"", sizeof(szStored)) &&
        szStored[0]) {
        lstrcpynW(d->pszFolder, szStored, USETDLG_PATH_CCH);
        lstrcpynW(d->pszPath, szStored, USETDLG_PATH_CCH);
    } else {
        lstrcpynW(d->pszPath, d->pszFolder, USETDLG_PATH_CCH);
    }
    LimitUsetEdits(hDlg, d);
    ResetUsetEntryList(hDlg, d);
    d->pOptions = CreateRecallOptions();
    d->pShown = d->pLib ? CloneSettingsForSave(d->pLib, pSettings) : nullptr;
    *GetLibraryRefreshMask(pSettings, LIBMASK_SAVE) = 0x1F;
    RefreshSaveDialog(hDlg, d);
    _Subclass(hDlg, d);
    _DisableIfNotEditable(hDlg, d);
    InitSummaryTabs(hDlg, IDC_SUMMARY_SAVE_TAB, d->pShown);
    RefreshSummaryPreviews(hDlg, d->pShown);
    return TRUE;
}

void EndSaveDialog(HWND hDlg, USETDLGDATA* d, INT_PTR iResult)
{
    if (d) {
        _Unsubclass(hDlg, d);
        if (d->pShown)
            DiscardSettingsClone(d->pLib, &d->pShown);
        DestroyUserSettingsLibrary(&d->pLib);
        FreeRecallOptions(&d->pOptions);
        FreeUsetDlgData(hDlg, d);
    }
    EndDialog(hDlg, iResult);
}

void _SaveBrowse(HWND hDlg, USETDLGDATA* d)
{
    WCHAR szPath[USETDLG_PATH_CCH] = {};
    lstrcpynW(szPath, d->pszName, USETDLG_PATH_CCH);
    WORD wFile = 0, wExt = 0;
    bBrowseSaveFile(hDlg, d, szPath, &wFile, &wExt);
    int r = CheckChosenSaveFile(hDlg, szPath, wFile, wExt);
    if (r == 0)
        return;
    if (r == 1) {
        if (wFile > 0) {
            _SplitPath(szPath, wFile, wFile, d->pszFolder, nullptr, nullptr);
            lstrcpynW(d->pszPath, d->pszFolder, USETDLG_PATH_CCH);
            MarkSaveField(hDlg, d, IDC_SAVE_FOLDER);
        }
        return;
    }
    lstrcpynW(d->pszPath, szPath, USETDLG_PATH_CCH);
    _SplitPath(szPath, wFile, wExt, d->pszFolder, d->pszName, d->pszExt);
    MarkSaveField(hDlg, d, IDC_SAVE_FOLDER);
    MarkSaveField(hDlg, d, IDC_SAVE_NAME);
}

void _SaveOk(HWND hDlg, USETDLGDATA* d)
{
    d->bValidating = 2;
    BOOL bOk = bValidateSettingsName(hDlg, TRUE);
    d->bValidating = 0;
    if (!bOk || !d->pLib || !d->pShown)
        return;
    if (!bAddUserSettingFile(d->pLib, d->pShown, d->pszFolder, d->pszName, d->pszComment) ||
        !bFinishUserSettingsLibrary(d->pLib))
        return;
    bSetUsetString(d->pLib, u"UsetSave SaveFile", d->pszFolder);
    EndSaveDialog(hDlg, d, 1);
}

// ---- recall dialog -------------------------------------------------------------

void RefreshRecallDialog(HWND hDlg, USETDLGDATA* d)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_RECALL);
    if (!pm)
        return;
    USETENTRY* e = _Selected(d);
    if (*pm & 1)
        _FillEntryList(hDlg, d, IDC_RECALL_COUNT);
    if (*pm & 2)
        CheckRadioButton(hDlg, IDC_RECALL_MODE0, IDC_RECALL_MODE1,
                         d->sRecallMode == 1 ? IDC_RECALL_MODE1 : IDC_RECALL_MODE0);
    if (*pm & 8)
        SetDlgItemTextW(hDlg, IDC_RECALL_NAME, e ? e->szDisplayName : u"");
    if (*pm & 0x10)
        SetDlgItemTextW(hDlg, IDC_RECALL_COMMENT, e ? e->szComment : u"");
    if (*pm & 0x20) {
        d->pszPath[0] = 0;
        if (e)
            wnsprintfW(d->pszPath, USETDLG_PATH_CCH, u"%s\\%s.%s", e->szFolder, e->szName, e->szExt);
        SetDlgItemTextW(hDlg, IDC_RECALL_LOCATION, d->pszPath);
    }
    *pm = 0;
}

void MarkRecallField(HWND hDlg, USETDLGDATA* d, int id)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_RECALL);
    DWORD bit = id == IDC_RECALL_LIST ? 1 : id == IDC_RECALL_NAME ? 8 : id == IDC_RECALL_COMMENT ? 0x10
              : id == IDC_RECALL_LOCATION ? 0x20 : (id == IDC_RECALL_MODE0 || id == IDC_RECALL_MODE1) ? 2
              : id == IDC_RECALL_DETAIL ? 4 : 0;
    if (pm) {
        *pm |= bit;
        RefreshRecallDialog(hDlg, d);
    }
}

BOOL InitRecallDialog(HWND hDlg, UISETTINGS* pSettings)
{
    USETDLGDATA* d = AllocUsetDlgData(hDlg, pSettings, IDD_USET_RECALL);
    if (!d)
        return FALSE;
    for (int i = 0; i < RO_COUNT; ++i)
        d->abSavedOptions[i] = (BYTE)GetRecallOptionValue(pSettings, i);
    LimitUsetEdits(hDlg, d);
    ResetUsetEntryList(hDlg, d);
    d->pLib = CreateUserSettingsLibraryFull(hDlg, pSettings);
    d->pOptions = CreateRecallOptions();
    SelectShownSettings(d);
    *GetLibraryRefreshMask(pSettings, LIBMASK_RECALL) = 0x3F;
    RefreshRecallDialog(hDlg, d);
    _DisableIfNotEditable(hDlg, d);
    InitSummaryTabs(hDlg, IDC_SUMMARY_RECALL_TAB, d->pShown);
    RefreshSummaryPreviews(hDlg, d->pShown);
    return TRUE;
}

void EndRecallDialog(HWND hDlg, USETDLGDATA* d, INT_PTR iResult)
{
    if (d) {
        DestroyUserSettingsLibrary(&d->pLib);
        FreeRecallOptions(&d->pOptions);
        FreeUsetDlgData(hDlg, d);
    }
    EndDialog(hDlg, iResult);
}

void _RecallOk(HWND hDlg, USETDLGDATA* d)
{
    if (!d->pOptions || !_Selected(d)) {
        EndRecallDialog(hDlg, d, IDCANCEL);
        return;
    }
    StoreRecallOptions(d->pOptions, d->pSettings);
    if (!bRecallUserSetting(d->pLib, d->sSelection, d->pSettings, d->pOptions)) {
        // Nothing was recalled: say so, and let the user choose again.
        ShowUsetFieldError(hDlg, IDC_RECALL_LIST, kCapRecall, kTxtRecallFailed);
        return;
    }
    EndRecallDialog(hDlg, d, 1);
}

// ---- organize dialog -----------------------------------------------------------

void RefreshOrganizeDialog(HWND hDlg, USETDLGDATA* d)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_ORGANIZE);
    if (!pm)
        return;
    int n = _Count(d);
    USETENTRY* e = _Selected(d);
    BOOL bWritable = e && e->dwAttributes == USET_WRITABLE;
    if (*pm & 1) {
        _FillEntryList(hDlg, d, IDC_ORG_COUNT);
        EnableWindow(GetDlgItem(hDlg, IDC_ORG_LIST), n > 0);
    }
    if (*pm & 2) {
        lstrcpynW(d->pszName, e ? e->szDisplayName : u"", USET_NAME_CCH);
        SetDlgItemTextW(hDlg, IDC_ORG_NAME, d->pszName);
        SendDlgItemMessageW(hDlg, IDC_ORG_NAME, EM_SETREADONLY, !bWritable, 0);
    }
    if (*pm & 4) {
        lstrcpynW(d->pszComment, e ? e->szComment : u"", USET_COMMENT_CCH);
        SetDlgItemTextW(hDlg, IDC_ORG_COMMENT, d->pszComment);
        SendDlgItemMessageW(hDlg, IDC_ORG_COMMENT, EM_SETREADONLY, !bWritable, 0);
    }
    if (*pm & 8)
        EnableWindow(GetDlgItem(hDlg, IDC_ORG_UP), n > 0 && d->sSelection != 0);
    if (*pm & 0x10)
        EnableWindow(GetDlgItem(hDlg, IDC_ORG_DOWN), n > 0 && d->sSelection != n - 1);
    if (*pm & 0x20)
        EnableWindow(GetDlgItem(hDlg, IDC_ORG_DELETE),
                     n > 0 && e && e->dwAttributes >= 1 && e->dwAttributes <= 3);
    if (*pm & 0x40) {
        EnableWindow(GetDlgItem(hDlg, IDC_ORG_REGISTER), n < USET_MAX_ENTRIES);
        WCHAR sz[32];
        wsprintfW(sz, u"%ld/%d", (LONG)(d->pLib ? d->pLib->cEntries : 0), USET_MAX_ENTRIES);
        SetDlgItemTextW(hDlg, IDC_ORG_COUNT, sz);
    }
    *pm = 0;
}

void _OrganizeMark(HWND hDlg, USETDLGDATA* d, DWORD dwMask)
{
    DWORD* pm = GetLibraryRefreshMask(d->pSettings, LIBMASK_ORGANIZE);
    if (pm) {
        *pm |= dwMask;
        RefreshOrganizeDialog(hDlg, d);
    }
}

BOOL InitOrganizeDialog(HWND hDlg, UISETTINGS* pSettings)
{
    USETDLGDATA* d = AllocUsetDlgData(hDlg, pSettings, IDD_USET_ORGANIZE);
    if (!d)
        return FALSE;
    GetDefaultSettingsFolder(d->pszFolder, USETDLG_PATH_CCH);
    d->pLib = CreateUserSettingsLibraryFull(hDlg, pSettings);
    WCHAR szStored[USETDLG_PATH_CCH] = {};
    if (d->pLib && QueryUsetString(d->pLib, u"UsetEdit LoadFile", szStored, u"", sizeof(szStored)) &&
        szStored[0]) {
        lstrcpynW(d->pszFolder, szStored, USETDLG_PATH_CCH);
        lstrcpynW(d->pszPath, szStored, USETDLG_PATH_CCH);
    }
    LimitUsetEdits(hDlg, d);
    ResetUsetEntryList(hDlg, d);
    d->pOptions = CreateRecallOptions();
    SelectShownSettings(d);
    *GetLibraryRefreshMask(pSettings, LIBMASK_ORGANIZE) = 0x7F;
    RefreshOrganizeDialog(hDlg, d);
    _Subclass(hDlg, d);
    _DisableIfNotEditable(hDlg, d);
    InitSummaryTabs(hDlg, IDC_SUMMARY_ORGANIZE_TAB, d->pShown);
    RefreshSummaryPreviews(hDlg, d->pShown);
    return TRUE;
}

void EndOrganizeDialog(HWND hDlg, USETDLGDATA* d, INT_PTR iResult)
{
    if (d) {
        _Unsubclass(hDlg, d);
        DestroyUserSettingsLibrary(&d->pLib);
        FreeRecallOptions(&d->pOptions);
        FreeUsetDlgData(hDlg, d);
    }
    EndDialog(hDlg, iResult);
}

void _OrganizeMove(HWND hDlg, USETDLGDATA* d, int iOp)
{
    int n = _Count(d);
    int iFrom = d->sSelection;
    int iTo = iOp == USET_MOVE_UP ? iFrom - 1 : iFrom + 1;
    if (iTo < 0 || iTo >= n || !bMoveUserSetting(d->pLib, iFrom, iOp))
        return;
    HWND hList = GetDlgItem(hDlg, IDC_ORG_LIST);
    USETENTRY* eOther = GetUserSettingEntry(d->pLib, iFrom);
    SendMessageW(hList, LB_DELETESTRING, iFrom, 0);
    SendMessageW(hList, LB_INSERTSTRING, iFrom, (LPARAM)(eOther ? eOther->szDisplayName : u""));
    SendMessageW(hList, LB_DELETESTRING, iTo, 0);
    SendMessageW(hList, LB_INSERTSTRING, iTo, (LPARAM)d->pszName);
    d->sSelection = (SHORT)iTo;
    SendMessageW(hList, LB_SETCURSEL, iTo, 0);
    SelectShownSettings(d);
    _OrganizeMark(hDlg, d, 0x18);
}

void _OrganizeDelete(HWND hDlg, USETDLGDATA* d)
{
    if (!_Selected(d) || !bAskUsetField(hDlg, IDC_ORG_DELETE, kCapOrganize, kTxtRemoveAsk))
        return;
    if (!bMoveUserSetting(d->pLib, d->sSelection, USET_REMOVE))
        return;
    HWND hList = GetDlgItem(hDlg, IDC_ORG_LIST);
    SendMessageW(hList, LB_DELETESTRING, d->sSelection, 0);
    EnableWindow(hList, _Count(d) > 0);
    if (d->sSelection > 0)
        --d->sSelection;
    if (_Count(d) == 0)
        ClearUsetDlgBuffers(d);
    SelectShownSettings(d);
    _OrganizeMark(hDlg, d, 0x7F);
    _Summary(hDlg, d);
}

void _OrganizeRegister(HWND hDlg, USETDLGDATA* d)
{
    WCHAR szPath[USETDLG_PATH_CCH] = {};
    WORD wFile = 0, wExt = 0;
    bBrowseOpenFile(hDlg, d, szPath, &wFile, &wExt);
    int r = CheckChosenLibraryFile(hDlg, szPath, wFile, wExt);
    if (r == 0)
        return;
    WCHAR szFolder[USETDLG_PATH_CCH] = {}, szName[USET_NAME_CCH] = {}, szExt[USET_EXT_CCH] = {};
    if (r == 1) {
        if (wFile > 0) {
            _SplitPath(szPath, wFile, wFile, d->pszFolder, nullptr, nullptr);
            lstrcpynW(d->pszPath, d->pszFolder, USETDLG_PATH_CCH);
        }
        return;
    }
    _SplitPath(szPath, wFile, wExt, szFolder, szName, szExt);
    if (!bRegisterSettingsFile(d->pLib, szFolder, szName, szExt))
        return;
    lstrcpynW(d->pszPath, szPath, USETDLG_PATH_CCH);
    lstrcpynW(d->pszFolder, szFolder, USETDLG_PATH_CCH);
    lstrcpynW(d->pszExt, szExt, USET_EXT_CCH);
    d->sSelection = (SHORT)(_Count(d) - 1);
    USETENTRY* e = _Selected(d);
    lstrcpynW(d->pszName, e ? e->szDisplayName : szName, USET_NAME_CCH);
    HWND hList = GetDlgItem(hDlg, IDC_ORG_LIST);
    SendMessageW(hList, LB_ADDSTRING, 0, (LPARAM)d->pszName);
    SendMessageW(hList, LB_SETCURSEL, d->sSelection, 0);
    SelectShownSettings(d);
    _OrganizeMark(hDlg, d, 0x7F);
    _Summary(hDlg, d);
}

void _OrganizeClose(HWND hDlg, USETDLGDATA* d, int id)
{
    d->bValidating = 2;
    BOOL bOk = bValidateSettingsName(hDlg, TRUE);
    d->bValidating = 0;
    // Cancel always closes; a name that breaks the rules is then not kept.
    if (!bOk && id != IDCANCEL)
        return;
    if (id != IDC_ORG_CLOSE && bOk && _Selected(d)) {
        bRenameUserSetting(d->pLib, d->sSelection, d->pszName);
        bSetUserSettingComment(d->pLib, d->sSelection, d->pszComment);
    }
    if (d->pLib) {
        bSetUsetString(d->pLib, u"UsetEdit LoadFile", d->pszFolder);
        bFinishUserSettingsLibrary(d->pLib);
    }
    EndOrganizeDialog(hDlg, d, id);
}

// ---- common frame --------------------------------------------------------------

BOOL _CommonMessage(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam, USETDLGDATA* d, INT_PTR* pResult)
{
    switch (uMsg) {
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* pDis = (const DRAWITEMSTRUCT*)lParam;
        if (!d || !pDis || (pDis->CtlID != IDC_PREVIEW_LARGE && pDis->CtlID != IDC_PREVIEW_ICONS))
            return FALSE;
        DrawSummaryPane(hDlg, _TabId(d), pDis, d->pShown);
        *pResult = TRUE;
        return TRUE;
    }
    case WM_NOTIFY: {
        const NMHDR* pHdr = (const NMHDR*)lParam;
        if (d && pHdr && pHdr->code == TCN_SELCHANGE && (int)pHdr->idFrom == _TabId(d)) {
            _Summary(hDlg, d);
            *pResult = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        // The use of the resource library taken at WM_INITDIALOG.
        FreeResourceDll();
        return FALSE;
    case WM_VSCROLL:
        if (d)
            RefreshSummaryPreviews(hDlg, d->pShown);
        return FALSE;
    case WM_HELP: {
        const HELPINFO* pHi = (const HELPINFO*)lParam;
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp(pHi ? (HWND)pHi->hItemHandle : hDlg, szPath, HELP_WM_HELP, (ULONG_PTR)GetHelpTable());
        *pResult = TRUE;
        return TRUE;
    }
    case WM_CONTEXTMENU: {
        WCHAR szPath[HELPTABLE_PATH_CCH];
        ShowDriverHelp((HWND)wParam, szPath, HELP_CONTEXTMENU, (ULONG_PTR)GetHelpTable());
        *pResult = TRUE;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void _Help(HWND hDlg, DWORD dwContext)
{
    WCHAR szPath[HELPTABLE_PATH_CCH];
    ShowDriverHelp(hDlg, szPath, HELP_CONTEXT, dwContext);
}

}  // namespace

// ---- public --------------------------------------------------------------------

BOOL GetDefaultSettingsFolder(LPWSTR pszFolder, UINT cchFolder)
{
    typedef HRESULT (*PFN_SHGETFOLDERPATHW)(HWND, int, HANDLE, DWORD, LPWSTR);
    if (!pszFolder || cchFolder == 0)
        return TRUE;
    pszFolder[0] = 0;
    BOOL bDone = FALSE;
    if (HMODULE h = LoadLibraryW(u"SHFOLDER.DLL")) {
        PFN_SHGETFOLDERPATHW pfn = (PFN_SHGETFOLDERPATHW)GetProcAddress(h, "SHGetFolderPathW");
        WCHAR sz[MAX_PATH] = {};
        if (pfn && pfn(nullptr, CSIDL_PERSONAL, nullptr, 0, sz) >= 0 && sz[0]) {
            lstrcpynW(pszFolder, sz, cchFolder);
            bDone = TRUE;
        }
        FreeLibrary(h);
    }
    if (!bDone)
        GetWindowsDirectoryW(pszFolder, cchFolder);
    return TRUE;
}

BOOL bHasNoForbiddenChars(LPCWSTR pszName)
{
    if (!pszName)
        return FALSE;
    static const char16_t kForbidden[] = u"\\/:*?\"<>|.";
    for (; *pszName; ++pszName)
        for (const char16_t* p = kForbidden; *p; ++p)
            if (*pszName == *p)
                return FALSE;
    return TRUE;
}

BOOL bIsPrintableName(LPCWSTR pszName)
{
    if (!pszName)
        return FALSE;
    for (; *pszName; ++pszName)
        if (!((*pszName >= 32 && *pszName <= 126) || *pszName >= 256))
            return FALSE;
    return TRUE;
}

BOOL bIsDuplicateDisplayName(USETDLGDATA* d, LPCWSTR pszName)
{
    if (!d || !pszName)
        return FALSE;
    int n = _Count(d);
    for (int i = 0; i < n; ++i) {
        if (d->wDialogId == IDD_USET_ORGANIZE && i == d->sSelection)
            continue;
        USETENTRY* e = GetUserSettingEntry(d->pLib, i);
        if (e && lstrcmpiW(e->szDisplayName, pszName) == 0)
            return TRUE;
    }
    return FALSE;
}

BOOL bValidateSettingsName(HWND hDlg, BOOL bFinal)
{
    USETDLGDATA* d = _Data(hDlg);
    if (!d || (d->wDialogId != IDD_USET_SAVE && d->wDialogId != IDD_USET_ORGANIZE))
        return TRUE;
    BOOL bSave = d->wDialogId == IDD_USET_SAVE;
    int idField = bSave ? IDC_SAVE_NAME : IDC_ORG_NAME;
    UINT uCap = bSave ? kCapSave : kCapOrganize;
    LPCWSTR pszName = d->pszName;
    if (!bHasNoForbiddenChars(pszName)) {
        ShowUsetFieldError(hDlg, idField, uCap, bSave ? 25751 : 25760);
        return FALSE;
    }
    if (!bIsPrintableName(pszName)) {
        ShowUsetFieldError(hDlg, idField, uCap, 25768);
        return FALSE;
    }
    if (!pszName[0] && (bSave ? bFinal : _Count(d) > 0)) {
        ShowUsetFieldError(hDlg, idField, uCap, bSave ? 25750 : 25759);
        return FALSE;
    }
    if (!bSave) {
        if (_Count(d) > 0 && bIsDuplicateDisplayName(d, pszName)) {
            ShowUsetFieldError(hDlg, idField, uCap, 25765);
            return FALSE;
        }
        return TRUE;
    }
    if (!bFinal)
        return TRUE;
    if (bIsDuplicateDisplayName(d, pszName)) {
        ShowUsetFieldError(hDlg, idField, uCap, 25754);
        return FALSE;
    }
    if (!bIsFolderWritable(d->pszFolder)) {
        ShowUsetFieldError(hDlg, idField, uCap, 25767);
        return FALSE;
    }
    if (bSettingsFileInUse(d->pLib, d->pszFolder, pszName, u"xsf")) {
        if (bSaveTargetBlocked(d->pLib, d->pszFolder, pszName, u"xsf")) {
            ShowUsetFieldError(hDlg, idField, uCap, 25756);
            return FALSE;
        }
        return bAskUsetField(hDlg, idField, uCap, 25755);
    }
    return TRUE;
}

int CheckChosenSaveFile(HWND hDlg, LPCWSTR pszPath, WORD wFile, WORD wExt)
{
    if (wFile == 0 && wExt == 0)
        return 0;
    int cch = pszPath ? lstrlenW(pszPath) : 0;
    if (wFile == 0 || wExt == 0 || wExt >= cch || wExt <= wFile) {
        ShowUsetFieldError(hDlg, IDC_SAVE_NAME, kCapSave, 25751);
        return 1;
    }
    if (lstrlenW(pszPath + wExt) != 3 || lstrcmpiW(pszPath + wExt, u"xsf") != 0) {
        ShowUsetFieldError(hDlg, IDC_SAVE_NAME, kCapSave, 25753);
        return 1;
    }
    WCHAR szName[USETDLG_PATH_CCH];
    _NameOfPath(pszPath, wFile, wExt, szName, USETDLG_PATH_CCH);
    if (!bHasNoForbiddenChars(szName)) {
        ShowUsetFieldError(hDlg, IDC_SAVE_NAME, kCapSave, 25751);
        return 1;
    }
    if (!bIsPrintableName(szName)) {
        ShowUsetFieldError(hDlg, IDC_SAVE_NAME, kCapSave, 25768);
        return 1;
    }
    if (lstrlenW(szName) > 40) {
        ShowUsetFieldError(hDlg, IDC_SAVE_NAME, kCapSave, 25752);
        return 1;
    }
    return 2;
}

int CheckChosenLibraryFile(HWND hDlg, LPCWSTR pszPath, WORD wFile, WORD wExt)
{
    if (wFile == 0 && wExt == 0)
        return 0;
    int cch = pszPath ? lstrlenW(pszPath) : 0;
    if (wFile == 0 || wExt == 0 || wExt >= cch || wExt <= wFile) {
        ShowUsetFieldError(hDlg, IDC_ORG_NAME, kCapOrganize, 25762);
        return 0;
    }
    if (lstrlenW(pszPath + wExt) != 3 || lstrcmpiW(pszPath + wExt, u"xsf") != 0) {
        ShowUsetFieldError(hDlg, IDC_ORG_NAME, kCapOrganize, 25763);
        return 0;
    }
    WCHAR szName[USETDLG_PATH_CCH];
    _NameOfPath(pszPath, wFile, wExt, szName, USETDLG_PATH_CCH);
    if (lstrlenW(szName) >= 41) {
        ShowUsetFieldError(hDlg, IDC_ORG_NAME, kCapOrganize, 25761);
        return 1;
    }
    USETDLGDATA* d = _Data(hDlg);
    int n = _Count(d);
    for (int i = 0; i < n; ++i) {
        USETENTRY* e = GetUserSettingEntry(d->pLib, i);
        if (e && lstrcmpiW(e->szDisplayName, szName) == 0) {
            ShowUsetFieldError(hDlg, IDC_ORG_NAME, kCapOrganize, 25764);
            return 1;
        }
    }
    return 2;
}

void ShowUsetFieldErrorText(HWND hDlg, int idField, UINT uCaption, LPCWSTR pszText)
{
    MessageBoxW(hDlg, pszText ? pszText : u"", _Res(uCaption), MB_ICONWARNING);
    if (idField) {
        HWND hField = GetDlgItem(hDlg, idField);
        SetFocus(hField);
        SendMessageW(hField, EM_SETSEL, 0, -1);
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 1);
    }
}

void ShowUsetFieldError(HWND hDlg, int idField, UINT uCaption, UINT uText)
{
    ShowUsetFieldErrorText(hDlg, idField, uCaption, _Res(uText));
}

BOOL bAskUsetField(HWND hDlg, int idField, UINT uCaption, UINT uText)
{
    if (MessageBoxW(hDlg, _Res(uText), _Res(uCaption), MB_ICONWARNING | MB_YESNO) == IDYES)
        return TRUE;
    if (idField) {
        HWND hField = GetDlgItem(hDlg, idField);
        SetFocus(hField);
        SendMessageW(hField, EM_SETSEL, 0, -1);
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 1);
    }
    return FALSE;
}

INT_PTR CALLBACK SaveSettingsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    USETDLGDATA* d = uMsg == WM_INITDIALOG ? nullptr : _Data(hDlg);
    INT_PTR r = FALSE;
    if (_CommonMessage(hDlg, uMsg, wParam, lParam, d, &r))
        return r;
    switch (uMsg) {
    case WM_INITDIALOG:
        LoadResourceDll();
        if (InitSaveDialog(hDlg, (UISETTINGS*)lParam)) {
            d = _Data(hDlg);
            if (d->pLib && d->pLib->cEntries >= USET_MAX_ENTRIES) {
                WCHAR sz[1024];
                wnsprintfW(sz, 1024, _Res(kTxtFull), USET_MAX_ENTRIES);
                ShowUsetFieldErrorText(hDlg, 0, kCapSave, sz);
                EndSaveDialog(hDlg, d, IDCANCEL);
            } else if (!d->pLib || !d->pShown) {
                EndSaveDialog(hDlg, d, IDCANCEL);
            }
        }
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (!d) {
            if (id == IDCANCEL || id == IDOK)
                EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        switch (id) {
        case IDC_SAVE_NAME:
            if (code == EN_CHANGE)
                _ReadEdit(hDlg, id, d->pszName, USET_NAME_CCH);
            return TRUE;
        case IDC_SAVE_COMMENT:
            if (code == EN_CHANGE)
                _ReadEdit(hDlg, id, d->pszComment, USET_COMMENT_CCH);
            return TRUE;
        case IDC_SAVE_BROWSE:
            _SaveBrowse(hDlg, d);
            return TRUE;
        case IDC_SAVE_HELP:
            _Help(hDlg, kHelpSave);
            return TRUE;
        case IDOK:
            _SaveOk(hDlg, d);
            return TRUE;
        case IDCANCEL:
            EndSaveDialog(hDlg, d, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hDlg, &ps);
        EndPaint(hDlg, &ps);
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK RecallSettingsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    USETDLGDATA* d = uMsg == WM_INITDIALOG ? nullptr : _Data(hDlg);
    INT_PTR r = FALSE;
    if (_CommonMessage(hDlg, uMsg, wParam, lParam, d, &r))
        return r;
    switch (uMsg) {
    case WM_INITDIALOG:
        LoadResourceDll();
        if (InitRecallDialog(hDlg, (UISETTINGS*)lParam)) {
            d = _Data(hDlg);
            if (_Count(d) == 0) {
                ShowUsetFieldError(hDlg, 0, kCapRecall, kTxtEmpty);
                EndRecallDialog(hDlg, d, IDCANCEL);
            }
        }
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (!d) {
            if (id == IDCANCEL || id == IDOK)
                EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        switch (id) {
        case IDC_RECALL_LIST:
            if (code == LBN_SELCHANGE) {
                LRESULT i = SendDlgItemMessageW(hDlg, id, LB_GETCURSEL, 0, 0);
                if (i >= 0)
                    d->sSelection = (SHORT)i;
                SelectShownSettings(d);
                *GetLibraryRefreshMask(d->pSettings, LIBMASK_RECALL) = 0x3E;
                RefreshRecallDialog(hDlg, d);
                _Summary(hDlg, d);
            }
            return TRUE;
        case IDC_RECALL_MODE0:
        case IDC_RECALL_MODE1:
            d->sRecallMode = id == IDC_RECALL_MODE1 ? 1 : 0;
            MarkRecallField(hDlg, d, id);
            return TRUE;
        case IDC_RECALL_DETAIL:
            OpenRecallDetailDialog(hDlg, d->pSettings);
            return TRUE;
        case IDC_RECALL_HELP:
            _Help(hDlg, kHelpRecall);
            return TRUE;
        case IDOK:
            _RecallOk(hDlg, d);
            return TRUE;
        case IDCANCEL:
            for (int i = 0; i < RO_COUNT; ++i)
                SetRecallOptionValue(d->pSettings, i, d->abSavedOptions[i]);
            EndRecallDialog(hDlg, d, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hDlg, &ps);
        EndPaint(hDlg, &ps);
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK OrganizeLibraryDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    USETDLGDATA* d = uMsg == WM_INITDIALOG ? nullptr : _Data(hDlg);
    INT_PTR r = FALSE;
    if (_CommonMessage(hDlg, uMsg, wParam, lParam, d, &r))
        return r;
    switch (uMsg) {
    case WM_INITDIALOG:
        LoadResourceDll();
        InitOrganizeDialog(hDlg, (UISETTINGS*)lParam);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (!d) {
            if (id == IDCANCEL || id == IDOK || id == IDC_ORG_CLOSE)
                EndDialog(hDlg, id);
            return TRUE;
        }
        switch (id) {
        case IDC_ORG_LIST:
            if (code == LBN_SELCHANGE) {
                LRESULT i = SendDlgItemMessageW(hDlg, id, LB_GETCURSEL, 0, 0);
                if (i >= 0)
                    d->sSelection = (SHORT)i;
                SelectShownSettings(d);
                _OrganizeMark(hDlg, d, 0x3E);
                _Summary(hDlg, d);
            }
            return TRUE;
        case IDC_ORG_UP:
            if (d->sSelection > 0)
                _OrganizeMove(hDlg, d, USET_MOVE_UP);
            return TRUE;
        case IDC_ORG_DOWN:
            _OrganizeMove(hDlg, d, USET_MOVE_DOWN);
            return TRUE;
        case IDC_ORG_DELETE:
            _OrganizeDelete(hDlg, d);
            return TRUE;
        case IDC_ORG_REGISTER:
            _OrganizeRegister(hDlg, d);
            return TRUE;
        case IDC_ORG_NAME:
            if (code == EN_CHANGE && _ReadEdit(hDlg, id, d->pszName, USET_NAME_CCH) && _Selected(d)) {
                HWND hList = GetDlgItem(hDlg, IDC_ORG_LIST);
                SendMessageW(hList, LB_DELETESTRING, d->sSelection, 0);
                SendMessageW(hList, LB_INSERTSTRING, d->sSelection, (LPARAM)d->pszName);
                SendMessageW(hList, LB_SETCURSEL, d->sSelection, 0);
            }
            return TRUE;
        case IDC_ORG_COMMENT:
            if (code == EN_CHANGE)
                _ReadEdit(hDlg, id, d->pszComment, USET_COMMENT_CCH);
            return TRUE;
        case IDC_ORG_HELP:
            _Help(hDlg, kHelpOrganize);
            return TRUE;
        case IDOK:
        case IDCANCEL:
        case IDC_ORG_CLOSE:
            _OrganizeClose(hDlg, d, id);
            return TRUE;
        }
        return FALSE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hDlg, &ps);
        EndPaint(hDlg, &ps);
        return TRUE;
    }
    }
    return FALSE;
}

HINSTANCE GetLibraryDialogModule()
{
    HINSTANCE h = DrvUiGetInstance();
    return h ? h : GetModuleHandleW(nullptr);
}

INT_PTR OpenSaveSettingsDialog(HWND hOwner, UISETTINGS* pSettings)
{
    return DialogBoxParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_SAVE), hOwner, SaveSettingsDlgProc,
                           (LPARAM)pSettings);
}

INT_PTR OpenRecallSettingsDialog(HWND hOwner, UISETTINGS* pSettings)
{
    return DialogBoxParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_RECALL), hOwner, RecallSettingsDlgProc,
                           (LPARAM)pSettings);
}

INT_PTR OpenOrganizeLibraryDialog(HWND hOwner, UISETTINGS* pSettings)
{
    return DialogBoxParamW(GetLibraryDialogModule(), MAKEINTRESOURCEW(IDD_USET_ORGANIZE), hOwner, OrganizeLibraryDlgProc,
                           (LPARAM)pSettings);
}
