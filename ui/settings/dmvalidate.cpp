// dmvalidate.cpp: identity checks, the printer's default DEVMODE,
// validation and merge.
//
// Validation settles every value first and computes the page geometry from
// the values it keeps, so that the paper fields and the geometry fields of a
// validated DEVMODE always describe the same sheet.
#include "ui/settings/dmvalidate.h"

#include <cstring>

#include "ui/settings/papertable.h"
#include "ui/settings/regenv.h"

namespace {

const WORD s_awSignature[4] = {'X', 'D', 'R', 'V'};
const WCHAR s_szNoForm[] = u"RN_DEFAULT";

// Bounded length of an 8-bit text inside a field (the field size when it
// has no terminator).
size_t _TagLen(const CHAR* psz) {
    size_t n = 0;
    while (n < DRV_MODEL_TAG_SIZE && psz[n]) n++;
    return n;
}

BOOL _ClaimsOwnSizes(const DEVMODEW* pdm) {
    return pdm->dmSize == sizeof(DEVMODEW) && pdm->dmDriverExtra == DRV_EXTRA_SIZE;
}

// Writes the terminator into the last unit of every text field, so that no
// reader runs past a field that arrived unterminated.
void _TerminateTexts(DRVDEVMODE* p) {
#define TERMINATE(field) (field)[sizeof(field) / sizeof((field)[0]) - 1] = 0
    TERMINATE(p->dm.dmDeviceName);
    TERMINATE(p->dm.dmFormName);
    TERMINATE(p->ui.szOverlayName);
    TERMINATE(p->env.szParam210);
    TERMINATE(p->env.szPassword);
    TERMINATE(p->env.szUserID);
    TERMINATE(p->env.szBoxNumber);
    TERMINATE(p->env.szJobID);
    TERMINATE(p->env.szFaxText);
    TERMINATE(p->env.szSubAddress);
    TERMINATE(p->env.szSenderID);
    TERMINATE(p->env.szParam213);
    TERMINATE(p->env.szParam229);
#undef TERMINATE
}

BOOL _IsOptionValue(POPTIONDB pdb, WORD wOption, LONG lValue) {
    LONG aScratch[256];
    LONG lOut = 0;
    return MatchOptionValue(pdb, aScratch, wOption, &lValue, &lOut, MATCH_DWORD) != 0xFFFF;
}

// Row of a paper code for its geometry: the code itself, else the same sheet
// without its media-variant bits; -1 when neither is listed. The size lists'
// "set custom size" entry (512) is no paper of its own.
int _GeometryRow(POPTIONDB pdb, int iCode) {
    if (iCode == 512) return -1;
    int i = FindPaperRow(pdb, iCode);
    if (i < 0 && (iCode & 0x3000)) i = FindPaperRow(pdb, iCode & ~0x3000);
    return i;
}

LONG _Dots(LONG lDpi, LONG lMm100) { return (LONG)((long long)lDpi * lMm100 / 2540); }

// A 300-dpi value at the job's resolution: shifted by the resolution class,
// scaled for a resolution without one.
LONG _From300(LONG v, LONG lDpi) {
    switch (lDpi) {
    case 300: return v;
    case 600: return v << 1;
    case 1200: return v << 2;
    default: return (LONG)((long long)v * lDpi / 300);
    }
}

struct Geometry {
    LONG lWidth, lLength;  // 1/100 mm
    RECTL rcMm;            // printable rectangle, 1/100 mm
    RECTL rcDots;          // printable rectangle, dots
    SIZEL sizeDots;        // sheet, dots
};

// Custom sheet of W x L (1/100 mm): centred on the tray's largest printable
// area, each margin at least the tray's minimum.
void _CustomGeometry(const DRVDEVMODE* p, LONG lDpi, LONG W, LONG L, Geometry* pg) {
    TRAYLIMIT t;
    GetTrayLimits(&t, p->env.lpMediaSource, p->env.lpSourceUnit);
    LONG left = 0, right = 0, top = 0, bottom = 0;
    LONG lExcessW = W - t.lPrintWidth * 100;
    if (lExcessW > 0) {
        left = (lExcessW + 1) / 2;
        right = lExcessW - left;
    }
    LONG lExcessL = L - t.lPrintLength * 100;
    if (lExcessL > 0) {
        top = (lExcessL + 1) / 2;
        bottom = lExcessL - top;
    }
    if (left < t.rcMinMargin.left) left = t.rcMinMargin.left;
    if (top < t.rcMinMargin.top) top = t.rcMinMargin.top;
    if (right < t.rcMinMargin.right) right = t.rcMinMargin.right;
    if (bottom < t.rcMinMargin.bottom) bottom = t.rcMinMargin.bottom;
    LONG pw = W - left - right, pl = L - top - bottom;
    if (pw < 0) pw = 0;
    if (pl < 0) pl = 0;
    pg->lWidth = W;
    pg->lLength = L;
    pg->rcMm = RECTL{left, top, left + pw, top + pl};
    LONG dl = (LONG)(((long long)lDpi * left + 1270) / 2540), dt = (LONG)(((long long)lDpi * top + 1270) / 2540);
    pg->rcDots = RECTL{dl, dt, _Dots(lDpi, pw) + dl, _Dots(lDpi, pl) + dt};
    pg->sizeDots = SIZEL{_Dots(lDpi, W), _Dots(lDpi, L)};
}

void _StandardGeometry(POPTIONDB pdb, int iRow, LONG lDpi, Geometry* pg) {
    LONG aSize[2] = {0, 0}, aSize300[2] = {0, 0};
    RECTL rc300 = {0, 0, 0, 0};
    std::memset(pg, 0, sizeof(*pg));
    QueryOptionDb(pdb, OPT_PAPER, OPTQ_SIZE, aSize, iRow, 0);
    QueryOptionDb(pdb, OPT_PAPER, OPTQ_RECT, &pg->rcMm, iRow, 0);
    QueryOptionDb(pdb, OPT_PAPER300, OPTQ_RECT, &rc300, iRow, 0);
    QueryOptionDb(pdb, OPT_PAPER300, OPTQ_SIZE, aSize300, iRow, 0);
    pg->lWidth = aSize[0];
    pg->lLength = aSize[1];
    pg->rcDots = RECTL{_From300(rc300.left, lDpi), _From300(rc300.top, lDpi), _From300(rc300.right, lDpi),
                       _From300(rc300.bottom, lDpi)};
    pg->sizeDots = SIZEL{_From300(aSize300[0], lDpi), _From300(aSize300[1], lDpi)};
}

LONG _FitZoom(LONG pw, LONG pl, LONG ow, LONG ol) {
    if (pw == 0 || pl == 0) return 100;
    LONG zw = (LONG)((long long)ow * 100 / pw), zl = (LONG)((long long)ol * 100 / pl);
    return zw < zl ? zw : zl;
}

LONG _BindingMarginZoom(const DRVDEVMODE* p) {
    const ENVEXTRA& e = p->env;
    LONG pw = p->ui.rcPrintMm.right - p->ui.rcPrintMm.left, pl = p->ui.rcPrintMm.bottom - p->ui.rcPrintMm.top;
    LONG ow = e.rcOutPrintMm.right - e.rcOutPrintMm.left, ol = e.rcOutPrintMm.bottom - e.rcOutPrintMm.top;
    BOOL bTwoSided = p->dm.dmDuplex != DMDUP_SIMPLEX ||
                     (e.Layout_Check2 && (e.Duplex_Check || e.Booklet_Check || e.EngBooklet_Check)) ||
                     (e.POD_Check && (e.POD_Duplex_Check || e.POD_Booklet_Check));
    int iOrient = p->dm.dmOrientation;
    BOOL bNup = (e.Layout_Check2 && e.Nup_Check) || (e.POD_Check && e.POD_Nup_Check);
    if (bNup && (p->ui.lpLayout == 5 || p->ui.lpLayout == 8)) {
        iOrient = iOrient == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    }
    if (iOrient == DMORIENT_LANDSCAPE) {
        LONG t = pw; pw = pl; pl = t;
        t = ow; ow = ol; ol = t;
    }
    LONG lMargin = (bTwoSided && e.fMargin < e.bMargin) ? e.bMargin * 100 : e.fMargin * 100;
    if (e.lpBindMargin == 3 || e.lpBindMargin == 4) ol -= lMargin;
    else if (e.lpBindMargin == 1 || e.lpBindMargin == 2) ow -= lMargin;
    return _FitZoom(pw, pl, ow, ol);
}

}  // namespace

