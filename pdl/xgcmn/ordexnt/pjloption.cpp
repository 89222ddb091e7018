// pjloption.cpp: the PJL option table and its writers: the "@PJL SET"
// lines between the job header's comments and its language switch.
//
// Facts the code relies on:
//  1. The table (tables/pjloptions.tsv) is walked in its own order; a row
//     runs when switch column 7 is 1 and its phase is 3 or the job's.
//  2. A writer that meets a value outside its set writes its error comment
//     ("Recieved" spelt as the printer's tools expect) and no SET line; the
//     rows after it still run.
//  3. Every text taken from the user or the document is cut to its size and
//     cleaned (PjlCleanText), so no line reaches 256 bytes and none can end
//     early or end a quoted value.
#include <cstdio>
#include <cstring>

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/windows.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/papertable.h"

namespace {

typedef void (*PFN_PJLWRITER)(PDEV* pPDev);

#pragma pack(push, 1)
// PJLOPTION: a row of the option table.
//
// A row of a constant table in this library's memory, never stored or
// exchanged: the writer's address makes it 57 bytes at 64 bits. The
// 32-bit layout:
//  off size field
//    0    4 pfnWriter  the row's writer
//    4   48 aSwitch    12 per-model switches, 1 on, 2 off
//   52    1 bPhase     1 print jobs, 2 fax jobs, 3 both
struct PJLOPTION {
    PFN_PJLWRITER pfnWriter;
    LONG aSwitch[12];
    BYTE bPhase;
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(PJLOPTION) == 53);

constexpr int kSwitchColumn = 7;

const char* const kOn = "ON";
const char* const kOff = "OFF";

void _Error(PDEV* pPDev, const char* pszName)
{
    PdlPrintf(pPDev, "@PJL COMMENT Error (%s):Recieved illegal value. %s was not set.\n", pszName,
              pszName);
}

// A UTF-16 field of the job DEVMODE (at most cchField units, possibly not
// terminated) as a cleaned ANSI text of at most cbOut - 1 bytes.
void _DevmodeText(PDEV* pPDev, int off, int cchField, char* pszOut, int cbOut,
                  bool bComplement = false)
{
    WCHAR awc[32] = {};
    const BYTE* pb = PdlDevmodeBytes(pPDev) + off;
    for (int i = 0; i < cchField && i < 31; ++i) {
        WCHAR wc = (WCHAR)(pb[2 * i] | (pb[2 * i + 1] << 8));
        // A scrambled text ends at its complemented terminator; a plain zero
        // unit ends it as well.
        if (bComplement && wc != 0) {
            wc = (WCHAR)~wc;
        }
        if (wc == 0) {
            break;
        }
        awc[i] = wc;
    }
    UnicodeToAnsi(pszOut, awc, cbOut);
    PjlCleanText(pszOut);
}

// The secured-print password, stored with every unit complemented.
void _Password(PDEV* pPDev, char* pszOut, int cbOut)
{
    _DevmodeText(pPDev, 1473, 11, pszOut, cbOut, true);
}

void _HoldKeyLine(PDEV* pPDev, int cbConvert)
{
    char ach[64];
    _Password(pPDev, ach, cbConvert);
    if (ach[0] != 0) {
        PdlPrintf(pPDev, "@PJL SET HOLDKEY = %s\n", ach);
    }
}

BOOL _bStaplerPresent(PDEV* pPDev)
{
    return (DmByte(pPDev, 1423) == 1 && DmByte(pPDev, 1428) == 1) ||
           (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2103) == 1);
}

BOOL _bPunchPresent(PDEV* pPDev)
{
    return (DmByte(pPDev, 1423) == 1 && DmByte(pPDev, 1430) == 1) ||
           (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2104) == 1);
}

BOOL _bFoldPresent(PDEV* pPDev)
{
    return (DmByte(pPDev, 1423) == 1 && DmByte(pPDev, 1569) == 1) ||
           (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2101) == 1);
}

const char* _CoverTrayName(int n)
{
    switch (n) {
    case 1: return "TRAY1";
    case 2: return "TRAY2";
    case 4: return "MANUAL";
    case 258: return "TRAY3";
    case 259: return "TRAY4";
    case 260: return "TRAY5";
    case 261: return "FEEDER";
    default: return nullptr;
    }
}

// "%04d/%02d/%02d %02d:%02d" of five 16-bit values; the stream's formatter
// has no widths, so the date is made first.
void _FormatDate(const SHORT aDate[5], char* psz, int cb)
{
    char ach[64];
    snprintf(ach, sizeof(ach), "%04d/%02d/%02d %02d:%02d", aDate[0], aDate[1], aDate[2],
             aDate[3], aDate[4]);
    PdlCutAnsi(ach, cb - 1);
    strcpy(psz, ach);
}

