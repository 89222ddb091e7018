// devmode.cpp: the DEVMODE header, the fixed marks and the default builder.
//
// The builder takes every default from the option database. The plain
// "field = option default" assignments come from one data file
// (devdefaults.tsv); the builder itself does what depends on other values:
// the public header, the paper size, the output paper and zoom, the covers,
// the copy limit and the duplex rule.
#include "ui/settings/devmode.h"

#include <cstring>

#include "ui/settings/optiondb.h"
#include "ui/settings/regenv.h"

namespace {

struct DefaultField {
    WORD wOffset;
    BYTE cbWidth;
    WORD wOption;
};

const DefaultField s_aDefaultField[] = {
#define Q730_ROW(off, width, opt, name) {off, width, opt},
#include "devdefaults.inc"
#undef Q730_ROW
};

// Stores a value with the width of its field (little-endian, low bits kept).
void _StoreField(BYTE* pb, int cb, DWORD dwValue) {
    for (int i = 0; i < cb; i++) pb[i] = (BYTE)(dwValue >> (8 * i));
}

const WORD s_awSignature[4] = {'X', 'D', 'R', 'V'};

}  // namespace

DWORD XR_GetEnvExtraSize() { return DRV_ENVEXTRA_SIZE; }

DWORD GetDevmodeExtraSize() { return DRV_UIEXTRA_SIZE + XR_GetEnvExtraSize(); }

void CopyWideBounded(LPWSTR pszTarget, LPCWSTR pszSource, DWORD cbTarget) {
    DWORD cch = cbTarget / 2;
    if (!pszTarget || cch == 0) return;
    // Either string may be a field of a packed record at an odd address, so
    // each unit is copied bytewise.
    BYTE* pbTarget = reinterpret_cast<BYTE*>(pszTarget);
    const BYTE* pbSource = reinterpret_cast<const BYTE*>(pszSource);
    DWORD i = 0;
    if (pszSource) {
        for (; i < cch; i++) {
            WCHAR ch;
            memcpy(&ch, pbSource + i * sizeof(WCHAR), sizeof(WCHAR));
            memcpy(pbTarget + i * sizeof(WCHAR), &ch, sizeof(WCHAR));
            if (ch == 0) return;
        }
    }
    // The source did not end inside the target: cut it at the last unit.
    const WCHAR chEnd = 0;
    memcpy(pbTarget + (i < cch ? i : cch - 1) * sizeof(WCHAR), &chEnd, sizeof(WCHAR));
}

void SetDrvSignature(DEVMODEW* pdm) {
    if (!pdm) return;
    std::memcpy(DrvDevmode(pdm)->ui.wSignature, s_awSignature, sizeof(s_awSignature));
}

void SetModelTag(DEVMODEW* pdm) {
    if (!pdm) return;
    CHAR* psz = DrvDevmode(pdm)->env.szModelTag;
    std::memset(psz, 0, DRV_MODEL_TAG_SIZE);
    std::memcpy(psz, DRV_MODEL_TAG, sizeof(DRV_MODEL_TAG));
}

void InitDevmodeHeader(DEVMODEW* pdm, LPCWSTR pszDeviceName) {
    if (!pdm) return;
    if (pszDeviceName) {
        // At most 31 characters: the 32nd unit is always the terminator.
        CopyWideBounded(pdm->dmDeviceName, pszDeviceName, sizeof(pdm->dmDeviceName));
        pdm->dmDeviceName[CCHDEVICENAME - 1] = 0;
    }
    pdm->dmSpecVersion = DM_SPECVERSION;
    pdm->dmDriverVersion = DRV_DRIVER_VERSION;
    pdm->dmSize = sizeof(DEVMODEW);
    pdm->dmDriverExtra = (WORD)GetDevmodeExtraSize();
    pdm->dmFields = DRV_DEFAULT_FIELDS;
    pdm->dmScale = 100;
    pdm->dmTTOption = DMTT_DOWNLOAD;
    pdm->dmCollate = DMCOLLATE_FALSE;
    pdm->dmFormName[0] = 0;
    std::memset(&pdm->dmBitsPerPel, 0, offsetof(DEVMODEW, dmReserved1) - offsetof(DEVMODEW, dmBitsPerPel));
    SetDrvSignature(pdm);
    SetModelTag(pdm);
}