// ---- identity ----

BOOL bSameDriverVersion(WORD wA, WORD wB) { return (wA & DRV_VERSION_MASK) == (wB & DRV_VERSION_MASK); }

BOOL bHasDrvSignature(const DEVMODEW* pdm) {
    if (!pdm) return FALSE;
    return std::memcmp(DrvDevmode(pdm)->ui.wSignature, s_awSignature, sizeof(s_awSignature)) == 0;
}

BOOL bHasOwnModelTag(const DEVMODEW* pdm) {
    if (!pdm) return FALSE;
    // Up to and including the terminator: 6 bytes, inside the field.
    return std::memcmp(DrvDevmode(pdm)->env.szModelTag, DRV_MODEL_TAG, sizeof(DRV_MODEL_TAG)) == 0;
}

BOOL bSameModelTag(const DEVMODEW* pA, const DEVMODEW* pB) {
    if (!pA || !pB) return FALSE;
    const CHAR* a = DrvDevmode(pA)->env.szModelTag;
    const CHAR* b = DrvDevmode(pB)->env.szModelTag;
    size_t na = _TagLen(a), nb = _TagLen(b);
    return na == nb && std::memcmp(a, b, na) == 0;
}

BOOL bValidDevmode(const DEVMODEW* pdm) {
    if (!pdm) return FALSE;
    if (pdm->dmSpecVersion != DM_SPECVERSION || !_ClaimsOwnSizes(pdm)) return FALSE;
    if (!bSameDriverVersion(pdm->dmDriverVersion, DRV_DRIVER_VERSION)) return FALSE;
    return bHasDrvSignature(pdm) && bHasOwnModelTag(pdm);
}

