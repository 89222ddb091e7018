// uisettings.cpp: creation, binding, write-back and release of the UI
// settings object (see uisettings.h).
#include "ui/settings/uisettings.h"

#include <cstring>

#include "ui/settings/bindparam.h"
#include "ui/settings/devmode.h"
#include "ui/settings/listset.h"
#include "ui/settings/paramalloc.h"
#include "ui/settings/paramobj.h"
#include "ui/settings/profile.h"
#include "ui/settings/regwalk.h"
#include "ui/settings/engineentry.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"

namespace {

// Parameters the creation and the write-back treat by name.
enum : WORD {
    P_COPIES = 1, P_ORIENTATION = 2, P_PAPER = 3, P_OUTPUTPAPER = 4, P_ZOOMCHECK = 5,
    P_MEDIASOURCE = 7, P_LAYOUTCHECK = 8, P_LAYOUTSELECT = 9, P_FRONTCHECK = 20,
    P_FRONTCOVER = 21, P_BACKCHECK = 22, P_BACKCOVER = 23, P_DITHERTYPE = 29, P_DITHER = 30,
    P_GRAPHICSMODE = 33, P_OVERLAY = 35, P_OUTPUT = 46, P_FAXQUALITY = 47, P_DUPLEXCHECK = 60,
    P_LAYOUTCHECK2 = 61, P_PODCHECK = 70, P_PODDUPLEXCHECK = 74, P_VALUELIST100 = 100,
    P_DUPLEX = 15, P_INTERSHEETLIST = 114, P_RESOLUTION = 130, P_UDPAPERTYPE2 = 142,
    P_UDWIDTH = 151, P_UDLENGTH = 152, P_UDWIDTH2 = 155, P_UDLENGTH2 = 156,
    P_UDMEDIAWIDTH = 153, P_UDMEDIALENGTH = 154, P_TABPAPERSIZE = 184, P_TABINDEXNUM = 185,
    P_TABINDEXNO = 186, P_OVERLAYINDEX = 212, P_PARAM213 = 213, P_WMCURRENT = 214,
    P_WMFIXED = 215, P_PARAM233 = 233,
};

const WORD kOptValueList100 = 131;
const WORD kOptTabPaperSize = 154;
const WORD kOptTabIndexNum = 155;
const UINT kStrTabIndexNone = 28531;
const DWORD kFieldsCustomSize = 0x0C;  // DM_PAPERLENGTH | DM_PAPERWIDTH
const char16_t kDefaultOverlayName[] = u"RN_DEFAULT";
const int kOverlayNameCch = 130;

// Halftone classes written for the graphics library.
const BYTE kHalftoneErrDiff = 6, kHalftoneDefault = 2, kHalftoneDither2 = 3, kHalftoneDither4 = 4;

BOOL _IsListKind(DWORD dwKind)
{
    return (dwKind & (PK_CHOICE | PK_VALUELIST)) != 0;
}

const UIPARAMRT* _Row(const UISETTINGS* pObj, WORD wParamId)
{
    int i = FindParamRow(pObj, wParamId);
    return i < 0 ? nullptr : &pObj->trailer.pParamRows[i];
}

void _Put16(BYTE* p, SHORT s) { memcpy(p, &s, sizeof(s)); }

void _PutField(BYTE* pdm, WORD wOffset, WORD wSize, SHORT s)
{
    if (wSize == 1)
        pdm[wOffset] = (BYTE)s;
    else
        _Put16(pdm + wOffset, s);
}

// Slot address, size and type of a copied parameter.
BOOL _SlotOf(UISETTINGS* pObj, WORD wParamId, void** ppSlot, DWORD* pcb, WORD* pwType)
{
    int i = FindParamRow(pObj, wParamId);
    *ppSlot = nullptr;
    *pcb = 0;
    *pwType = 0;
    return i >= 0 && AccessParamByIndex(wParamId, i, pObj, ppSlot, pcb, pwType) && *ppSlot;
}

// Builds the list of index-tab positions 0..n ("%d/%d", position 0 has its
// own text) in the item of parameter 186.
void _BuildTabIndexItem(POPTIONDB pdb, UISETTINGS* pObj, SHORT sCurrent)
{
    BYTE* pItem = GetParamSlot(pObj, P_TABINDEXNO);
    if (!pItem)
        return;
    SHORT n = GetOptionMaxValue(pdb, kOptTabIndexNum);
    if (n < 0)
        n = 0;
    if (sCurrent < 0 || sCurrent > n)
        sCurrent = 0;
    UIITEMLIST* pHead = (UIITEMLIST*)pItem;
    pHead->sInitial = sCurrent;
    pHead->sCurIndex = sCurrent;
    pHead->sCurValue = sCurrent;
    pHead->sDefault = 0;
    pHead->sFlag = 1;
    pHead->sCount = (SHORT)(n + 1);
    UIITEMCHOICE* pRows = (UIITEMCHOICE*)(pHead + 1);
    for (SHORT i = 0; i <= n; ++i) {
        pRows[i].sValue = i;
        pRows[i].sIndex = i;
        if (i == 0)
            lstrcpynW(pRows[i].szText, GetResString(kStrTabIndexNone), 64);
        else
            wsprintfW(pRows[i].szText, u"%d/%d", (int)i, (int)n);
        pRows[i].sEnabled = 1;
    }
}

void _FreeObject(UISETTINGS** ppObj)
{
    UISETTINGS* pObj = ParamLoadPtr(ppObj);
    UISETTRAILER& t = pObj->trailer;
    FreeRuleIndexes(pObj);
    ParamFree(&t.pParamDefaults);
    ParamFree(&t.pListDefaults);
    FreeListSet(&t.pListSet);
    FreeParamTables(&t.pParamRows, &t.regTree, &t.pKeyRows);
    ParamFree(&t.pVariable);
    ParamFree(ppObj);
}

}  // namespace