bool _bDateSet(const SHORT aDate[5])
{
    for (int i = 0; i < 5; ++i) {
        if (aDate[i] != 0) {
            return true;
        }
    }
    return false;
}

// ---- the writers, in table order ----------------------------------------------

void PjlJobUser(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    char achJob[128];
    strncpy(achJob, pWork->szDocName, sizeof(achJob) - 1);
    achJob[sizeof(achJob) - 1] = 0;
    PdlCutAnsi(achJob, 127);
    PjlCleanText(achJob);
    char achUser[65];
    WCHAR awcUser[256];
    memcpy(awcUser, pWork->szUserName, sizeof(awcUser));
    awcUser[255] = 0;
    UnicodeToAnsi(achUser, awcUser, sizeof(achUser));
    PjlCleanText(achUser);
    PdlPrintf(pPDev, "@PJL SET JOBNAME = %c%s%c\n", 34, achJob, 34);
    PdlPrintf(pPDev, "@PJL SET USERNAME = %c%s%c\n", 34, achUser, 34);
}

void PjlResolution(PDEV* pPDev)
{
    PdlPrintf(pPDev, "@PJL SET RESOLUTION = %d\n", (int)DmShort(pPDev, 316));
}

void PjlCopies(PDEV* pPDev)
{
    PdlPrintf(pPDev, "@PJL SET COPIES = %d\n", (int)DmShort(pPDev, 306));
}

void PjlPaper(PDEV* pPDev)
{
    char ach[32];
    strncpy(ach, GetPaperPjlName(DmShort(pPDev, 776)), 31);
    ach[31] = 0;
    PdlPrintf(pPDev, "@PJL SET PAPER = %s\n", ach);
}

void PjlOrientation(PDEV* pPDev)
{
    switch (DmShort(pPDev, 296)) {
    case 1:
        PdlPrintf(pPDev, "@PJL SET ORIENTATION = %s\n", "PORTRAIT");
        break;
    case 2:
        PdlPrintf(pPDev, "@PJL SET ORIENTATION = %s\n", "LANDSCAPE");
        break;
    default:
        _Error(pPDev, "ORIENTATION");
        break;
    }
}

void PjlPaperTray(PDEV* pPDev)
{
    char ach[32];
    strncpy(ach, GetTrayPjlName(GetPageTrayKey(pPDev)), 31);
    ach[31] = 0;
    PdlPrintf(pPDev, "@PJL SET PAPERTRAY = %s\n", ach);
}

void _OnOffOption(PDEV* pPDev, int off, const char* pszLine, const char* pszErrName)
{
    switch (DmByte(pPDev, off)) {
    case 1:
        PdlPrintf(pPDev, pszLine, kOn);
        break;
    case 0:
        PdlPrintf(pPDev, pszLine, kOff);
        break;
    default:
        _Error(pPDev, pszErrName);
        break;
    }
}

void PjlJobOffset(PDEV* pPDev)
{
    _OnOffOption(pPDev, 1422, "@PJL SET JOBOFFSET = %s\n", "JOBOFFSET");
}

void PjlCollate(PDEV* pPDev)
{
    _OnOffOption(pPDev, 1421, "@PJL SET COLLATE = %s\n", "SORT");
}

void PjlOutputBin(PDEV* pPDev)
{
    static const char* const s_apszBins[5] = {nullptr, "DEFAULT", "BIN2", "BIN1", "BIN3"};
    int n = DmShort(pPDev, 1545);
    if (n >= 1 && n <= 4) {
        PdlPrintf(pPDev, "@PJL SET OUTPUTBIN = %s\n", s_apszBins[n]);
    } else {
        _Error(pPDev, "OUTPUTBIN");
    }
}

void PjlTimeout(PDEV* pPDev)
{
    PdlPrintf(pPDev, "@PJL SET TIMEOUT = 300 \n");
}

void PjlSecurePrint(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->aSecure[0] == 0) {
        PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
        return;
    }
    char achId[21];
    _DevmodeText(pPDev, 1495, 11, achId, sizeof(achId));
    if (achId[0] != 0) {
        PdlPrintf(pPDev, "@PJL SET USERID = %s\n", achId);
    }
    switch (DmByte(pPDev, 1450)) {
    case 1: {
        char achKey[21];
        _Password(pPDev, achKey, sizeof(achKey));
        PdlPrintf(pPDev, "@PJL SET HOLD = ON\n");
        PdlPrintf(pPDev, "@PJL SET HOLDTYPE = PRIVATE\n");
        PdlPrintf(pPDev, "@PJL SET HOLDKEY = %s\n", achKey);
        break;
    }
    case 0:
        PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
        break;
    default:
        _Error(pPDev, "PASSWORD");
        break;
    }
}