BOOL bSameDevmodeKind(const DEVMODEW* pA, const DEVMODEW* pB) {
    if (!pA || !pB) return FALSE;
    if (pA->dmSpecVersion != pB->dmSpecVersion || pA->dmSize != pB->dmSize || pA->dmDriverExtra != pB->dmDriverExtra) {
        return FALSE;
    }
    // The private fields are read only from DEVMODEs that claim this
    // driver's sizes; anything shorter is not ours and is not read there.
    if (!_ClaimsOwnSizes(pA)) return FALSE;
    return bSameDriverVersion(pA->dmDriverVersion, pB->dmDriverVersion) && bHasDrvSignature(pA) &&
           bSameModelTag(pA, pB);
}

BOOL bDevmodeFitsBuffer(const DEVMODEW* pdm, DWORD cbBuffer) {
    if (!pdm || cbBuffer < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return FALSE;
    if (pdm->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return FALSE;
    return (DWORD)pdm->dmSize + pdm->dmDriverExtra <= cbBuffer;
}

// ---- PDEV image ----

UIEXTRA* pGetPdevUiExtra(PVOID pPdevImage) {
    if (!pPdevImage) return nullptr;
    return (UIEXTRA*)((BYTE*)pPdevImage + PDEV_UIEXTRA_OFFSET);
}

ENVEXTRA* pGetPdevEnvExtra(PVOID pPdevImage) {
    if (!pPdevImage) return nullptr;
    DWORD dwOffset;
    std::memcpy(&dwOffset, (BYTE*)pPdevImage + PDEV_ENVEXTRA_PTR_OFFSET, sizeof(dwOffset));
    return (ENVEXTRA*)((BYTE*)pPdevImage + dwOffset);
}

// ---- helpers ----

LONG ClampToOptionRange(POPTIONDB pdb, WORD wOption, LONG lValue) {
    LONG lMin = (LONG)QueryOptionDb(pdb, wOption, OPTQ_MIN, nullptr, 0, 0);
    LONG lMax = (LONG)QueryOptionDb(pdb, wOption, OPTQ_MAX, nullptr, 0, 0);
    if (lValue >= lMin && lValue <= lMax) return lValue;
    return (LONG)(SHORT)GetOptionDefault(pdb, wOption);
}

WORD MatchOptionValue(POPTIONDB pdb, LONG* pScratch, WORD wOption, const void* pIn, void* pOut, int iWidth) {
    if (!pdb || !pScratch || !pIn || !pOut) return 0xFFFF;
    int cRows = (int)QueryOptionDb(pdb, wOption, OPTQ_COUNT, nullptr, 0, 0);
    if (FindOptionRow(wOption, nullptr) == OPTKIND_RANGE) return 0xFFFF;
    if (cRows > 256) cRows = 256;
    for (int i = 0; i < cRows; i++) pScratch[i] = (LONG)QueryOptionDb(pdb, wOption, OPTQ_VALUE, nullptr, i, 0);
    for (int i = 0; i < cRows; i++) {
        switch (iWidth) {
        case MATCH_WORD:
            if (*(const SHORT*)pIn == (SHORT)pScratch[i]) {
                *(SHORT*)pOut = *(const SHORT*)pIn;
                return (WORD)i;
            }
            break;
        case MATCH_DWORD:
            if (*(const LONG*)pIn == pScratch[i]) {
                *(LONG*)pOut = *(const LONG*)pIn;
                return (WORD)i;
            }
            break;
        case MATCH_BYTE:
            if (*(const BYTE*)pIn == (BYTE)pScratch[i]) {
                *(BYTE*)pOut = *(const BYTE*)pIn;
                return (WORD)i;
            }
            break;
        default:
            return 0xFFFF;
        }
    }
    return 0xFFFF;
}

BOOL bCopyIfInRange(POPTIONDB pdb, WORD wOption, const SHORT* pIn, SHORT* pOut) {
    if (!pdb || !pIn || !pOut || FindOptionRow(wOption, nullptr) != OPTKIND_RANGE) return FALSE;
    LONG lMin = (LONG)QueryOptionDb(pdb, wOption, OPTQ_MIN, nullptr, 0, 0);
    LONG lMax = (LONG)QueryOptionDb(pdb, wOption, OPTQ_MAX, nullptr, 0, 0);
    if (*pIn < lMin || *pIn > lMax) return FALSE;
    *pOut = *pIn;
    return TRUE;
}

int FindPaperRow(POPTIONDB pdb, int iCode) {
    int cRows = (int)QueryOptionDb(pdb, OPT_PAPER, OPTQ_COUNT, nullptr, 0, 0);
    for (int i = 0; i < cRows; i++) {
        if ((LONG)QueryOptionDb(pdb, OPT_PAPER, OPTQ_VALUE, nullptr, i, 0) == iCode) return i;
    }
    return -1;
}

int FindPaperIndex(POPTIONDB pdb, int iCode) {
    int i = FindPaperRow(pdb, iCode);
    return i < 0 ? 0 : i;
}

// ---- the printer's default DEVMODE ----

int LoadPrinterDefaultDevmode(HANDLE hPrinter, DEVMODEW* pdm, LPCWSTR pszDeviceName, POPTIONDB pdb) {
    if (!pdm) return 0;
    WCHAR szName[CCHDEVICENAME];
    std::memset(szName, 0, sizeof(szName));
    if (pszDeviceName) CopyWideBounded(szName, pszDeviceName, sizeof(szName));
    else QueryPrinterName(hPrinter, szName, CCHDEVICENAME);
    szName[CCHDEVICENAME - 1] = 0;

    DWORD cbNeeded = 0;
    DWORD dwErr = bGetPrinterData(hPrinter, RNOVA_VALUE_NAME, pdm, DRV_DEVMODE_SIZE, &cbNeeded);
    CopyWideBounded(pdm->dmDeviceName, szName, sizeof(pdm->dmDeviceName));
    if (dwErr == 0 && cbNeeded == DRV_DEVMODE_SIZE && bValidDevmode(pdm)) return 1;

    // Missing, of the wrong size or not ours: rebuild and store it. A build
    // without the option database is no default and is never stored.
    if (!InitDefaultDevmode(pdb, pdm, szName, hPrinter)) return 0;
    bSetPrinterData(hPrinter, RNOVA_VALUE_NAME, pdm, DRV_DEVMODE_SIZE, REG_BINARY);
    return 1;
}

// ---- validation ----

BOOL ValidateDevmode(POPTIONDB pdb, DEVMODEW* pdm, HANDLE hPrinter) {
    if (!pdm) return FALSE;
    InitDevmodeHeader(pdm, nullptr);
    if (!pdb) return FALSE;
    DRVDEVMODE* p = DrvDevmode(pdm);
    UIEXTRA& u = p->ui;
    ENVEXTRA& e = p->env;
    _TerminateTexts(p);

    const SHORT sInQuality = pdm->dmPrintQuality;
    const SHORT sLastResolution = e.wLastResolution;

    // Resolution.
    BOOL bFax = FALSE;
    if (e.lpOutput == 1 && e.wFaxDestCount != 0) {
        bFax = TRUE;
        // The fax resolution comes from the DEVMODE too: only a value the
        // fax offers reaches the graphics library.
        LONG lQuality = e.lpQuality;
        if (!_IsOptionValue(pdb, OPT_FAXQUALITY, lQuality)) lQuality = (LONG)GetOptionDefault(pdb, OPT_FAXQUALITY);
        pdm->dmPrintQuality = (SHORT)lQuality;
    } else {
        // Printing, also a fax job without destinations: the print
        // resolutions apply.
        e.lpOutput = 2;
        if (!_IsOptionValue(pdb, OPT_RESOLUTION, pdm->dmPrintQuality)) {
            pdm->dmPrintQuality = (SHORT)GetOptionDefault(pdb, OPT_RESOLUTION);
        }
    }
    pdm->dmYResolution = pdm->dmPrintQuality;
    const LONG lDpi = pdm->dmPrintQuality;

    BOOL bResolutionChanged = FALSE;
    if (!bFax) bResolutionChanged = pdm->dmPrintQuality != sLastResolution;
    else if (sLastResolution != sInQuality) e.wLastResolution = sInQuality;

    // Duplex.
    if (pdm->dmDuplex < DMDUP_SIMPLEX || pdm->dmDuplex > DMDUP_HORIZONTAL) pdm->dmDuplex = DMDUP_SIMPLEX;
    BOOL bOn = pdm->dmDuplex != DMDUP_SIMPLEX;
    if (e.Layout_Check2 == 1 && !e.Booklet_Check && !e.EngBooklet_Check) {
        e.lpDuplex = (BYTE)pdm->dmDuplex;
        e.Duplex_Check = bOn ? 1 : 0;
    } else if (e.POD_Check == 1 && e.POD_Booklet_Check == 0) {
        e.lpDuplex = (BYTE)pdm->dmDuplex;
        e.POD_Duplex_Check = bOn ? 1 : 0;
    }

    // Paper.
    if (pdm->dmPaperSize != e.wLastPaperSize && e.XROutputPaperSize == DRV_OUTPUT_SAME_AS_PAPER) {
        u.lpOutputPaper = pdm->dmPaperSize;
    }
    Geometry g;
    if (bIsCustomPaper(pdm->dmPaperSize)) {
        LONG W, L;
        if (pdm->dmPaperSize == PAPER_CUSTOM) {
            W = (LONG)pdm->dmPaperWidth * 10;
            L = (LONG)pdm->dmPaperLength * 10;
        } else {
            GetCustomPaperSize(hPrinter, pdm->dmPaperSize, &W, &L);
            W *= 10;
            L *= 10;
        }
        // Settle the size first; the geometry follows the size kept.
        LONG lW = ClampToOptionRange(pdb, OPT_UDWIDTH, W / 10), lL = ClampToOptionRange(pdb, OPT_UDLENGTH, L / 10);
        _CustomGeometry(p, lDpi, lW * 10, lL * 10, &g);
        pdm->dmPaperWidth = e.UDPaperWidth = (SHORT)lW;
        pdm->dmPaperLength = e.UDPaperLength = (SHORT)lL;
        e.rcCustomPrintDots = g.rcDots;
        pdm->dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    } else {
        int iRow = _GeometryRow(pdb, pdm->dmPaperSize);
        if (iRow < 0) {
            // A code the driver does not know gets the default paper, not
            // another paper's geometry under its own code.
            pdm->dmPaperSize = (SHORT)GetOptionDefault(pdb, OPT_PAPER);
            iRow = FindPaperIndex(pdb, pdm->dmPaperSize);
        }
        _StandardGeometry(pdb, iRow, lDpi, &g);
        pdm->dmPaperWidth = (SHORT)(g.lWidth / 10);
        pdm->dmPaperLength = (SHORT)(g.lLength / 10);
        e.UDPaperWidth = e.UDPaperLength = 0;
        pdm->dmFields &= ~(DWORD)(DM_PAPERLENGTH | DM_PAPERWIDTH);
    }
    u.rcPrintMm = g.rcMm;
    u.rcPrintDots = g.rcDots;
    u.sizePaperDots = g.sizeDots;

    // Output paper.
    BOOL bOutputDone = FALSE;
    if (u.ZoomCheck && u.lpOutputPaper != 0) {
        Geometry o;
        if (bIsCustomPaper(u.lpOutputPaper)) {
            LONG W = 0, L = 0;
            GetCustomPaperSize(hPrinter, u.lpOutputPaper, &W, &L);
            LONG lW = ClampToOptionRange(pdb, OPT_UDWIDTH, W), lL = ClampToOptionRange(pdb, OPT_UDLENGTH, L);
            _CustomGeometry(p, lDpi, lW * 10, lL * 10, &o);
            e.UDMediaWidth = (SHORT)lW;
            e.UDMediaLength = (SHORT)lL;
            bOutputDone = TRUE;
        } else {
            int iCode = u.lpOutputPaper;
            if (pdm->dmPaperSize & 0x1000) iCode |= 0x1000;
            else iCode &= ~0x1000;
            int iRow = _GeometryRow(pdb, iCode);
            if (iRow >= 0) {
                u.lpOutputPaper = (SHORT)iCode;
                _StandardGeometry(pdb, iRow, lDpi, &o);
                e.UDMediaWidth = e.UDMediaLength = 0;
                bOutputDone = TRUE;
            }
        }
        if (bOutputDone) {
            e.sizeOutPaper[0] = (SHORT)(o.lWidth / 10);
            e.sizeOutPaper[1] = (SHORT)(o.lLength / 10);
            e.rcOutPrintMm = o.rcMm;
            u.rcOutPrintDots = o.rcDots;
            u.sizeOutPaperDots = o.sizeDots;
        }
    }
    if (!bOutputDone) {
        // Zoom off, no output paper, or one the driver cannot place: the
        // output is the paper itself.
        u.lpOutputPaper = pdm->dmPaperSize;
        e.sizeOutPaper[0] = pdm->dmPaperWidth;
        e.sizeOutPaper[1] = pdm->dmPaperLength;
        e.rcOutPrintMm = u.rcPrintMm;
        u.rcOutPrintDots = u.rcPrintDots;
        u.sizeOutPaperDots = u.sizePaperDots;
        e.UDMediaWidth = e.UDPaperWidth;
        e.UDMediaLength = e.UDPaperLength;
    }

    // Resolution change and zoom.
    if (bResolutionChanged) {
        if (pdm->dmPrintQuality == 300) {
            u.ZoomCheck = 1;
            u.Zoom = (SHORT)(u.Zoom * 2);
        } else if (sLastResolution == 300) {
            u.ZoomCheck = e.bAutoZoom;
            u.Zoom = (SHORT)(u.Zoom / 2);
        }
        e.wLastResolution = pdm->dmPrintQuality;
    }
    if (u.ZoomCheck) {
        if (pdm->dmPaperSize != e.wLastPaperSize) {
            u.Zoom = (SHORT)_FitZoom(u.rcPrintMm.right - u.rcPrintMm.left, u.rcPrintMm.bottom - u.rcPrintMm.top,
                                     e.rcOutPrintMm.right - e.rcOutPrintMm.left,
                                     e.rcOutPrintMm.bottom - e.rcOutPrintMm.top);
            e.wLastPaperSize = pdm->dmPaperSize;
            e.bAutoZoom = 1;
        }
        BOOL bMargin = (e.BindMargin_Check == 1 && e.Layout_Check2 == 1) || (e.POD_BindMargin_Check == 1 && e.POD_Check == 1);
        if (bMargin && e.lpMarginMode == 2) u.Zoom = (SHORT)_BindingMarginZoom(p);
        LONG lMin = (LONG)QueryOptionDb(pdb, OPT_ZOOM, OPTQ_MIN, nullptr, 0, 0);
        LONG lMax = (LONG)QueryOptionDb(pdb, OPT_ZOOM, OPTQ_MAX, nullptr, 0, 0);
        if (u.Zoom < lMin || u.Zoom > lMax) u.Zoom = (SHORT)GetOptionDefault(pdb, OPT_ZOOM);
    } else {
        u.Zoom = 100;
    }

    std::memcpy(&u.dmMirror, pdm, sizeof(DEVMODEW));
    u.bValidByte2 = u.bValidByte0;
    u.bGraphicsClass = u.lpGraphicsMode == 1 ? 3 : 2;
    u.bValidByte1 = 1;
    u.bValidByte3 = 1;
    u.wMaxCopies = (SHORT)QueryOptionDb(pdb, OPT_COPIES, OPTQ_MAX, nullptr, 0, 0);
    if (u.lpOverlay != 1 && (u.szOverlayName[0] == 0 || lstrcmpW(u.szOverlayName, s_szNoForm) == 0)) u.lpOverlay = 1;
    pdm->dmDefaultSource = e.lpMediaSource;
    return TRUE;
}

// ---- merge ----

void MergeDevmodeIn(POPTIONDB pdb, const DEVMODEW* pIn, DEVMODEW* pCur) {
    if (!pdb || !pIn || !pCur) return;
    // A field counts only when the input's own header covers it (older
    // DEVMODEs are shorter).
    auto has = [pIn](size_t off, size_t cb) { return (size_t)pIn->dmSize >= off + cb; };
    if (!has(offsetof(DEVMODEW, dmFields), sizeof(DWORD))) return;
    const DWORD f = pIn->dmFields;

    int iRow = -1;
    if ((f & DM_PAPERSIZE) && has(offsetof(DEVMODEW, dmPaperSize), 2)) {
        iRow = FindPaperRow(pdb, pIn->dmPaperSize);
        if (iRow >= 0) pCur->dmPaperSize = pIn->dmPaperSize;
    }
    LONG aSize[2] = {0, 0};
    if (iRow >= 0) QueryOptionDb(pdb, OPT_PAPER, OPTQ_SIZE, aSize, iRow, 0);
    // Each dimension under its own bit: a caller that names only the width
    // does not hand over whatever its length field holds.
    BOOL bLength = (f & DM_PAPERLENGTH) && has(offsetof(DEVMODEW, dmPaperLength), 2);
    BOOL bWidth = (f & DM_PAPERWIDTH) && has(offsetof(DEVMODEW, dmPaperWidth), 2);
    if (bLength) pCur->dmPaperLength = pIn->dmPaperLength;
    else if (iRow >= 0) pCur->dmPaperLength = (SHORT)(aSize[1] / 10);
    if (bWidth) pCur->dmPaperWidth = pIn->dmPaperWidth;
    else if (iRow >= 0) pCur->dmPaperWidth = (SHORT)(aSize[0] / 10);

    if ((bLength || bWidth) && !(f & DM_PAPERSIZE)) {
        // The paper of that size in either orientation; a size that no
        // standard paper has is the custom size.
        int cRows = (int)QueryOptionDb(pdb, OPT_PAPER, OPTQ_COUNT, nullptr, 0, 0);
        int iCode = PAPER_CUSTOM;
        for (int i = 0; i < cRows; i++) {
            int iRowCode = (int)QueryOptionDb(pdb, OPT_PAPER, OPTQ_VALUE, nullptr, i, 0);
            if (bIsCustomPaper(iRowCode)) continue;
            QueryOptionDb(pdb, OPT_PAPER, OPTQ_SIZE, aSize, i, 0);
            LONG w = aSize[0] / 10, l = aSize[1] / 10;
            if ((w == pCur->dmPaperWidth && l == pCur->dmPaperLength) ||
                (w == pCur->dmPaperLength && l == pCur->dmPaperWidth)) {
                iCode = iRowCode;
                break;
            }
        }
        pCur->dmPaperSize = (SHORT)iCode;
    }

    LONG aScratch[256];
    if ((f & DM_PRINTQUALITY) && has(offsetof(DEVMODEW, dmPrintQuality), 2) &&
        MatchOptionValue(pdb, aScratch, OPT_RESOLUTION, &pIn->dmPrintQuality, &pCur->dmPrintQuality, MATCH_WORD) != 0xFFFF) {
        pCur->dmYResolution = pCur->dmPrintQuality;
    }
    if ((f & DM_ORIENTATION) && has(offsetof(DEVMODEW, dmOrientation), 2)) {
        MatchOptionValue(pdb, aScratch, OPT_ORIENTATION, &pIn->dmOrientation, &pCur->dmOrientation, MATCH_WORD);
    }
    if ((f & DM_COPIES) && has(offsetof(DEVMODEW, dmCopies), 2)) {
        bCopyIfInRange(pdb, OPT_COPIES, &pIn->dmCopies, &pCur->dmCopies);
    }
    if ((f & DM_DUPLEX) && has(offsetof(DEVMODEW, dmDuplex), 2) && pIn->dmDuplex >= DMDUP_SIMPLEX &&
        pIn->dmDuplex <= DMDUP_HORIZONTAL) {
        pCur->dmDuplex = pIn->dmDuplex;
    }
    if ((f & DM_DEFAULTSOURCE) && has(offsetof(DEVMODEW, dmDefaultSource), 2)) {
        MatchOptionValue(pdb, aScratch, OPT_MEDIASOURCE, &pIn->dmDefaultSource, &pCur->dmDefaultSource, MATCH_WORD);
    }
}

BOOL ConvertDevmodeIn(POPTIONDB pdb, const DEVMODEW* pIn, DEVMODEW* pCur) {
    if (!pdb || !pIn || !pCur) return FALSE;
    MergeDevmodeIn(pdb, pIn, pCur);
    // The private part is taken only from a DEVMODE of this driver's kind,
    // whose sizes are this driver's: never a length the input merely claims.
    if (!bSameDevmodeKind(pIn, pCur)) return FALSE;
    std::memcpy((BYTE*)pCur + sizeof(DEVMODEW), (const BYTE*)pIn + sizeof(DEVMODEW), DRV_EXTRA_SIZE);
    return TRUE;
}

void CopyDeviceOptionFields(const DEVMODEW* pSource, DEVMODEW* pTarget) {
    if (!pSource || !pTarget) return;
    const DRVDEVMODE* s = DrvDevmode(pSource);
    DRVDEVMODE* t = DrvDevmode(pTarget);
    const size_t kFirst = offsetof(ENVEXTRA, lpSourceUnit);  // 2324..2340 and the 32 bytes at 2341
    const size_t kEnd = offsetof(ENVEXTRA, rcCustomPrintDots);
    std::memcpy((BYTE*)&t->env + kFirst, (const BYTE*)&s->env + kFirst, kEnd - kFirst);
    t->env.lpCoverSheetTray = s->env.lpCoverSheetTray;
    t->ui.lpPDLType = s->ui.lpPDLType;
}