int FindParamRow(const UISETTINGS* pObj, WORD wParamId)
{
    if (!pObj || !pObj->trailer.pParamRows || !wParamId)
        return -1;
    for (int i = 0; i < pObj->trailer.cParamRows; ++i)
        if (pObj->trailer.pParamRows[i].row.wParamId == wParamId)
            return i;
    return -1;
}

BYTE* GetParamSlot(UISETTINGS* pObj, WORD wParamId)
{
    void* pSlot = nullptr;
    DWORD cb = 0;
    WORD wType = 0;
    _SlotOf(pObj, wParamId, &pSlot, &cb, &wType);
    return (BYTE*)pSlot;
}

SHORT GetParamEdited(UISETTINGS* pObj, WORD wParamId)
{
    const UIPARAMRT* pRow = _Row(pObj, wParamId);
    BYTE* pItem = GetParamSlot(pObj, wParamId);
    if (!pRow || !pItem || !(pRow->row.dwKind & PK_ITEMKINDS))
        return -1;
    SHORT s;
    memcpy(&s, pItem, sizeof(s));
    return s;
}

SHORT GetParamCommitted(UISETTINGS* pObj, WORD wParamId)
{
    const UIPARAMRT* pRow = _Row(pObj, wParamId);
    BYTE* pItem = GetParamSlot(pObj, wParamId);
    if (!pRow || !pItem || !(pRow->row.dwKind & PK_ITEMKINDS))
        return -1;
    SHORT s;
    memcpy(&s, pItem + (_IsListKind(pRow->row.dwKind) ? 4 : 2), sizeof(s));
    return s;
}

SHORT GetParamDefault(UISETTINGS* pObj, WORD wParamId)
{
    const UIPARAMRT* pRow = _Row(pObj, wParamId);
    BYTE* pItem = GetParamSlot(pObj, wParamId);
    if (!pRow || !pItem || !(pRow->row.dwKind & PK_ITEMKINDS))
        return -1;
    SHORT s;
    memcpy(&s, pItem + (_IsListKind(pRow->row.dwKind) ? 6 : 4), sizeof(s));
    return s;
}