void PjlStaple(PDEV* pPDev)
{
    if (!_bStaplerPresent(pPDev)) {
        PdlPrintf(pPDev, "@PJL SET STAPLEPOSITION = %s\n", kOff);
        return;
    }
    static const char* const s_apsz[7] = {nullptr, nullptr, "LEFT", "RIGHT", "LEFT2", "TOP2",
                                          "RIGHT2"};
    int n = DmByte(pPDev, 1429);
    if (n >= 2 && n <= 6) {
        PdlPrintf(pPDev, "@PJL SET STAPLEPOSITION = %s\n", s_apsz[n]);
    } else {
        _Error(pPDev, "STAPLE");
    }
}

void PjlDuplex(PDEV* pPDev)
{
    if (DmByte(pPDev, 1433) == 1) {
        PdlPrintf(pPDev, "@PJL SET DUPLEX = %s\n", kOn);
        PdlPrintf(pPDev, "@PJL SET BINDING = %s\n", "SHORTEDGE");
        return;
    }
    int nDuplex = DmShort(pPDev, 314);
    if (!bDuplexAvailable(pPDev) || nDuplex == 1) {
        PdlPrintf(pPDev, "@PJL SET DUPLEX = %s\n", kOff);
    } else if (nDuplex == 2 || nDuplex == 3) {
        PdlPrintf(pPDev, "@PJL SET DUPLEX = %s\n", kOn);
        PdlPrintf(pPDev, "@PJL SET BINDING = %s\n", nDuplex == 2 ? "LONGEDGE" : "SHORTEDGE");
    } else {
        _Error(pPDev, "DUPLEX");
    }
}

void _Cover(PDEV* pPDev, int off, const char* pszCover, const char* pszPrint, const char* pszErr)
{
    const char* pszA;
    const char* pszB;
    switch (DmByte(pPDev, off)) {
    case 1: pszA = kOff; pszB = kOff; break;
    case 2: pszA = kOn; pszB = kOff; break;
    case 3: pszA = kOn; pszB = kOn; break;
    default: _Error(pPDev, pszErr); return;
    }
    PdlPrintf(pPDev, pszCover, pszA);
    PdlPrintf(pPDev, pszPrint, pszB);
}

void PjlFrontCover(PDEV* pPDev)
{
    _Cover(pPDev, 1570, "@PJL SET FRONTCOVER = %s\n", "@PJL SET FRONTPRINT = %s\n", "FRONTCOVER");
}

void PjlBackCover(PDEV* pPDev)
{
    _Cover(pPDev, 1573, "@PJL SET BACKCOVER = %s\n", "@PJL SET BACKPRINT = %s\n", "BACKCOVER");
}

void PjlFrontTray(PDEV* pPDev)
{
    const char* psz = _CoverTrayName(DmShort(pPDev, 1571));
    if (psz != nullptr) {
        PdlPrintf(pPDev, "@PJL SET FRONTTRAY = %s\n", psz);
    } else {
        _Error(pPDev, "FRONTCOVERTRAY");
    }
}

void PjlBackTray(PDEV* pPDev)
{
    const char* psz = _CoverTrayName(DmShort(pPDev, 1574));
    if (psz != nullptr) {
        PdlPrintf(pPDev, "@PJL SET BACKTRAY = %s\n", psz);
    } else {
        _Error(pPDev, "BACKCOVERTRAY");
    }
}

void PjlLayout(PDEV* pPDev)
{
    const char* psz = "NORMAL";
    if (DmByte(pPDev, 2092) == 1) {
        bool b2 = DmByte(pPDev, 2094) == 1;
        bool b4 = DmByte(pPDev, 2097) == 1;
        if (b2 && !b4) {
            int n = DmByte(pPDev, 2095);
            psz = n == 1 ? "2IN1" : n == 2 ? "2IN1RPT" : nullptr;
        } else if (b4 && !b2) {
            int n = DmByte(pPDev, 2098);
            psz = n == 0 ? "4IN1RIGHT" : (n == 1 || n == 2) ? "4IN1" : nullptr;
        } else if (b2 && b4) {
            psz = nullptr;
        }
    }
    if (psz != nullptr) {
        PdlPrintf(pPDev, "@PJL SET LAYOUT = %s\n", psz);
    } else {
        _Error(pPDev, "LAYOUT");
    }
}

struct MEDIAROW {
    int nValue;
    const char* pszMedia;
    const char* pszInterleave;
};

