// updatetargets.cpp: the update targets of the print position dialog and of
// the fax cover sheet dialog. See tabtextdetail.h.
#include "ui/dialogs/dlgcommon.h"
#include "ui/dialogs/tabtextdetail.h"
#include "ui/settings/faxcover.h"
#include "ui/settings/listops.h"
#include "ui/settings/uisettings.h"

#include <cstring>

namespace {

// The dialog window and settings object every block of these dialogs
// starts with.
struct DLGHEAD {
    HWND hDlg;
    UISETTINGS* pObj;
};

UISETTINGS* Settings(HWND hDlg)
{
    const DLGHEAD* p = hDlg ? (const DLGHEAD*)DlgGetBlock(hDlg) : nullptr;
    return p ? p->pObj : nullptr;
}

bool On(UISETTINGS* pObj, LPCWSTR pszKey)
{
    return DlgGetSetting(pObj, pszKey) > 0;
}

void Check(HWND hDlg, int id, bool b)
{
    CheckDlgButton(hDlg, id, b ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND hDlg, int id, bool b)
{
    if (HWND h = GetDlgItem(hDlg, id))
        EnableWindow(h, b);
}

// The mask bits of each control of the fax cover sheet dialog.
struct MASKROW {
    WORD wId;
    DWORD dwBits;
};
const MASKROW kMaskRows[] = {
    {1200, 0x8000},   {1201, 0x10000},  {1203, 0x40000},  {1204, 0x80000},   {1205, 0x100000},
    {1206, 0x200000}, {1210, 0x8001},   {1211, 0x2},      {1212, 0x4},       {1213, 0x8},
    {1214, 0x10},     {1216, 0x200},    {1217, 0x20},     {1218, 0x40},      {1219, 0x80},
    {1220, 0x100},    {1221, 0x400},    {1222, 0x800},    {1223, 0x11000},   {1224, 0x2000},
    {1225, 0x84000},  {1226, 0x400000}, {1231, 0x300000}, {1287, 0x1000000}, {1288, 0x2000000},
    {1289, 0x1000000}, {1300, 0x4000000}, {1301, 0x8000000},
};
const DWORD kMaskAll = 0xB7FFFFF;

// The switches of the check boxes that only show a switch, by mask bit.
struct SWITCHROW {
    DWORD dwBit;
    int id;
    LPCWSTR pszKey;
};
const SWITCHROW kSwitchRows[] = {
    {0x2, 1211, u"FaxCover_ReceiveName"},      {0x8, 1213, u"FaxCover_ReceiveCompany1"},
    {0x10, 1214, u"FaxCover_ReceiveCompany2"}, {0x4, 1212, u"FaxCover_ReceivePersonal"},
    {0x200, 1216, u"FaxCover_ReceiveFaxnum"},  {0x20, 1217, u"FaxCover_SenderName"},
    {0x40, 1218, u"FaxCover_SenderCompany1"},  {0x80, 1219, u"FaxCover_SenderCompany2"},
    {0x100, 1220, u"FaxCover_SenderTelnum"},   {0x400, 1221, u"FaxCover_SenderFaxnum"},
    {0x800, 1222, u"FaxCover_SenderEmail"},
};

// Controls that follow the image switch (1224).
const int kImageControls[] = {1225, 1255, 1205, 1228, 1247, 1256, 1206, 1229, 1248, 1254, 1203, 1233};
// Controls that need both the image and the zoom switch (1225).
const int kZoomControls[] = {1204, 1227, 1280};

// Without the record (a model without fax cover sheets) only the switches
// are shown.
void RefreshFaxCover(HWND hDlg, UISETTINGS* pObj, FAXCOVERDLG* pBlock)
{
    DWORD& d = DlgStateWords(pObj)[DLGWORD_FAXCOVER_DIRTY];
    FAXCOVER* pRec = pGetFaxCover(pObj);
    if (d & 0x1) {
        d &= ~0x1u;
        bool b = On(pObj, u"FaxCover_Subject");
        Check(hDlg, 1210, b);
        Enable(hDlg, 1200, b);
        if (b)
            SetFocus(GetDlgItem(hDlg, 1200));
    }
    if (d & 0x8000) {
        d &= ~0x8000u;
        if (pRec) {
            WCHAR sz[65] = {0};
            lstrcpynW(sz, pRec->szSubject, 65);
            SetDlgItemTextW(hDlg, 1200, sz);
        }
    }
    for (const SWITCHROW& r : kSwitchRows)
        if (d & r.dwBit) {
            d &= ~r.dwBit;
            Check(hDlg, r.id, On(pObj, r.pszKey));
        }
    if (d & 0x1000000) {
        d &= ~0x1000000u;
        bool bOther = On(pObj, u"FaxCover_ReceiveSetup");
        CheckRadioButton(hDlg, 1287, 1289, bOther ? 1289 : 1287);
        Enable(hDlg, 1288, !bOther);
        for (int id : {1211, 1212, 1213, 1214, 1234})
            Enable(hDlg, id, bOther);
    }
    if (d & 0x2000000) {
        d &= ~0x2000000u;
        if (pRec) {
            WCHAR sz[41] = {0};
            lstrcpynW(sz, pRec->aszText[0], 41);
            SetDlgItemTextW(hDlg, 1288, sz);
        }
    }
    if (d & 0x1000) {
        d &= ~0x1000u;
        bool b = On(pObj, u"FaxCover_Pagenum");
        Check(hDlg, 1223, b);
        Enable(hDlg, 1201, b);
        Enable(hDlg, 1249, b);
        if (b)
            SetFocus(GetDlgItem(hDlg, 1201));
    }
    if (d & 0x10000) {
        d &= ~0x10000u;
        if (pRec) {
            SetDlgItemInt(hDlg, 1201, pRec->dwPagenum, FALSE);
        }
    }
    if (d & 0x20000) {
        d &= ~0x20000u;
        if (pRec) {
            WCHAR sz[641] = {0};
            lstrcpynW(sz, pRec->szComment, 641);
            SetDlgItemTextW(hDlg, 1202, sz);
            DWORD c = 0;
            for (int i = 0; i < 640 && sz[i]; ++i)
                if (sz[i] == u'\n')
                    ++c;
            pRec->dwLineNum = c;
        }
    }
    bool bImage = On(pObj, u"FaxCover_Image"), bZoom = On(pObj, u"FaxCover_Zoom");
    if (d & 0x2000) {
        d &= ~0x2000u;
        Check(hDlg, 1224, bImage);
        for (int id : kImageControls)
            Enable(hDlg, id, bImage);
        for (int id : kZoomControls)
            Enable(hDlg, id, bImage && bZoom);
    }
    if (d & 0x40000) {
        d &= ~0x40000u;
        if (pRec) {
            WCHAR sz[FAXCOVER_FILE_CCH + 1] = {0};
            lstrcpynW(sz, pRec->szImage, FAXCOVER_FILE_CCH + 1);
            SetDlgItemTextW(hDlg, 1203, sz);
            if (pBlock)
                memcpy(pBlock->szImage, sz, sizeof(sz));
        }
    }
    if (d & 0x4000) {
        d &= ~0x4000u;
        Check(hDlg, 1225, bZoom);
        for (int id : kZoomControls)
            Enable(hDlg, id, bImage && bZoom);
        if (bZoom)
            SetFocus(GetDlgItem(hDlg, 1204));
    }
    if (d & 0x80000) {
        d &= ~0x80000u;
        if (pRec) {
            SetDlgItemInt(hDlg, 1204, pRec->dwZoom, FALSE);
            if (pBlock)
                pBlock->dwZoom = pRec->dwZoom;
        }
    }
    if (d & 0x100000) {
        d &= ~0x100000u;
        if (pRec) {
            LONG v = (LONG)pRec->dwX;
            SetDlgItemInt(hDlg, 1205, (UINT)((v + 50) / 100), TRUE);
            if (pBlock)
                pBlock->lScaledX = (v * pBlock->lFactor + 5000) / 10000;
        }
    }
    if (d & 0x200000) {
        d &= ~0x200000u;
        if (pRec) {
            LONG v = (LONG)pRec->dwY;
            SetDlgItemInt(hDlg, 1206, (UINT)((v + 50) / 100), TRUE);
            if (pBlock)
                pBlock->lScaledY = (v * pBlock->lFactor + 5000) / 10000;
        }
    }
    if (d & 0x8000000) {
        d &= ~0x8000000u;
        if (pRec) {
            SendDlgItemMessageW(hDlg, 1301, CB_SETCURSEL, (WPARAM)pRec->dwPaper, 0);
            if (pRec->dwPaper != 5)
                DlgSetSetting(pObj, u"FaxCover_A4PFix", 1);
        }
    }
    if (d & 0x400000) {
        d &= ~0x400000u;
        if (pRec) {
            SendDlgItemMessageW(hDlg, 1226, CB_SETCURSEL, (WPARAM)(pRec->dwStyle - 1), 0);
        }
    }
    // Bit 0x4000000 (1300) has nothing of its own to show.
    d &= ~0x4000000u;
}

}  // namespace

int PrintPositionUpdateControl(HWND hDlg, WORD wId)
{
    if (wId < IDC_PP_LEADING || wId > IDC_PP_TRAILING)
        return 0;
    UISETTINGS* pObj = Settings(hDlg);
    if (!pObj)
        return 0;
    DWORD& d = DlgStateWords(pObj)[DLGWORD_PRINTPOS_DIRTY];
    d |= 1;
    SHORT s = DlgGetSetting(pObj, u"lpWidePaperPos");
    CheckRadioButton(hDlg, IDC_PP_LEADING, IDC_PP_TRAILING,
                     s == 1 ? IDC_PP_CENTRE : s == 2 ? IDC_PP_TRAILING : IDC_PP_LEADING);
    d &= ~1u;
    return 1;
}

int OptionBitsUpdateControl(HWND hDlg, WORD wId)
{
    if (wId < 1140 || wId > 1301)
        return 0;
    FAXCOVERDLG* pBlock = hDlg ? (FAXCOVERDLG*)DlgGetBlock(hDlg) : nullptr;
    UISETTINGS* pObj = pBlock ? pBlock->pObj : nullptr;
    if (!pObj)
        return 0;
    DWORD& d = DlgStateWords(pObj)[DLGWORD_FAXCOVER_DIRTY];
    if (wId == 1140) {
        d = kMaskAll;
    } else {
        const MASKROW* pRow = nullptr;
        for (const MASKROW& r : kMaskRows)
            if (r.wId == wId)
                pRow = &r;
        if (!pRow)
            return 0;
        d |= pRow->dwBits;
    }
    RefreshFaxCover(hDlg, pObj, pBlock);
    return 1;
}