BOOL SetParamEdited(UISETTINGS* pObj, WORD wParamId, SHORT sValue)
{
    const UIPARAMRT* pRow = _Row(pObj, wParamId);
    BYTE* pItem = GetParamSlot(pObj, wParamId);
    if (!pRow || !pItem || !(pRow->row.dwKind & PK_ITEMKINDS))
        return FALSE;
    _Put16(pItem, sValue);
    return TRUE;
}

BOOL SetParamCommitted(UISETTINGS* pObj, WORD wParamId, SHORT sValue)
{
    const UIPARAMRT* pRow = _Row(pObj, wParamId);
    BYTE* pItem = GetParamSlot(pObj, wParamId);
    if (!pRow || !pItem || !(pRow->row.dwKind & PK_ITEMKINDS))
        return FALSE;
    _Put16(pItem + (_IsListKind(pRow->row.dwKind) ? 4 : 2), sValue);
    return TRUE;
}

void GetPaperSizeByCode(POPTIONDB pdb, SHORT sCode, LONG* plSize)
{
    if (!plSize)
        return;
    plSize[0] = plSize[1] = 0;
    if (!pdb)
        return;
    DWORD n = QueryOptionDb(pdb, 0, OPTQ_COUNT, nullptr, 0, 0);
    int iRow = 0;
    for (DWORD i = 0; i < n; ++i) {
        if ((SHORT)QueryOptionDb(pdb, 0, OPTQ_VALUE, nullptr, (int)i, 0) == sCode) {
            iRow = (int)i;
            break;
        }
    }
    QueryOptionDb(pdb, 0, OPTQ_SIZE, plSize, iRow, 0);
}

void BindAllParams(POPTIONDB pdb, UISETTINGS* pObj, DEVMODEW* pdm)
{
    if (!pObj || !pdm || !pObj->trailer.pParamRows)
        return;
    for (int i = 0; i < pObj->trailer.cParamRows; ++i) {
        const UIPARAMRT& r = pObj->trailer.pParamRows[i];
        if (!r.row.pfnBind || bIsSpecialParamId(r.row.wParamId))
            continue;
        SHORT sCurrent = (SHORT)GetOptionDefault(pdb, r.row.wOptionId);
        void* pDevField = nullptr;
        DWORD cbDev = 0;
        WORD wDevType = 0;
        void* pSlot = nullptr;
        DWORD cbSlot = 0;
        WORD wSlotType = 0;
        PARAMCTX ctx = {};
        ctx.wParamId = r.row.wParamId;
        ctx.wRowIndex = (WORD)i;
        ctx.pSettings = pObj;
        ctx.pDevmode = (BYTE*)pdm;
        ctx.pDevmodeBase = (BYTE*)pdm;
        ctx.psCurrent = &sCurrent;
        ctx.ppDevField = &pDevField;
        ctx.pcbDevField = &cbDev;
        ctx.pwDevType = &wDevType;
        ctx.ppSlot = &pSlot;
        ctx.pcbSlot = &cbSlot;
        ctx.pwSlotType = &wSlotType;
        // Items must be attached to their slots before they are built.
        ctx.dwAttach = 1;
        r.row.pfnBind(&ctx);
        if (!pSlot)
            continue;
        switch (r.row.dwKind) {
        case PK_CHOICE:
        case PK_VALUELIST: {
            if (r.row.dwKind == PK_CHOICE)
                BuildChoiceItem(pdb, r.row.wOptionId, pSlot, sCurrent);
            else
                BuildValueListItem(pdb, r.row.wOptionId, pSlot, sCurrent);
            // A loaded value that the list does not offer (validation stores
            // lpDuplex 1 for a one-sided job) is kept, so that writing back
            // unchanged settings changes no byte; the list shows its default
            // row until the user picks one.
            UIITEMLIST* pHead = (UIITEMLIST*)pSlot;
            pHead->sInitial = pHead->sCurValue = sCurrent;
            pHead->sFlag = 1;
            break;
        }
        case PK_VALUE:
            BuildDefaultItem(pdb, r.row.wOptionId, pSlot, sCurrent);
            break;
        case PK_RANGE:
            BuildRangeItem(pdb, r.row.wOptionId, pSlot, sCurrent);
            break;
        case PK_BLOCK:
        case PK_SCALAR:
        case PK_STRING:
        case PK_PAGELISTS:
            if (pDevField && cbSlot) {
                DWORD cb = cbDev;
                SetTypedValue(pSlot, cbSlot, pDevField, &cb, wDevType, wSlotType);
            }
            break;
        default:
            break;
        }
    }
}