const MEDIAROW* _FindMedia(int n)
{
    static const MEDIAROW s_aMedia[] = {
        {1, "PAPER", kOff},   {2, "OHP", kOff},     {3, "OHP", "BLANK"},
        {4, "OHP", "PRINTED"}, {5, "THICK", kOff},  {6, "THIN", kOff},
        {7, "2NDORIG", kOff}, {8, "TAB", kOff},     {9, "THICK1", kOff},
        {10, "THICK2", kOff}, {128, "USER", kOff},
    };
    for (const MEDIAROW& row : s_aMedia) {
        if (row.nValue == n) {
            return &row;
        }
    }
    return nullptr;
}

void _Media(PDEV* pPDev, int n)
{
    const char* pszMedia;
    const char* pszInterleave;
    if (n == 127) {
        pszMedia = "OHP";
        pszInterleave = DmByte(pPDev, 1447) != 0 ? "PRINTED" : "BLANK";
    } else if (const MEDIAROW* pRow = _FindMedia(n)) {
        pszMedia = pRow->pszMedia;
        pszInterleave = pRow->pszInterleave;
    } else {
        _Error(pPDev, "MEDIATYPE");
        return;
    }
    PdlPrintf(pPDev, "@PJL SET MEDIATYPE = %s\n", pszMedia);
    PdlPrintf(pPDev, "@PJL SET OHPINTERLEAVE = %s\n", pszInterleave);
}

void PjlMediaTypeByte(PDEV* pPDev)
{
    int n = (signed char)DmByte(pPDev, 1576);
    _Media(pPDev, n == -128 ? 128 : n);
}

void PjlOutputMode(PDEV* pPDev)
{
    if (DmShort(pPDev, 1545) == 4) {
        PdlPrintf(pPDev, "@PJL SET OUTPUTMODE = %s\n", "FACEDOWN");
        return;
    }
    switch (DmByte(pPDev, 1561)) {
    case 1: PdlPrintf(pPDev, "@PJL SET OUTPUTMODE = %s\n", "FACEDOWN"); break;
    case 2: PdlPrintf(pPDev, "@PJL SET OUTPUTMODE = %s\n", "FACEUP"); break;
    default: _Error(pPDev, "OUTPUTMODE"); break;
    }
}

void PjlDensity(PDEV* pPDev)
{
    static const char* const s_apsz[5] = {"1", "2", "3", "4", "5"};
    int n = DmShort(pPDev, 2164);
    if (n >= -2 && n <= 2) {
        PdlPrintf(pPDev, "@PJL SET DENSITY = %s\n", s_apsz[n + 2]);
    } else {
        _Error(pPDev, "DENSITY");
    }
}

void PjlPunch(PDEV* pPDev)
{
    if (!_bPunchPresent(pPDev)) {
        PdlPrintf(pPDev, "@PJL SET PUNCH = %s\n", kOff);
        return;
    }
    switch (DmByte(pPDev, 1431)) {
    case 1: PdlPrintf(pPDev, "@PJL SET PUNCH = %s\n", "LEFT"); break;
    case 2: PdlPrintf(pPDev, "@PJL SET PUNCH = %s\n", "TOP"); break;
    case 3: PdlPrintf(pPDev, "@PJL SET PUNCH = %s\n", "RIGHT"); break;
    default:
        PdlPrintf(pPDev, "@PJL COMMENT Error (Punch):Recieved illegal value. PUNCH was not set.\n");
        break;
    }
}

void PjlPunchHoles(PDEV* pPDev)
{
    if (!_bPunchPresent(pPDev)) {
        return;
    }
    switch (DmByte(pPDev, 1432)) {
    case 2: PdlPrintf(pPDev, "@PJL SET PUNCHHOLES = %s\n", "2"); break;
    case 3: PdlPrintf(pPDev, "@PJL SET PUNCHHOLES = %s\n", "3"); break;
    case 4: PdlPrintf(pPDev, "@PJL SET PUNCHHOLES = %s\n", "4"); break;
    default:
        PdlPrintf(pPDev,
                  "@PJL COMMENT Error (Punch):Recieved illegal value. PUNCHHOLES was not set.\n");
        break;
    }
}

