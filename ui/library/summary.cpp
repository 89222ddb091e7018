// summary.cpp: the settings summary of the library dialogs.
#include "ui/library/summary.h"

#include <cstdarg>
#include <cstring>

#include "platform/comctl/commctrl.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/dialogs/preview.h"
#include "ui/pages/pagehelpers.h"
#include "ui/settings/insertsheet.h"
#include "ui/settings/listset.h"
#include "ui/settings/pagelist.h"
#include "ui/settings/papertable.h"
#include "ui/settings/strcache.h"
#include "ui/settings/uiparam.h"
#include "ui/settings/uisettings.h"
#include "ui/settings/wmlist.h"

namespace {

const int kLineCch = 256;
const WORD kParamPageLists = 223;

SHORT _Setting(UISETTINGS* pObj, LPCWSTR pszKey) { return GetPreviewSetting(pObj, pszKey); }

// ---- appending --------------------------------------------------------------

// Appends formatted text at iPos; what does not fit in the summary buffer
// is cut, and the position never passes its last character.
int _Put(LPWSTR pszBuf, int iPos, LPCWSTR pszFmt, ...)
{
    if (!pszBuf || iPos < 0 || iPos >= SUMMARY_CCH - 1)
        return iPos;
    va_list ap;
    va_start(ap, pszFmt);
    WCHAR szLine[1024];
    int n = wvnsprintfW(szLine, 1024, pszFmt, ap);
    va_end(ap);
    if (n <= 0)
        return iPos;
    int room = SUMMARY_CCH - 1 - iPos;
    if (n > room)
        n = room;
    memcpy(pszBuf + iPos, szLine, n * sizeof(WCHAR));
    pszBuf[iPos + n] = 0;
    return iPos + n;
}

LPCWSTR _Res(UINT uId)
{
    LPCWSTR p = GetResString(uId);
    return p ? p : u"";
}

// on/off, name and number of a feature as the formatter tables use them.
struct VALTEXT {
    WCHAR sz[kLineCch];
};
VALTEXT _OnOff(WORD w)
{
    VALTEXT v{};
    GetOnOffText(w, v.sz, kLineCch);
    return v;
}
VALTEXT _Name(WORD w)
{
    VALTEXT v{};
    GetCurrentValueName(w, v.sz, kLineCch);
    return v;
}
SHORT _Num(WORD w)
{
    SHORT s = 0;
    GetCurrentValueNumber(w, &s);
    return s;
}

// "<first part><indent 1>\t%s" with the label and one value.
int _Indented(LPWSTR pszBuf, int iPos, LPCWSTR pszHead, LPCWSTR pszLabel, LPCWSTR pszValue)
{
    WCHAR szFmt[kLineCch];
    wnsprintfW(szFmt, kLineCch, u"%s%s\t%%s", pszHead, GetSummaryIndent(1));
    return _Put(pszBuf, iPos, szFmt, pszLabel, pszValue);
}

int _Rule(LPWSTR pszBuf, int iPos)
{
    WCHAR sz[68];
    for (int i = 0; i < 67; ++i)
        sz[i] = u'-';
    sz[67] = 0;
    return _Put(pszBuf, iPos, u"\r\n%s", sz);
}

LISTSET* _Lists(UISETTINGS* pObj) { return pObj ? pObj->trailer.pListSet : nullptr; }

// ---- formatter routines -----------------------------------------------------

int FormatOrientationSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    return _Put(b, p, u"%s\t%s", _Res(20000), _Name(f).sz);
}

int _PaperLine(LPWSTR b, int p, UISETTINGS* o, WORD f, UINT uLabel, int iMode)
{
    if (!b || !o)
        return p;
    SHORT sCode = GetFeatureValue(f);
    if (bIsCustomPaper(sCode)) {
        p = _Put(b, p, u"\r\n%s\t", _Res(uLabel));
        return FormatUserSizeLine(b, o, p, sCode, iMode);
    }
    LPCWSTR pszSize = GetPaperSizeText(sCode);
    return _Put(b, p, u"\r\n%s\t%s  %s", _Res(uLabel), _Name(f).sz, pszSize ? pszSize : u"");
}

int FormatOriginalSizeSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _PaperLine(b, p, o, f, 20007, 2); }
int FormatOutputSizeSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _PaperLine(b, p, o, f, 20008, 3); }

int FormatPrintPositionSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    SHORT sOut = GetFeatureValue(114), sIn = GetFeatureValue(111);
    if ((sOut & 0x2000) || bIsCustomPaper(sOut) || (bIsCustomPaper(sIn) && sOut == 257))
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(20024), _Name(f).sz);
    return p;
}

int FormatPaperTypeSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    if (!bSummaryFeatureAvailable(o, f))
        return _Put(b, p, u"\r\n%s\t%s", _Res(20010), _Res(21520));
    p = _Put(b, p, u"\r\n%s\t%s", _Res(20010), _Name(f).sz);
    if (GetFeatureValue(f) == 127) {
        p = _Put(b, p, u"\r\n  %s", _Res(26402));
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(20009), _Name(2024).sz);
    }
    return p;
}

int FormatSimpleFinishingSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    return _Put(b, p, u"\r\n%s\t%s", _Res(20012), _OnOff(f).sz);
}

int FormatUserPaperSummary(LPWSTR b, int p, UISETTINGS* o, WORD)
{
    if (!b || !o)
        return p;
    p = _Rule(b, p);
    p = _Put(b, p, u"\r\n%s", _Res(26404));
    for (int c = 513; c <= 521; ++c)
        p = FormatUserSizeLine(b, o, p, c, 1);
    return FormatUserSizeLine(b, o, p, 256, 1);
}

int FormatBindingMarginSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    p = _Put(b, p, u"\r\n  %s\t%s", _Res(21480), _OnOff(f).sz);
    if (GetFeatureValue(f) == 1) {
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(21481), _Name(2304).sz);
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(21485), _OnOff(2315).sz);
        p = _Put(b, p, u"\r\n    %s\t%dmm", _Res(21112), (int)_Num(2306));
        p = _Put(b, p, u"\r\n    %s\t%dmm", _Res(21113), (int)_Num(2310));
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(21484), _Name(2301).sz);
    }
    return p;
}

int FormatNupSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    p = _Put(b, p, u"\r\n  %s\t%s", _Res(21420), _OnOff(f).sz);
    if (GetFeatureValue(f) == 1) {
        p = _Put(b, p, u"\t%s", _Name(303).sz);
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(21426), _Name(304).sz);
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(21435), _Name(306).sz);
    }
    return p;
}

int _OnOffWithValue(LPWSTR b, int p, UISETTINGS* o, WORD f, UINT uLabel, WORD wValue)
{
    if (!b || !o)
        return p;
    p = _Indented(b, p, u"\r\n  %s", _Res(uLabel), _OnOff(f).sz);
    if (GetFeatureValue(f) == 1)
        p = _Put(b, p, u"\t%s", _Name(wValue).sz);
    return p;
}

int FormatDuplexSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _OnOffWithValue(b, p, o, f, 21450, 311); }
int FormatStapleSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _OnOffWithValue(b, p, o, f, 21440, 320); }
int FormatPunchSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _OnOffWithValue(b, p, o, f, 21470, 322); }

int _PageListLine(LPWSTR b, int p, UISETTINGS* o, int iSlot, int cMax, int cchText, LPCWSTR pszFmt)
{
    const PAGELISTS* pLists = (const PAGELISTS*)GetParamSlot(o, kParamPageLists);
    if (!pLists)
        return p;
    SHORT aNumbers[PAGELIST_MAX] = {};
    int c = 0;
    LoadPageSlot(pLists, iSlot, &c, aNumbers, 0, cMax);
    WCHAR szList[130] = {};
    FormatPageList(aNumbers, c, szList, cchText);
    return _Put(b, p, pszFmt, _Res(21001), szList);
}

int FormatChapterSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    p = _Indented(b, p, u"\r\n  %s", _Res(20210), _OnOff(f).sz);
    if (GetFeatureValue(f) == 1)
        p = _PageListLine(b, p, o, 2, 30, 120, u"\r\n    %s\t%s");
    return p;
}

int FormatImageShiftSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    return _Put(b, p, u"\r\n  %s\t%s", _Res(20231), _OnOff(f).sz);
}

LPCWSTR _CoverMode(SHORT s) { return s == 2 ? _Res(20102) : s == 3 ? _Res(20103) : u""; }

// The printing mode of a cover is the list next to its switch.
int _Cover(LPWSTR b, int p, UISETTINGS* o, WORD f, LPCWSTR pszHead, UINT uLabel, WORD wMode, WORD wSource)
{
    if (!b || !o)
        return p;
    p = _Indented(b, p, pszHead, _Res(uLabel), _OnOff(f).sz);
    if (GetFeatureValue(f) == 1) {
        p = _Put(b, p, u"\t%s", _CoverMode(GetFeatureValue(wMode)));
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(20009), _Name(wSource).sz);
    }
    return p;
}

int FormatFrontCoverSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _Cover(b, p, o, f, u"%s", 20100, 202, 212); }
int FormatBackCoverSummary(LPWSTR b, int p, UISETTINGS* o, WORD f) { return _Cover(b, p, o, f, u"\r\n%s", 20101, 206, 214); }

int FormatCoverPaperTypeSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    if (bSummaryFeatureAvailable(o, f))
        p = _Put(b, p, u"\r\n%s\t%s", _Res(20010), _Name(f).sz);
    return p;
}

int FormatCoverInsertionSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    p = _Put(b, p, u"\r\n%s\t%s", _Res(20165), _OnOff(f).sz);
    if (GetFeatureValue(f) == 1) {
        p = _Put(b, p, u"\t%s", _Name(2802).sz);
        p = _PageListLine(b, p, o, 3, 28, 112, u"\r\n  %s\t%s");
    }
    return p;
}

LPCWSTR _PrintTypeText(WORD w)
{
    static const UINT k[] = {20122, 20126, 20123, 20124, 20103, 20210, 20125};
    return w <= 6 ? _Res(k[w]) : u"";
}

LPCWSTR _SourceText(WORD w)
{
    switch (w) {
    case 1: return _Res(21531);
    case 2: return _Res(21532);
    case 4: return _Res(21537);
    // Tray 7 is a source of the insert-sheet record as well.
    case 7: return _Res(21530);
    case 258: return _Res(21533);
    case 259: return _Res(21534);
    case 260: return _Res(21536);
    case 4096: return _Res(21540);
    default: return u"";
    }
}

LPCWSTR _BindingText(WORD w)
{
    return w == 1 ? _Res(21540) : w == 2 ? _Res(21452) : w == 3 ? _Res(21453) : u"";
}

int FormatInsertSheetSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    p = _Indented(b, p, u"\r\n%s", _Res(20156), _OnOff(f).sz);
    LISTSET* ls = _Lists(o);
    if (!bFeatureEnabledAt(2) || !ls || !ls->pInterSheet || !ls->pInterSheet->pLists)
        return p;
    INTERSHEETREC* aLists = ls->pInterSheet->pLists;
    BOOL bInUse = _Setting(o, u"InterSheet_Check") == 1;
    int iCur = _Setting(o, u"lpInterSheetList");
    if (iCur < 0 || iCur >= INTERSHEET_LISTS)
        iCur = 0;
    INTERSHEETREC* pCur = &aLists[iCur];
    if (bInUse)
        p = _Put(b, p, u"\r\n%s\t%s", _Res(26424), pCur->szName);
    p = _Rule(b, p);
    p = _Put(b, p, u"\r\n%s", _Res(26425));
    for (int i = 0; i < INTERSHEET_LISTS; ++i) {
        INTERSHEETREC* r = &aLists[i];
        if (r->sPageListNum >= 129 || r->sPageListNum < 0)
            break;
        if (lstrlenW(r->szName) < 6)
            p = _Put(b, p, u"\r\n  %s%s", r->szName, GetSummaryIndent(1));
        else
            p = _Put(b, p, u"\r\n  %s", r->szName);
        p = _Put(b, p, u"\t%s", _Res(r->sPageListNum > 0 ? 26427 : 26426));
    }
    if (!bInUse)
        return p;
    p = _Rule(b, p);
    p = _Put(b, p, u"\r\n%s%s", pCur->szName, _Res(26428));
    if (pCur->sPageListNum >= 129 || pCur->sPageListNum < 0 || !pCur->pEntries)
        return p;
    int n = pCur->sPageListNum;
    BOOL bHeading = FALSE;
    for (int i = 0; i < n && i < 20; ++i) {
        const INSERTSHEET* e = (const INSERTSHEET*)(pCur->pEntries + (size_t)i * sizeof(INSERTSHEET));
        // An entry is named by the pages it is inserted at.
        p = _Put(b, p, u"\r\n  %s%s\t%s", _Res(21002), GetSummaryIndent(1), e->szPages);
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(20154), _PrintTypeText(e->wPrintType));
        if (e->wPrintType == 3)
            p = _Put(b, p, u"\r\n    %s\t%s", _Res(26529), _BindingText(e->wBinding));
        if (e->wPrintType != 5)
            p = _Put(b, p, u"\r\n    %s\t%s", _Res(20009), _SourceText(e->wTray));
        if (e->wUseIndex) {
            WCHAR szText[INSERTSHEET_TEXT_CCH + 32] = {};
            if (lstrlenW(e->szTabText) >= 20) {
                memcpy(szText, e->szTabText, 19 * sizeof(WCHAR));
                szText[19] = 0;
                lstrcatW(szText, _Res(21580));
            } else {
                lstrcpynW(szText, e->szTabText, INSERTSHEET_TEXT_CCH);
            }
            p = _Put(b, p, u"\r\n    %s\t%s", _Res(20155), szText);
            int cTabs = _Setting(o, u"lpTabIndexNum");
            p = _Put(b, p, e->lTabAuto == 1 ? u"\r\n    %s\t%2d/%d*" : u"\r\n    %s\t%2d/%d", _Res(26530),
                     (int)InsertSheetTabPosition(e), cTabs < 0 ? 0 : cTabs);
            bHeading = TRUE;
        }
    }
    if (n > 20)
        p = _Put(b, p, u"\r\n      %s\r\n", _Res(26531));
    if (bHeading) {
        SHORT sKind = _Setting(o, u"lpTabPaperSize");
        p = _Put(b, p, u"\r\n  %s", _Res(26532));
        p = _Put(b, p, u"\r\n    %s\t%s", _Res(21119),
                 sKind == 1025 ? _Res(26534) : sKind == 1033 ? _Res(26533) : u"");
        p = _Put(b, p, u"\r\n    %s\t%d", _Res(26535), (int)_Setting(o, u"lpTabIndexNum"));
    }
    return p;
}