BOOL InitDefaultDevmode(OPTIONDB* pdb, DEVMODEW* pdm, LPCWSTR pszDeviceName, HANDLE hPrinter) {
    if (!pdm) return FALSE;
    WCHAR szName[CCHDEVICENAME];
    std::memset(szName, 0, sizeof(szName));
    if (pszDeviceName) {
        CopyWideBounded(szName, pszDeviceName, sizeof(szName));
    } else if (!QueryPrinterName(hPrinter, szName, CCHDEVICENAME)) {
        szName[0] = 0;
    }

    DRVDEVMODE* p = DrvDevmode(pdm);
    std::memset(p, 0, sizeof(*p));
    // Without the option database every default would read 0; such a
    // DEVMODE must never pass as this driver's, so it stays all zero.
    if (!pdb) return FALSE;
    p->env.dwMagic1 = DRV_MAGIC1;
    p->env.dwMagic2 = DRV_MAGIC2;
    InitDevmodeHeader(pdm, szName);

    pdm->dmCopies = (SHORT)GetOptionDefault(pdb, OPT_COPIES);
    pdm->dmOrientation = (SHORT)GetOptionDefault(pdb, OPT_ORIENTATION);
    pdm->dmPaperSize = (SHORT)GetOptionDefault(pdb, OPT_PAPER);
    p->env.wLastPaperSize = pdm->dmPaperSize;

    LONG aSize[2] = {0, 0};
    QueryOptionDb(pdb, OPT_PAPER, OPTQ_DEFSIZE, aSize, 0, 0);
    pdm->dmPaperWidth = (SHORT)(aSize[0] / 10);
    pdm->dmPaperLength = (SHORT)(aSize[1] / 10);

    // Every plain option default, then what depends on other values.
    BYTE* pb = reinterpret_cast<BYTE*>(p);
    for (const DefaultField& f : s_aDefaultField) {
        _StoreField(pb + f.wOffset, f.cbWidth, GetOptionDefault(pdb, f.wOption));
    }

    p->ui.lpOutputPaper = (SHORT)GetOptionDefault(pdb, OPT_OUTPUTPAPER);
    if (p->ui.lpOutputPaper == DRV_OUTPUT_SAME_AS_PAPER) {
        p->ui.lpOutputPaper = pdm->dmPaperSize;
        p->ui.ZoomCheck = 0;
        p->ui.Zoom = 100;
    } else {
        p->ui.ZoomCheck = (BYTE)GetOptionDefault(pdb, OPT_ZOOMCHECK);
        p->ui.Zoom = (SHORT)GetOptionDefault(pdb, OPT_ZOOM);
    }
    pdm->dmDefaultSource = p->env.lpMediaSource;

    p->env.lpFrontCover = 1;
    if (GetOptionDefault(pdb, 41) == 1) p->env.lpFrontCover = (BYTE)GetOptionDefault(pdb, 42);
    p->env.lpBackCover = 1;
    if (GetOptionDefault(pdb, 43) == 1) p->env.lpBackCover = (BYTE)GetOptionDefault(pdb, 44);

    p->ui.bHalftoneClass = 2;
    p->ui.bLayoutKind = 1;
    p->ui.wLayoutFlag = 0;

    pdm->dmPrintQuality = (SHORT)GetOptionDefault(pdb, OPT_RESOLUTION);
    pdm->dmYResolution = pdm->dmPrintQuality;
    pdm->dmColor = (SHORT)GetOptionDefault(pdb, 87);

    p->ui.wMaxCopies = (SHORT)QueryOptionDb(pdb, OPT_COPIES, OPTQ_MAX, nullptr, 0, 0);

    const ENVEXTRA& e = p->env;
    BOOL bDuplexOn = (e.Layout_Check2 && e.Duplex_Check) || (e.POD_Check && e.POD_Duplex_Check);
    pdm->dmDuplex = bDuplexOn ? (SHORT)e.lpDuplex : DMDUP_SIMPLEX;
    return TRUE;
}