void PjlFold(PDEV* pPDev)
{
    const char* pszFold = kOff;
    const char* pszStitch = kOff;
    const char* pszTrim = kOff;
    if (_bFoldPresent(pPDev)) {
        switch (DmByte(pPDev, 2102)) {
        case 1: pszFold = kOn; pszStitch = kOn; pszTrim = kOff; break;
        case 2: pszFold = kOn; pszStitch = kOff; pszTrim = kOff; break;
        case 3: pszFold = kOn; pszStitch = kOn; pszTrim = kOn; break;
        case 4: pszFold = kOn; pszStitch = kOff; pszTrim = kOn; break;
        case 5:
        case 6: pszFold = "ZFOLD"; break;
        case 7: pszFold = "DMFOLD"; break;
        default:
            PdlPrintf(pPDev, "@PJL COMMENT Error (Finishing):Recieved illegal value. \n");
            return;
        }
    }
    PdlPrintf(pPDev, "@PJL SET FOLD = %s\n", pszFold);
    PdlPrintf(pPDev, "@PJL SET STITCH = %s\n", pszStitch);
    PdlPrintf(pPDev, "@PJL SET TRIM = %s\n", pszTrim);
}

void PjlWait(PDEV* pPDev)
{
    if (!(DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2105) == 1)) {
        PdlPrintf(pPDev, "@PJL SET WAIT = %s\n", kOff);
        return;
    }
    switch (DmByte(pPDev, 1444)) {
    case 1: PdlPrintf(pPDev, "@PJL SET WAIT = %s\n", "PROOF"); break;
    case 2: PdlPrintf(pPDev, "@PJL SET WAIT = %s\n", kOn); break;
    default: _Error(pPDev, "WAIT"); break;
    }
}

void PjlSmoothing(PDEV* pPDev)
{
    static const char* const s_apsz[5] = {nullptr, "OFF", "TYPE1", "TYPE2", "TYPE3"};
    int n = DmByte(pPDev, 2158);
    if (n >= 1 && n <= 4) {
        PdlPrintf(pPDev, "@PJL SET SMOOTHING = %s\n", s_apsz[n]);
    } else {
        _Error(pPDev, "SMOOTHING");
    }
}

void PjlFullBleed(PDEV* pPDev)
{
    if (DmShort(pPDev, 298) & 0x1000) {
        PdlPrintf(pPDev, "@PJL SET FULLBLEED = ON\n");
    } else {
        PdlPrintf(pPDev, "@PJL SET FULLBLEED = OFF\n");
    }
}

void PjlWideMode(PDEV* pPDev)
{
    if (DmShort(pPDev, 776) & 0x2000) {
        PdlPrintf(pPDev, "@PJL SET WIDEMODE  = ON\n");
    } else {
        PdlPrintf(pPDev, "@PJL SET WIDEMODE  = OFF\n");
    }
}

void PjlMediaType(PDEV* pPDev)
{
    int n = DmShort(pPDev, 2425);
    if (n != 0) {
        _Media(pPDev, n);
    }
}

void PjlFeedDirection(PDEV* pPDev)
{
    const char* psz = "AUTO";
    int nFold = DmByte(pPDev, 2102);
    if (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2101) == 1 && (nFold == 5 || nFold == 6)) {
        psz = nFold == 5 ? "LEF" : "SEF";
    } else if (DmByte(pPDev, 1410) != 0 && bIsRotatedPaper(DmShort(pPDev, 776))) {
        psz = "SEF";
    }
    PdlPrintf(pPDev, "@PJL SET FEEDDIRECTION = %s\n", psz);
}

// Slot n of the job's page lists, at most 30 numbers, ascending.
int _PageList(PDEV* pPDev, int nSlot, SHORT aNumbers[PAGELIST_MAX])
{
    const PAGELISTS* pLists = reinterpret_cast<const PAGELISTS*>(PdlDevmodeBytes(pPDev) + 1595);
    int n = 0;
    LoadPageSlot(pLists, nSlot, &n, aNumbers, 0, PAGELIST_MAX);
    SortPageNumbers(aNumbers, n);
    return n;
}

void PjlChapter(PDEV* pPDev)
{
    if (!(DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2099) == 1)) {
        return;
    }
    SHORT aPages[PAGELIST_MAX];
    int n = _PageList(pPDev, 2, aPages);
    if (n == 0) {
        return;
    }
    PdlPrintf(pPDev, "@PJL SET CHAPTERMODE = ON\n");
    PdlPrintf(pPDev, "@PJL SET CHAPTER = ");
    for (int i = 0; i < n; ++i) {
        PdlPrintf(pPDev, i + 1 < n ? "%d," : "%d\n", (int)aPages[i]);
    }
}

void _PostInserterTray(PDEV* pPDev, int offCheck, int offTray, const char* pszName)
{
    int nTray = DmShort(pPDev, offTray);
    if (DmByte(pPDev, offCheck) == 1 && (nTray == 1 || nTray == 2)) {
        PdlPrintf(pPDev, "@PJL SET %s = %s\n", pszName, nTray == 1 ? "RXTRAY1" : "RXTRAY2");
    } else {
        PdlPrintf(pPDev, "@PJL SET %s = OFF\n", pszName);
    }
}