int FormatFormSummary(LPWSTR b, int p, UISETTINGS* o, WORD)
{
    if (!b || !o)
        return p;
    p = _Put(b, p, u"%s", _Res(26411));
    p = _Indented(b, p, u"\r\n  %s", _Res(20304), _OnOff(405).sz);
    return _Put(b, p, u"\r\n  %s\t%s", _Res(20303), _OnOff(404).sz);
}

int FormatFormFileSummary(LPWSTR b, int p, UISETTINGS* o, WORD)
{
    if (!b || !o)
        return p;
    LISTSET* ls = _Lists(o);
    if (!ls || !ls->pForm || !ls->pForm->pFiles)
        return p;
    p = _Rule(b, p);
    p = _Put(b, p, u"\r\n%s", _Res(26412));
    int n = ls->pForm->wFormListNum;
    if (n > FORMLIST_FILES)
        n = FORMLIST_FILES;
    for (int i = 0; i < n; ++i)
        p = _Put(b, p, u"\r\n  %s", ls->pForm->pFiles[i]);
    if (n == 0)
        p = _Put(b, p, u"\r\n  %s", _Res(21202));
    return p;
}

int FormatWatermarkSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    p = _Put(b, p, u"%s\t%s", _Res(20400), _OnOff(f).sz);
    LISTSET* ls = _Lists(o);
    WATERMARKLIST* wl = ls ? ls->pWatermark : nullptr;
    if (GetFeatureValue(f) == 1 && wl && wl->pCurrent) {
        const WATERMARK* w = wl->pCurrent;
        WCHAR szText[WATERMARK_TEXT_CCH + 1] = {}, szFace[WATERMARK_FACE_CCH + 1] = {};
        lstrcpynW(szText, w->szText, WATERMARK_TEXT_CCH);
        lstrcpynW(szFace, w->szFace, WATERMARK_FACE_CCH);
        SHORT sMode = GetFeatureValue(504);
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(26414), szText);
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(20401), sMode == 1 ? _Res(26415) : sMode == 2 ? _Res(26416) : u"--");
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(20402), _OnOff(506).sz);
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(26417), szFace);
        p = _Put(b, p, u"\r\n  %s\t%s", _Res(20153),
                 w->dwStyle >= 1 && w->dwStyle <= 4 ? _Res(21114 + w->dwStyle) : u"--");
        p = _Put(b, p, u"\r\n  %s\t%d %s", _Res(21119), (int)w->dwSize, _Res(26418));
        p = _Put(b, p, u"\r\n  %s\t%d %s", _Res(26419), (int)(w->lAngle / 10), _Res(26420));
        p = _Put(b, p, u"\r\n  %s\t%d %s", _Res(26421), (int)((255 - (int)(w->dwColor & 0xFF)) * 100 / 255),
                 _Res(26422));
        p = _Put(b, p, u"\r\n  %s", _Res(20152));
        p = _Put(b, p, u"\t(%d, %d)", (int)((LONG)w->dwCenterX / 10), (int)(-(LONG)w->dwCenterY / 10));
    }
    p = _Rule(b, p);
    p = _Put(b, p, u"\r\n%s", _Res(26423));
    if (wl && wl->pRecords) {
        int n = wl->sCount;
        for (int i = 1; i < n && i < 51; ++i) {
            WCHAR szText[WATERMARK_TEXT_CCH + 1] = {};
            lstrcpynW(szText, wl->pRecords[i].szText, WATERMARK_TEXT_CCH);
            p = _Put(b, p, u"\r\n  %s", szText);
        }
    }
    return p;
}

int FormatDitherSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    if (GetFeatureValue(603) == 0)
        p = _Put(b, p, u"\r\n%s\t%s", _Res(20510), _Name(f).sz);
    return p;
}

int FormatDensitySummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    SHORT s = GetFeatureValue(f);
    LPCWSTR v = s == -2 ? _Res(20519) : s == -1 ? _Res(20520) : s == 0 ? _Res(20516) : u"--";
    if (!bFeatureExists(f))
        v = u"--";
    return _Put(b, p, u"\r\n%s\t%s", _Res(20513), v);
}

int FormatSmoothingSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    static const UINT k[] = {20533, 26405, 26406, 26407};
    SHORT s = GetFeatureValue(f);
    return _Put(b, p, u"\r\n%s\t%s", _Res(20532), s >= 1 && s <= 4 ? _Res(k[s - 1]) : u"--");
}

// Substitution is in force when the font switch is on and the font page's
// mode says "use the table".
int FormatFontSummary(LPWSTR b, int p, UISETTINGS* o, WORD f)
{
    if (!b || !o)
        return p;
    BOOL bOn = GetFeatureValue(f) == 1 && GetFeatureValue(711) == 2;
    p = _Put(b, p, u"%s", _Res(26408));
    p = _Put(b, p, u"\r\n  %s%s%s", _Res(26409), GetSummaryIndent(6), _Res(bOn ? 21110 : 21111));
    return _Put(b, p, u"\r\n%s", _Res(26410));
}

// ---- tables -----------------------------------------------------------------

#define ROW(k, f, pre, ind, fmt) {k, f, pre, ind, 0, fmt, nullptr}
#define FMT(f, fn) {5, f, nullptr, 0, 0, nullptr, fn}
#define END {0, 0, nullptr, 0, 0, nullptr, nullptr}

const SUMMARYITEM kSetup[] = {
    FMT(106, FormatOrientationSummary),
    FMT(111, FormatOriginalSizeSummary),
    FMT(114, FormatOutputSizeSummary),
    FMT(2357, FormatPrintPositionSummary),
    ROW(4, 116, u"\r\n", 1, u"\t%d  %%"),
    ROW(2, 120, u"\r\n", 0, u"\t%s"),
    FMT(122, FormatPaperTypeSummary),
    FMT(123, FormatSimpleFinishingSummary),
    ROW(1, 124, u"\r\n  ", 0, u"\t%s"),
    ROW(2, 125, nullptr, 0, u"\t%s"),
    ROW(2, 127, u"\r\n    ", 0, u"\t%s"),
    ROW(2, 129, u"\r\n    ", 0, u"\t%s"),
    ROW(1, 132, u"\r\n  ", 1, u"\t%s"),
    ROW(2, 133, nullptr, 0, u"\t%s"),
    ROW(1, 130, u"\r\n  ", 1, u"\t%s"),
    ROW(2, 131, nullptr, 0, u"\t%s"),
    ROW(1, 136, u"\r\n  ", 1, u"\t%s"),
    ROW(2, 137, nullptr, 0, u"\t%s"),
    FMT(155, FormatBindingMarginSummary),
    ROW(4, 103, u"\r\n", 1, u"\t%d"),
    ROW(2, 139, u"\r\n", 1, u"\t%s"),
    ROW(2, 141, u"\r\n", 0, u"\t%s"),
    ROW(1, 142, u"\r\n", 1, u"\t%s"),
    ROW(1, 143, u"\r\n", 1, u"\t%s"),
    ROW(1, 157, u"\r\n", 0, u"\t%s"),
    FMT(114, FormatUserPaperSummary),
    END,
};

const SUMMARYITEM kCover[] = {
    FMT(201, FormatFrontCoverSummary),
    FMT(205, FormatBackCoverSummary),
    ROW(1, 233, u"\r\n", 0, u"\t%s"),
    ROW(2, 234, nullptr, 0, u"\t%s"),
    ROW(1, 235, u"\r\n", 0, u"\t%s"),
    ROW(2, 236, nullptr, 0, u"\t%s"),
    FMT(231, FormatCoverPaperTypeSummary),
    FMT(240, FormatCoverInsertionSummary),
    FMT(215, FormatInsertSheetSummary),
    END,
};

const SUMMARYITEM kFinishing[] = {
    ROW(1, 301, u"", 0, u"\t%s"),
    FMT(302, FormatNupSummary),
    ROW(1, 308, u"\r\n  ", 1, u"\t%s"),
    ROW(2, 309, nullptr, 0, u"\t%s"),
    FMT(310, FormatDuplexSummary),
    ROW(1, 312, u"\r\n  ", 0, u"\t%s"),
    ROW(2, 313, nullptr, 0, u"\t%s"),
    FMT(314, FormatChapterSummary),
    FMT(342, FormatBindingMarginSummary),
    ROW(1, 317, u"\r\n  ", 0, u"\t%s"),
    ROW(2, 318, nullptr, 0, u"\t%s"),
    FMT(319, FormatStapleSummary),
    FMT(321, FormatPunchSummary),
    ROW(1, 323, u"\r\n  ", 1, u"\t%s"),
    ROW(3, 324, nullptr, 0, u"\t%s"),
    FMT(328, FormatImageShiftSummary),
    ROW(1, 329, u"\r\n  ", 0, u"\t%s"),
    END,
};