int CreateSettingsObject(POPTIONDB pdb, UISETTINGS** ppObj, DEVMODEW* pdm, DWORD dwFlag,
                         LPCWSTR pszPrinter)
{
    if (!ppObj || !pdm)
        return 0;
    // The caller's pointer may be a field of a packed page record.
    ParamStorePtr(ppObj, static_cast<UISETTINGS*>(nullptr));
    DRVDEVMODE* pDrv = DrvDevmode(pdm);
    LoadResourceDll();

    // The graphics library and the profile check read the name and version
    // from the mirror at the start of the private part.
    memset(pDrv->ui.dmMirror.dmDeviceName, 0, sizeof(pDrv->ui.dmMirror.dmDeviceName));
    memcpy(pDrv->ui.dmMirror.dmDeviceName, pdm->dmDeviceName, sizeof(WCHAR) * (CCHDEVICENAME - 1));
    pDrv->ui.dmMirror.dmDriverVersion = pdm->dmDriverVersion;
    CheckUserProfileVersion(&pDrv->ui);

    UIPARAMRT* pRows = nullptr;
    USETKEYRT* pKeys = nullptr;
    WORD cRows = 0, cKeys = 0;
    REGTREESET regTree = {};
    InitParamTables(&pRows, &cRows, &regTree, &pKeys, &cKeys);
    DWORD cbFixed = ApplyParamItems(pdb, pdm, pRows, cRows);
    DWORD cbVariable = ApplyParamItemsRange(pdb, pdm, pRows, cRows);
    UISETTINGS* pObj = pRows && pKeys ? (UISETTINGS*)ParamAllocBlock(cbFixed) : nullptr;
    BYTE* pVariable = pObj ? (BYTE*)ParamAllocBlock(cbVariable) : nullptr;
    if (!pObj || !pVariable) {
        ParamFree(&pVariable);
        ParamFree(&pObj);
        FreeParamTables(&pRows, &regTree, &pKeys);
        FreeResourceDll();
        return 0;
    }
    UISETTRAILER& t = pObj->trailer;
    t.pszPrinterName = pszPrinter;
    t.cbTotal = cbFixed + cbVariable;
    t.cbFixed = cbFixed;
    t.cbVariable = cbVariable;
    t.pVariable = pVariable;
    t.pParamRows = pRows;
    t.cParamRows = cRows;
    t.regTree = regTree;
    t.pKeyRows = pKeys;
    t.cKeyRows = cKeys;

    ResetParamObject(pObj, pdm);
    ResetInterSheetState(pObj);
    // The destination state learns the driver folder and the phone-book
    // path from the printer itself.
    HANDLE hPrinter = nullptr;
    if (pszPrinter && !OpenPrinterW((LPWSTR)pszPrinter, &hPrinter, nullptr))
        hPrinter = nullptr;
    LoadFaxDestinations(pdb, pObj, pdm, 0, hPrinter);
    if (hPrinter)
        ClosePrinter(hPrinter);
    BindAllParams(pdb, pObj, pdm);

    // The special parameters that the binding loop leaves.
    void* pSlot;
    DWORD cbSlot;
    WORD wType;
    if (_SlotOf(pObj, P_PARAM233, &pSlot, &cbSlot, &wType) && cbSlot >= sizeof(DWORD))
        memcpy(pSlot, &pDrv->env.dwParam233, sizeof(DWORD));
    BuildChoiceItem(pdb, kOptTabPaperSize, GetParamSlot(pObj, P_TABPAPERSIZE),
                    (SHORT)GetOptionDefault(pdb, kOptTabPaperSize));
    BuildChoiceItem(pdb, kOptTabIndexNum, GetParamSlot(pObj, P_TABINDEXNUM),
                    (SHORT)GetOptionDefault(pdb, kOptTabIndexNum));
    _BuildTabIndexItem(pdb, pObj, pDrv->env.lpPrnTabIndexNo);
    BYTE bWatermark = pDrv->ui.bWatermarkCurrent < WATERMARK_SLOTS ? pDrv->ui.bWatermarkCurrent : 0;
    if (BYTE* p = GetParamSlot(pObj, P_WMCURRENT))
        *p = bWatermark;
    if (BYTE* p = GetParamSlot(pObj, P_WMFIXED))
        *p = bWatermark;
    BuildValueListItem(pdb, kOptValueList100, GetParamSlot(pObj, P_VALUELIST100), pDrv->env.nParam100);

    memset(pObj->adwPageMask, 0, sizeof(pObj->adwPageMask));
    memset(pObj->adwState, 0, sizeof(pObj->adwState));

    t.pListSet = CreateListSet();
    if (!t.pListSet) {
        _FreeObject(&pObj);
        FreeResourceDll();
        return 0;
    }
    bLoadProfileLists(pObj);
    SHORT sList = GetParamCommitted(pObj, P_INTERSHEETLIST);
    pObj->wInterSheetList = (WORD)(sList > 0 ? sList : 0);
    ResetInterSheetState(pObj);

    FreeResourceDll();
    CountStaticTables();
    // Without its rule index the object would accept every combination the
    // printer cannot do, so it is not handed out.
    if (!BuildRuleIndexes(pObj)) {
        _FreeObject(&pObj);
        return 0;
    }
    t.pParamDefaults = BuildParamDefaults(pObj);
    t.pListDefaults = BuildRegTreeDefaults(t.pListSet, &t.regTree);
    ParamStorePtr(ppObj, pObj);
    return 1;
}