void PjlPostInserter(PDEV* pPDev)
{
    _PostInserterTray(pPDev, 1584, 1585, "RXFRONT");
    _PostInserterTray(pPDev, 1587, 1588, "RXBACK");
    if (DmByte(pPDev, 1590) != 1) {
        PdlPrintf(pPDev, "@PJL SET INTERMODE = OFF\n");
        return;
    }
    SHORT aPages[PAGELIST_MAX];
    int n = _PageList(pPDev, 3, aPages);
    int cWritten = 0;
    for (int i = 0; i < n; ++i) {
        int nSheet = aPages[i] + CountBlankSidesBefore(pPDev, aPages[i]);
        if (nSheet >= 1000) {
            break;
        }
        if (cWritten == 0) {
            PdlPrintf(pPDev, "@PJL SET INTERMODE = BLANK\n");
            PdlPrintf(pPDev, "@PJL SET INTERSHEET = %s",
                      DmShort(pPDev, 1591) == 2 ? "RXTRAY2" : "RXTRAY1");
        }
        PdlPrintf(pPDev, i + 1 < n ? ",%d" : ",%d\n", nSheet);
        ++cWritten;
        if (i + 1 == n) {
            return;
        }
    }
    if (cWritten == 0) {
        PdlPrintf(pPDev, "@PJL SET INTERMODE = OFF\n");
    } else {
        PdlPrintf(pPDev, "\n");
    }
}

void PjlUserId(PDEV* pPDev)
{
    if (PdlWork(pPDev)->aSecure[0] == 0) {
        return;
    }
    char ach[50];
    _DevmodeText(pPDev, 1495, 11, ach, sizeof(ach));
    if (ach[0] != 0) {
        PdlPrintf(pPDev, "@PJL SET USERID = %s\n", ach);
    }
}

void PjlHold(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    LONG p1 = pWork->aSecure[0];
    LONG p2 = pWork->aSecure[1];
    if (DmByte(pPDev, 2092) != 0 && DmByte(pPDev, 2108) == 1 && p2 == 1) {
        char achJob[50];
        _DevmodeText(pPDev, 2110, 11, achJob, sizeof(achJob));
        for (char* p = achJob; *p != 0; ++p) {
            if (*p >= 'a' && *p <= 'z') {
                *p = (char)(*p - 'a' + 'A');
            }
        }
        if (achJob[0] != 0) {
            PdlPrintf(pPDev, "@PJL SET JOBID = %s\n", achJob);
        }
        PdlPrintf(pPDev, "@PJL SET HOLD = ON\n");
        PdlPrintf(pPDev, DmByte(pPDev, 1446) == 1 ? "@PJL SET HOLDTYPE = STORE\n"
                                                  : "@PJL SET HOLDTYPE = STORENPRINT\n");
        _HoldKeyLine(pPDev, 49);
        PdlPrintf(pPDev, "@PJL SET HOLDLOC = ENGINE\n");
    } else if (DmByte(pPDev, 1450) == 1 && p1 == 1) {
        PdlPrintf(pPDev, "@PJL SET HOLD = ON\n");
        PdlPrintf(pPDev, "@PJL SET HOLDTYPE = PRIVATE\n");
        _HoldKeyLine(pPDev, 49);
        PdlPrintf(pPDev, "@PJL SET HOLDLOC = CONTROLLER\n");
    } else {
        PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
    }
}

void PjlImageShift(PDEV* pPDev)
{
    if (!(DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2134) != 0)) {
        PdlPrintf(pPDev, "@PJL SET IMAGESHIFT = %s\n", kOff);
    } else if (DmByte(pPDev, 2134) == 1) {
        PdlPrintf(pPDev, "@PJL SET IMAGESHIFT = %s\n", kOn);
    } else {
        PdlPrintf(pPDev,
                  "@PJL COMMENT Error (ImageShift):Recieved illegal value. IMAGESHIFT was not "
                  "set.\n");
    }
}

void PjlImageShiftInfo(PDEV* pPDev)
{
    if (DmByte(pPDev, 2092) == 0 || DmByte(pPDev, 2134) == 0) {
        return;
    }
    int a[6];
    a[0] = DmShort(pPDev, 2138) * (DmByte(pPDev, 2136) == 0 ? -1 : 1);
    a[1] = DmShort(pPDev, 2140) * (DmByte(pPDev, 2137) == 0 ? -1 : 1);
    a[2] = DmShort(pPDev, 2142);
    a[3] = DmShort(pPDev, 2146) * (DmByte(pPDev, 2144) == 0 ? -1 : 1);
    a[4] = DmShort(pPDev, 2148) * (DmByte(pPDev, 2145) == 0 ? -1 : 1);
    a[5] = DmShort(pPDev, 2150);
    PdlPrintf(pPDev, "@PJL SET IMAGESHIFTINFO = ");
    for (int i = 0; i < 5; ++i) {
        PdlPrintf(pPDev, "%d, ", a[i]);
    }
    PdlPrintf(pPDev, "%d\n", a[5]);
}