const SUMMARYITEM kForm[] = {
    FMT(401, FormatFormSummary),
    FMT(401, FormatFormFileSummary),
    END,
};

const SUMMARYITEM kWatermark[] = {
    FMT(501, FormatWatermarkSummary),
    END,
};

const SUMMARYITEM kImage[] = {
    ROW(3, 603, u"", 0, u"\t%s"),
    FMT(606, FormatDitherSummary),
    FMT(630, FormatDensitySummary),
    ROW(1, 640, u"\r\n", 0, u"\t%s"),
    ROW(1, 602, u"\r\n", 0, u"\t%s"),
    ROW(1, 637, u"\r\n", 0, u"\t%s"),
    ROW(3, 638, nullptr, 0, u"\t%s"),
    FMT(614, FormatSmoothingSummary),
    ROW(3, 611, u"\r\n", 1, u"\t%s"),
    END,
};

const SUMMARYITEM kFont[] = {
    FMT(701, FormatFontSummary),
    ROW(2, 802, u"\r\n  ", 5, u"\t%s"),
    ROW(2, 804, u"\r\n  ", 5, u"\t%s"),
    ROW(2, 824, u"\r\n  ", 5, u"\t%s"),
    ROW(2, 828, u"\r\n  ", 5, u"\t%s"),
    ROW(2, 830, u"\r\n  ", 5, u"\t%s"),
    ROW(2, 838, u"\r\n  ", 1, u"\t%s"),
    END,
};

const SUMMARYITEM* const kTables[SUMMARY_TABS] = {kSetup, kCover, kFinishing, kForm, kWatermark, kImage, kFont};
const UINT kTabTexts[SUMMARY_TABS] = {21138, 21139, 21141, 21142, 21143, 21144, 21146};

// The indent table: OS class (0 every class, -1 ends), key, text.
struct INDENTROW {
    LONG lOsClass;
    WORD wKey;
    WCHAR szText[65];
};
const INDENTROW kIndents[] = {
    {0, 1, u""}, {0, 2, u"\t\t"}, {0, 3, u"\t"}, {0, 4, u""}, {0, 5, u""}, {0, 6, u"\t"}, {-1, 0, u""},
};

LONG _SummaryOsClass()
{
    switch (GetOsClass()) {
    case 0x10000001: case 0x10000002: case 0x10000004: return 1;
    case 0x20000001: return 2;
    case 0x21000002: return 3;
    case 0x21000004: return 4;
    default: return 0x10000000;
    }
}

int _EditOfTab(int idTab)
{
    return idTab == IDC_SUMMARY_RECALL_TAB     ? IDC_SUMMARY_RECALL_EDIT
           : idTab == IDC_SUMMARY_ORGANIZE_TAB ? IDC_SUMMARY_ORGANIZE_EDIT
                                               : IDC_SUMMARY_SAVE_EDIT;
}

}  // namespace

// ---- public -----------------------------------------------------------------

const SUMMARYITEM* GetSummaryTable(int iTab)
{
    return iTab >= 0 && iTab < SUMMARY_TABS ? kTables[iTab] : nullptr;
}

LPCWSTR GetSummaryIndent(WORD wKey)
{
    LONG lClass = _SummaryOsClass();
    for (const INDENTROW* r = kIndents; r->lOsClass != -1; ++r)
        if ((r->lOsClass == 0 || r->lOsClass == lClass) && r->wKey == wKey)
            return r->szText;
    return u"";
}

BOOL bSummaryFeatureAvailable(UISETTINGS*, WORD wFeature) { return GetDependencyState(wFeature) == 1; }

BOOL GetOnOffText(WORD wFeature, LPWSTR pszOut, int cchOut)
{
    if (!bFeatureExists(wFeature) || !pszOut || cchOut <= 0)
        return FALSE;
    SHORT s = GetFeatureValue(wFeature);
    if (s == FEATURE_ABSENT)
        return FALSE;
    lstrcpynW(pszOut, _Res(s == 1 ? 21110 : 21111), cchOut);
    return TRUE;
}

BOOL GetCurrentValueName(WORD wFeature, LPWSTR pszOut, int cchOut)
{
    if (!bFeatureExists(wFeature) || !pszOut || cchOut <= 0)
        return FALSE;
    SHORT s = GetFeatureValue(wFeature);
    if (s == FEATURE_ABSENT && GetFeatureKind(wFeature) != FK_LIST)
        return FALSE;
    LPCWSTR p = GetValueName(wFeature, s);
    lstrcpynW(pszOut, p ? p : u"", cchOut);
    return TRUE;
}