void DestroySettingsObject(UISETTINGS** ppObj)
{
    if (!ppObj || !ParamLoadPtr(ppObj))
        return;
    // Creation balanced its own use of the resource library, so none is
    // released here.
    _FreeObject(ppObj);
}

int SettingsToDevmode(UISETTINGS* pObj, DEVMODEW* pdm, POPTIONDB pdb)
{
    if (!pObj || !pdm || !pObj->trailer.pParamRows)
        return 0;
    DRVDEVMODE* pDrv = DrvDevmode(pdm);
    BYTE* pb = (BYTE*)pdm;

    // Fields that two parameters load; the one whose slot changed goes back.
    BYTE abShared225[4], bShared227;
    memcpy(abShared225, &pDrv->env.dwParam225, 4);
    bShared227 = pDrv->env.bParam227;

    for (int i = 0; i < GetBindParamCount(); ++i) {
        const BINDPARAMDESC& d = *GetBindParamDesc(i);
        switch (d.wParamId) {
        case P_PAPER: case P_OUTPUTPAPER: case P_MEDIASOURCE: case P_FRONTCHECK:
        case P_FRONTCOVER: case P_BACKCHECK: case P_BACKCOVER: case P_RESOLUTION:
        case P_UDPAPERTYPE2: case P_UDWIDTH2: case P_UDLENGTH2: case P_OVERLAYINDEX:
            continue;  // written by the rules below
        default:
            break;
        }
        if (d.bVariant == BV_ITEMPTR || d.bVariant == BV_INLINE) {
            if (!d.wDevOffset || bIsSpecialParamId(d.wParamId))
                continue;
            SHORT s = GetParamCommitted(pObj, d.wParamId);
            WORD wOffset = d.wDevOffset;
            if (d.bFix == FX_UDWIDTH)
                wOffset = offsetof(DRVDEVMODE, env.UDPaperWidth);
            else if (d.bFix == FX_UDLENGTH)
                wOffset = offsetof(DRVDEVMODE, env.UDPaperLength);
            _PutField(pb, wOffset, d.wDevSize, s);
            continue;
        }
        if (d.bVariant != BV_COPIED)
            continue;
        void* pSlot;
        DWORD cbSlot;
        WORD wSlotType;
        if (!_SlotOf(pObj, d.wParamId, &pSlot, &cbSlot, &wSlotType))
            continue;
        BYTE* pDev = pb + d.wDevOffset;
        if (d.wParamId == P_PARAM213 && ((WCHAR*)pSlot)[0] == 0)
            continue;  // an installable-option text is only ever set
        if (d.wDevOffset == offsetof(DRVDEVMODE, env.dwParam225) ||
            d.wDevOffset == offsetof(DRVDEVMODE, env.bParam227)) {
            const BYTE* pLoaded = d.wDevOffset == offsetof(DRVDEVMODE, env.bParam227) ? &bShared227 : abShared225;
            if (memcmp(pSlot, pLoaded, d.wDevSize) == 0)
                continue;
        }
        DWORD cb = d.wDevSize;
        GetTypedValue(pSlot, cbSlot, pDev, &cb, wSlotType, d.wDevType);
    }

    // 1. Copies, orientation, paper and output paper.
    pdm->dmCopies = GetParamCommitted(pObj, P_COPIES);
    pdm->dmOrientation = GetParamCommitted(pObj, P_ORIENTATION);
    SHORT sPaper = GetParamCommitted(pObj, P_PAPER);
    pdm->dmPaperSize = sPaper;
    pDrv->ui.lpOutputPaper = GetParamCommitted(pObj, P_ZOOMCHECK) ? GetParamCommitted(pObj, P_OUTPUTPAPER)
                                                                   : sPaper;
    pDrv->env.wLastPaperSize = sPaper;
    // 2. Paper size of the public header.
    if (bIsCustomPaperCode(sPaper)) {
        pdm->dmPaperWidth = GetParamCommitted(pObj, P_UDWIDTH);
        pdm->dmPaperLength = GetParamCommitted(pObj, P_UDLENGTH);
        pdm->dmFields |= kFieldsCustomSize;
    } else {
        LONG alSize[2];
        GetPaperSizeByCode(pdb, sPaper, alSize);
        pdm->dmPaperWidth = (SHORT)(alSize[0] / 10);
        pdm->dmPaperLength = (SHORT)(alSize[1] / 10);
        pdm->dmFields &= ~kFieldsCustomSize;
    }
    // 3. Paper source.
    pDrv->env.lpMediaSource = GetParamCommitted(pObj, P_MEDIASOURCE);
    pdm->dmDefaultSource = pDrv->env.lpMediaSource;
    // 4. Layout kind.
    BOOL bLayout4 = GetParamCommitted(pObj, P_LAYOUTCHECK) && GetParamCommitted(pObj, P_LAYOUTSELECT) == 2;
    pDrv->ui.bLayoutKind = bLayout4 ? 4 : 1;
    pDrv->ui.wLayoutFlag = bLayout4 ? 1 : 0;
    // 5. Covers.
    pDrv->env.lpFrontCover = GetParamCommitted(pObj, P_FRONTCHECK) ? (BYTE)GetParamCommitted(pObj, P_FRONTCOVER) : 1;
    pDrv->env.lpBackCover = GetParamCommitted(pObj, P_BACKCHECK) ? (BYTE)GetParamCommitted(pObj, P_BACKCOVER) : 1;
    // 6. Halftone class.
    SHORT sDither = GetParamCommitted(pObj, P_DITHER);
    if (GetParamCommitted(pObj, P_DITHERTYPE) == 1)
        pDrv->ui.bHalftoneClass = kHalftoneErrDiff;
    else if (GetParamCommitted(pObj, P_GRAPHICSMODE) == 1)
        pDrv->ui.bHalftoneClass = kHalftoneDefault;
    else
        pDrv->ui.bHalftoneClass = sDither == 2 ? kHalftoneDither2 : sDither == 4 ? kHalftoneDither4 : kHalftoneDefault;
    // 7. Overlay.
    SHORT sOverlay = GetParamCommitted(pObj, P_OVERLAY);
    if (sOverlay == 2 || sOverlay == 3) {
        BYTE* pIndex = GetParamSlot(pObj, P_OVERLAYINDEX);
        BYTE bIndex = pIndex ? *pIndex : 0;
        pDrv->ui.bOverlayIndex = bIndex;
        LPCWSTR pszName = kDefaultOverlayName;
        FORMLIST* pForms = pObj->trailer.pListSet ? pObj->trailer.pListSet->pForm : nullptr;
        if (pForms && sOverlay == 2 && pForms->szFileName[0])
            pszName = pForms->szFileName;
        else if (pForms && sOverlay == 3 && pForms->pFiles && bIndex < FORMLIST_FILES &&
                 bIndex < pForms->wFormListNum && pForms->pFiles[bIndex][0])
            pszName = pForms->pFiles[bIndex];
        memset(pDrv->ui.szOverlayName, 0, sizeof(pDrv->ui.szOverlayName));
        lstrcpynW(pDrv->ui.szOverlayName, pszName, kOverlayNameCch);
    } else if (sOverlay == 1) {
        pDrv->ui.bOverlayIndex = 0;
        memset(pDrv->ui.szOverlayName, 0, sizeof(pDrv->ui.szOverlayName));
    }
    // Fields of the special parameters.
    SHORT sTabIndexNo = GetParamCommitted(pObj, P_TABINDEXNO);
    if (sTabIndexNo >= 0)
        pDrv->env.lpPrnTabIndexNo = (BYTE)sTabIndexNo;
    SHORT sValue100 = GetParamCommitted(pObj, P_VALUELIST100);
    if (sValue100 >= 0)
        pDrv->env.nParam100 = (BYTE)sValue100;
    // The committed watermark, so that a watermark chosen on the sheet prints.
    if (BYTE* p = GetParamSlot(pObj, P_WMFIXED))
        pDrv->ui.bWatermarkCurrent = *p < WATERMARK_SLOTS ? *p : 0;
    // 9. The fax destination list file.
    SaveFaxDestinations(pObj, pdm);
    // 10. Duplex.
    BOOL bDuplex = (GetParamCommitted(pObj, P_LAYOUTCHECK2) && GetParamCommitted(pObj, P_DUPLEXCHECK)) ||
                   (GetParamCommitted(pObj, P_PODCHECK) && GetParamCommitted(pObj, P_PODDUPLEXCHECK));
    pdm->dmDuplex = bDuplex ? GetParamCommitted(pObj, P_DUPLEX) : 1;
    // 11. Resolution.
    SHORT sRes = (GetParamCommitted(pObj, P_OUTPUT) == 1 && pDrv->env.wFaxDestCount != 0)
                     ? GetParamCommitted(pObj, P_FAXQUALITY)
                     : GetParamCommitted(pObj, P_RESOLUTION);
    pdm->dmPrintQuality = sRes;
    pdm->dmYResolution = sRes;
    pDrv->env.wLastResolution = sRes;
    return 1;
}