void PjlPrintPosition(PDEV* pPDev)
{
    int nKey = DmShort(pPDev, 776);
    if (!((nKey & 0x2000) || (nKey & 0x200) || nKey == 256)) {
        return;
    }
    int n = DmByte(pPDev, 1542);
    PdlPrintf(pPDev, "@PJL SET PRINTPOSITION = %s\n",
              n == 1 ? "MIDDLE" : n == 2 ? "RIGHT" : "LEFT");
}

void PjlOutputMethod(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    LONG p1 = pWork->aSecure[0];
    LONG p3 = pWork->aSecure[2];
    if (p1 != 0) {
        PjlUserId(pPDev);
    }
    int nMethod = DmByte(pPDev, 1568);
    switch (nMethod) {
    case 1:
        PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
        break;
    case 2: {
        if (p1 == 0) {
            PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
            break;
        }
        PdlPrintf(pPDev, "@PJL SET HOLD = ON\n");
        PdlPrintf(pPDev, "@PJL SET HOLDTYPE = PRIVATE\n");
        char achKey[50];
        _Password(pPDev, achKey, 49);
        if (achKey[0] == 0) {
            break;
        }
        PdlPrintf(pPDev, "@PJL SET HOLDKEY = %s\n", achKey);
        PdlPrintf(pPDev, "@PJL SET HOLDLOC = ENGINE\n");
        break;
    }
    case 5:
        PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
        SHORT aTimer[5];
        memcpy(aTimer, pWork->aTimerDate, sizeof(aTimer));
        if (_bDateSet(aTimer)) {
            if (pWork->aSecure[3] == 0) {
                PdlPrintf(pPDev, "@PJL SET TIMERPRINT = %s\n", kOff);
            } else {
                char achDate[31];
                _FormatDate(aTimer, achDate, sizeof(achDate));
                PdlPrintf(pPDev, "@PJL SET TIMERPRINT = %s\n", kOn);
                PdlPrintf(pPDev, "@PJL SET RESERVATIONTIME = \"%s\"\n", achDate);
            }
        }
        break;
    case 3:
    case 4: {
        if (p3 == 0) {
            PdlPrintf(pPDev, "@PJL SET HOLD = OFF\n");
            break;
        }
        PdlPrintf(pPDev, "@PJL SET HOLD = ON\n");
        PdlPrintf(pPDev, nMethod == 3 ? "@PJL SET HOLDTYPE = STORE\n"
                                      : "@PJL SET HOLDTYPE = STORENPRINT\n");
        _HoldKeyLine(pPDev, 49);
        PdlPrintf(pPDev, "@PJL SET HOLDLOC = ENGINE\n");
        char achBox[50];
        _DevmodeText(pPDev, 1517, 10, achBox, sizeof(achBox));
        if (achBox[0] != 0) {
            PdlPrintf(pPDev, "@PJL SET BOXNUMBER = %s\n", achBox);
        }
        break;
    }
    default:
        PdlPrintf(pPDev,
                  "@PJL COMMENT Error (OutputMethod):Recieved illegal value. OUTPUTMETHOD was "
                  "not set.\n");
        break;
    }
}

void PjlTandem(PDEV* pPDev)
{
    if (DmByte(pPDev, 2092) == 1 && DmByte(pPDev, 2106) == 1) {
        PdlPrintf(pPDev, "@PJL SET TANDEM = FORCE\n");
    } else {
        PdlPrintf(pPDev, "@PJL SET TANDEM = OFF\n");
    }
}

void PjlPcFaxOff(PDEV* pPDev)
{
    PdlPrintf(pPDev, "@PJL SET PCFAXMODE = OFF\n");
    PdlPrintf(pPDev, "@PJL SET PCFAXPAS = OFF\n");
    PdlPrintf(pPDev, "@PJL SET PCFAXDLY = OFF\n");
}

void PjlPcFaxMode(PDEV* pPDev)
{
    switch (GetJobKind(pPDev)) {
    case PDL_JOB_FAX: PdlPrintf(pPDev, "@PJL SET PCFAXMODE = %s\n", kOn); break;
    case PDL_JOB_PRINT: PdlPrintf(pPDev, "@PJL SET PCFAXMODE = %s\n", kOff); break;
    default: _Error(pPDev, "PCFAXMODE"); break;
    }
}