BOOL GetCurrentValueNumber(WORD wFeature, SHORT* psOut)
{
    if (!bFeatureExists(wFeature) || !psOut)
        return FALSE;
    SHORT s = GetFeatureValue(wFeature);
    if (s == FEATURE_ABSENT)
        return FALSE;
    *psOut = s;
    return TRUE;
}

void BuildSummaryLineFormat(const SUMMARYITEM* pTable, int iRow, LPWSTR pszOut)
{
    const SUMMARYITEM& r = pTable[iRow];
    WCHAR sz[kLineCch] = {};
    lstrcpynW(sz, r.pszPrefix ? r.pszPrefix : u"", kLineCch);
    auto add = [&](LPCWSTR p) {
        int n = lstrlenW(sz);
        if (p && n < kLineCch - 1)
            lstrcpynW(sz + n, p, kLineCch - n);
    };
    if (r.pszPrefix) {
        // A label is text, never a format: its '%' are doubled.
        LPCWSTR pszLabel = GetFeatureName(r.wFeature);
        WCHAR szLabel[kLineCch] = {};
        int j = 0;
        for (int i = 0; pszLabel && pszLabel[i] && j < kLineCch - 2; ++i) {
            if (pszLabel[i] == u'%')
                szLabel[j++] = u'%';
            szLabel[j++] = pszLabel[i];
        }
        add(szLabel);
    }
    if (r.wIndent)
        add(GetSummaryIndent(r.wIndent));
    add(r.pszFormat ? r.pszFormat : u"");
    lstrcpynW(pszOut, sz, kLineCch);
}

int WriteStandardSummaryLine(LPWSTR pszBuf, int iPos, int iRow, const SUMMARYITEM* pTable)
{
    WCHAR szFmt[kLineCch];
    BuildSummaryLineFormat(pTable, iRow, szFmt);
    const SUMMARYITEM& r = pTable[iRow];
    if (r.sKind == 4) {
        SHORT s = 0;
        GetCurrentValueNumber(r.wFeature, &s);
        return _Put(pszBuf, iPos, szFmt, (int)s);
    }
    WCHAR szValue[kLineCch] = {};
    if (r.sKind == 1)
        GetOnOffText(r.wFeature, szValue, kLineCch);
    else
        GetCurrentValueName(r.wFeature, szValue, kLineCch);
    return _Put(pszBuf, iPos, szFmt, szValue);
}

int WriteSummaryItems(LPWSTR pszBuf, UISETTINGS* pObj, const SUMMARYITEM* pTable)
{
    if (!pszBuf || !pObj || !pTable)
        return 0;
    BindFeatureFields(pObj);
    int iPos = lstrlenW(pszBuf);
    for (int i = 0; pTable[i].sKind != 0; ++i) {
        const SUMMARYITEM& r = pTable[i];
        if (GetDependencyState(r.wFeature) != 1)
            continue;
        if (r.sKind >= 1 && r.sKind <= 4)
            iPos = WriteStandardSummaryLine(pszBuf, iPos, i, pTable);
        else if (r.sKind == 5 && r.pfnFormat)
            iPos = r.pfnFormat(pszBuf, iPos, pObj, r.wFeature);
    }
    return iPos;
}

int BuildTabSummary(LPWSTR pszBuf, UISETTINGS* pObj, int iTab)
{
    const SUMMARYITEM* pTable = GetSummaryTable(iTab);
    if (!pszBuf || !pObj || !pTable)
        return 0;
    DEPSTATEPAIR *pCtrl = nullptr, *pDevOpt = nullptr, *pValue = nullptr;
    SaveDependencyStates(&pCtrl, &pDevOpt, &pValue);
    EvaluateControlDependencies(nullptr, pObj);
    int n = WriteSummaryItems(pszBuf, pObj, pTable);
    RestoreDependencyStates(pCtrl, pDevOpt, pValue);
    FreeDependencyStates(&pCtrl, &pDevOpt, &pValue);
    // The summarised object is often a copy that goes before the page
    // reads again: the next reader binds afresh.
    ForgetFeatureBinding(pObj);
    return n;
}

BOOL BuildSettingsSummary(HWND hDlg, int idTab, UISETTINGS* pObj, int iTab)
{
    HWND hEdit = GetDlgItem(hDlg, _EditOfTab(idTab));
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SUMMARY_CCH * sizeof(WCHAR));
    LPWSTR pszBuf = h ? (LPWSTR)GlobalLock(h) : nullptr;
    if (!pszBuf) {
        if (h)
            GlobalFree(h);
        return FALSE;
    }
    if (pObj)
        BuildTabSummary(pszBuf, pObj, iTab);
    if (hEdit) {
        INT aStops[3] = {71, 91, 111};
        SendMessageW(hEdit, EM_SETTABSTOPS, 3, (LPARAM)aStops);
        SendMessageW(hEdit, WM_SETTEXT, 0, (LPARAM)pszBuf);
    }
    GlobalUnlock(h);
    GlobalFree(h);
    return TRUE;
}