void PjlPcFaxPas(PDEV* pPDev)
{
    _OnOffOption(pPDev, 2171, "@PJL SET PCFAXPAS = %s\n", "PCFAXPAS");
}

void PjlPcFaxDelay(PDEV* pPDev)
{
    SHORT aFaxDate[5];
    memcpy(aFaxDate, PdlWork(pPDev)->aFaxDate, sizeof(aFaxDate));
    switch (DmByte(pPDev, 2172)) {
    case 0:
        PdlPrintf(pPDev, "@PJL SET PCFAXDLY = %s\n", kOff);
        break;
    case 1:
        if (_bDateSet(aFaxDate)) {
            char achDate[31];
            _FormatDate(aFaxDate, achDate, sizeof(achDate));
            PdlPrintf(pPDev, "@PJL SET PCFAXDLY = %s\n", kOn);
            PdlPrintf(pPDev, "@PJL SET PCFAXTIM = \"%s\"\n", achDate);
        } else {
            PdlPrintf(pPDev, "@PJL SET PCFAXDLY = %s\n", kOff);
        }
        break;
    default:
        PdlPrintf(pPDev, "@PJL COMMENT Error (PCFAXDLY)\n");
        return;
    }
    if (DmByte(pPDev, 2218) != 0) {
        char ach[21];
        _DevmodeText(pPDev, 2219, 21, ach, sizeof(ach));
        PdlPrintf(pPDev, "@PJL SET PCFAXSA  = %c%s%c\n", 34, ach, 34);
    }
    if (DmByte(pPDev, 2261) != 0) {
        char ach[21];
        _DevmodeText(pPDev, 2262, 21, ach, sizeof(ach));
        PdlPrintf(pPDev, "@PJL SET PCFAXSID = %c%s%c\n", 34, ach, 34);
    }
}

void PjlPcFaxNumbers(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    int nLast = pWork->FaxDest.cDest;
    if (nLast > PDL_MAX_FAXDEST) {
        nLast = PDL_MAX_FAXDEST;
    }
    int nFirst = pWork->aCaptureValues[0];
    if (nFirst < 0) {
        nFirst = 0;
    }
    for (int i = nFirst; i < nLast; ++i) {
        const FAXDEST& dest = pWork->FaxDest.aDest[i];
        char achNumber[FAXDEST_TEXT_BYTES + 1];
        memcpy(achNumber, dest.aszText[1], FAXDEST_TEXT_BYTES);
        achNumber[FAXDEST_TEXT_BYTES] = 0;
        PjlCleanText(achNumber);
        const BYTE abFlag[3] = {dest.bEcm, dest.bIntl, dest.bV34};
        const char* apszFlag[3];
        for (int k = 0; k < 3; ++k) {
            apszFlag[k] = abFlag[k] != 0 ? "1" : "0";
        }
        PdlPrintf(pPDev, "@PJL SET PCFAXNUM = \"%s,%s,%s,%s\"\n", achNumber, apszFlag[0],
                  apszFlag[1], apszFlag[2]);
    }
}

const PJLOPTION s_aOptions[] = {
#define PDL_ROW(row, fn, s0, s1, s2, s3, s4, s5, s6, s7, s8, s9, s10, s11, phase) \
    {fn, {s0, s1, s2, s3, s4, s5, s6, s7, s8, s9, s10, s11}, (BYTE)(phase)},
#include "pdl_pjloptions.inc"
#undef PDL_ROW
    {nullptr, {}, 0},
};
static_assert(sizeof(s_aOptions) / sizeof(s_aOptions[0]) == 45, "44 rows and the end row");

}  // namespace

void RunPJLOptions(PDEV* pPDev, int nPhase)
{
    for (const PJLOPTION* pRow = s_aOptions; pRow->pfnWriter != nullptr; ++pRow) {
        if (pRow->aSwitch[kSwitchColumn] == 1 && (pRow->bPhase == 3 || pRow->bPhase == nPhase)) {
            pRow->pfnWriter(pPDev);
        }
    }
}

void SetOptionPJL(PDEV* pPDev)
{
    switch (GetJobKind(pPDev)) {
    case PDL_JOB_FAX: {
        SHORT nCopies = DmShort(pPDev, 306);
        DmSetShort(pPDev, 306, 1);
        RunPJLOptions(pPDev, 2);
        DmSetShort(pPDev, 306, nCopies);
        break;
    }
    case PDL_JOB_PRINT:
        RunPJLOptions(pPDev, 1);
        break;
    default:
        PdlPrintf(pPDev,
                  "@PJL COMMENT Error (SetOptionPJL):Recieved illegal value. PJL is not "
                  "executed.\n");
        break;
    }
}