BOOL InitSummaryTabs(HWND hDlg, int idTab, UISETTINGS* pObj)
{
    HWND hTab = GetDlgItem(hDlg, idTab);
    if (!hTab)
        return FALSE;
    for (int i = 0; i < SUMMARY_TABS; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.iImage = -1;
        item.pszText = (LPWSTR)_Res(kTabTexts[i]);
        if (SendMessageW(hTab, TCM_INSERTITEMW, i, (LPARAM)&item) == -1) {
            DestroyWindow(hTab);
            return FALSE;
        }
    }
    return RebuildSummaryText(hDlg, idTab, pObj) || !pObj;
}

BOOL RebuildSummaryText(HWND hDlg, int idTab, UISETTINGS* pObj)
{
    if (!pObj) {
        // Nothing to show: the edit is emptied.
        if (HWND hEdit = GetDlgItem(hDlg, _EditOfTab(idTab)))
            SetWindowTextW(hEdit, u"");
        return FALSE;
    }
    int iTab = (int)SendDlgItemMessageW(hDlg, idTab, TCM_GETCURSEL, 0, 0);
    if (iTab < 0)
        iTab = 0;
    return BuildSettingsSummary(hDlg, idTab, pObj, iTab);
}

int FormatUserSizeLine(LPWSTR pszBuf, UISETTINGS* pObj, int iPos, int iCode, int iMode)
{
    if (!pszBuf || !pObj || !bIsCustomPaper(iCode) || iMode < 1 || iMode > 3)
        return iPos;
    LISTSET* ls = _Lists(pObj);
    if (!ls || !ls->pUserPapers)
        return iPos;
    int iSlot = CustomPaperToSlot(iCode) - 1;
    if (iSlot < 0 || iSlot >= USERPAPER_SLOTS)
        return iPos;
    const USERPAPER& u = ls->pUserPapers->aSlot[iSlot];
    WCHAR szName[USERPAPER_NAME_CCH] = {};
    lstrcpynW(szName, u.szName, 17);
    LONG w = u.lWidth, l = u.lLength;
    if (u.sUnit == 1) {
        // Thousandths of an inch to whole millimetres, rounded up.
        LONG wm = (w * 254 + 9999) / 10000, lm = (l * 254 + 9999) / 10000;
        return _Put(pszBuf, iPos, iMode == 1 ? u"\r\n  %s\t(%ld x %ldmm)" : u"%s (%ld x %ldmm)", szName, wm, lm);
    }
    return _Put(pszBuf, iPos,
                iMode == 1 ? u"\r\n  %s\t(%ld.%03ld x %ld.%03ldinch)" : u"%s (%ld.%03ld x %ld.%03ldinch)", szName,
                w / 1000, w % 1000, l / 1000, l % 1000);
}

BOOL bMachineViewTab(HWND hDlg, int idTab)
{
    return SendDlgItemMessageW(hDlg, idTab, TCM_GETCURSEL, 0, 0) == 6;
}

void RefreshSummaryPreviews(HWND hDlg, UISETTINGS* pObj)
{
    if (pObj) {
        if (pObj->trailer.pListSet && pObj->trailer.pListSet->pUserPapers)
            LoadUserPaperRows(pObj->trailer.pListSet->pUserPapers);
    }
    // Both panes are painted again from the shown object, or empty.
    for (int id : {IDC_PREVIEW_LARGE, IDC_PREVIEW_ICONS})
        if (HWND h = GetDlgItem(hDlg, id))
            InvalidateRect(h, nullptr, FALSE);
}

void DrawSummaryPane(HWND hDlg, int idTab, const DRAWITEMSTRUCT* pDis, UISETTINGS* pObj)
{
    if (!pDis)
        return;
    if (!pObj) {
        FillRect(pDis->hDC, &pDis->rcItem, (HBRUSH)(COLOR_BTNFACE + 1));
        DrawPreviewFrame(pDis->hDC, &pDis->rcItem);
        return;
    }
    if (pDis->CtlID == IDC_PREVIEW_ICONS) {
        PaintSettingIconPanel(pDis->hDC, &pDis->rcItem, pObj);
        ForgetFeatureBinding(pObj);
        return;
    }
    if (bMachineViewTab(hDlg, idTab)) {
        PaintMachineView(pDis->hDC, &pDis->rcItem, pObj, FALSE);
        PaintMachineOutputView(pDis->hDC, &pDis->rcItem, pObj);
    } else {
        PaintPaperView(pDis->hDC, &pDis->rcItem, pObj);
    }
    ForgetFeatureBinding(pObj);
}
