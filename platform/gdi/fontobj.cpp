// fontobj.cpp: realised fonts, their glyphs, strings and EngTextOut.
//
// Entry points: FONTOBJ_pifi, FONTOBJ_pxoGetXform, FONTOBJ_cGetGlyphs,
// FONTOBJ_vGetInfo, STROBJ_vEnumStart, STROBJ_bEnum,
// STROBJ_bEnumPositionsOnly, EngTextOut, EngUnicodeToMultiByteN,
// EngMultiByteToUnicodeN and the host side (PlatFont*, PlatStr*). Rules in
// fontobj.h.
//
// A realisation is one face at one size, width and angle for one device
// resolution. The engine keeps realisations in a cache keyed by everything
// that changes their glyphs; a realisation nobody holds is dropped, oldest
// first, when the cache grows past kCacheSize. Each realisation renders a
// glyph's bitmap and outline the first time they are asked for and keeps
// them until it is dropped. All of it runs under FontLock(), since FreeType
// faces are shared between realisations. A realisation of a Latin face
// holds a realisation of a Japanese face for the characters it lacks (font
// linking); an "@" face reads its vertical forms from the face's glyph
// substitution table.
#include "platform/gdi/fontobj.h"

#include "platform/gdi/fonts.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/fpmath.h"
#include "platform/kernel/kernel.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

const ULONG kFontMagic = 0x544E4F46;  // "FONT"
const ULONG kStrMagic = 0x52545353;   // "SSTR"
const size_t kCacheSize = 32;         // realisations kept when nobody holds them
const double kPi = 3.14159265358979323846;
const double kItalicSlant = 0.2126;   // tan of the slant given to simulated italics

struct GLYPHENTRY {
    GLYPHDATA gdBits;              // with gdf.pgb, once rendered
    GLYPHDATA gdPath;              // with gdf.ppo, once outlined
    GLYPHDEF gdfBits;              // what GLYPHPOS.pgdf points at
    std::vector<BYTE> bits;        // the GLYPHBITS record
    PATHOBJ* ppo = nullptr;        // the outline, owned here
    BOOL bBits = FALSE;
    BOOL bPath = FALSE;
};

struct FONTREAL {
    FONTOBJ fo;                    // the driver's view; first, so the head is the record
    ULONG ulMagic;
    LONG cRefs;                    // holders (DCs, strings, tests)
    ULONGLONG ullLastUse;          // for dropping the oldest
    std::string strKey;            // its key in the cache
    FACEINFO face;
    FT_Face ftFace;                // shared with other realisations of the face
    LOGFONTW lf;                   // the request
    FONTREAL* pLinked = nullptr;   // Japanese face for characters the face lacks
    BOOL bLinkTried = FALSE;
    double dEm;                    // pixels per em
    double dWidth;                 // horizontal stretch (1: as designed)
    double dAngle;                 // baseline angle, radians counter-clockwise
    FT_Matrix ftMatrix;            // stretch, slant and rotation for FreeType (y up)
    FT_Pos posEmbolden;            // 26.6 pixels added to strokes, 0 without bold
    LONG lBoldExtra;               // pixels the emboldening adds to each advance
    XFORMOBJ* pxo = nullptr;       // notional to device
    std::vector<BYTE> ifi;         // IFIMETRICS and the names after it
    PLATFONTMETRICS metrics;
    std::unordered_map<HGLYPH, std::unique_ptr<GLYPHENTRY>> glyphs;
    std::unordered_map<char16_t, HGLYPH> charGlyphs;
    std::unordered_map<HGLYPH, LONG> advances;
    std::set<HGLYPH> upright;       // "@" face: glyphs of full-width characters
    // Characters below 0x80 with the glyph and advance GlyphOfChar and
    // AdvanceOf gave them (neither answer changes once given), so that a
    // line of text does not look each character up in the maps.
    HGLYPH ahgAscii[128];
    LONG alAdvAscii[128];
    BYTE abAscii[128];              // 1: the entry is filled
};

struct STRREAL {
    STROBJ so;                     // the driver's view; first
    ULONG ulMagic;
    FONTREAL* pf;                  // held while the string lives
    std::u16string str;            // pwszOrg points here
    std::vector<GLYPHPOS> gp;
    ULONG cBatch;                  // 0: the whole string in pgp
    ULONG iNext;                   // next position STROBJ_bEnum hands out
    POINTL ptlEnd;
};

// The cache lives as long as the process: it is never torn down at exit,
// while drivers and hosts may still hold its fonts.
std::map<std::string, FONTREAL*>& g_cache = *new std::map<std::string, FONTREAL*>();
std::set<const void*>& g_liveFonts = *new std::set<const void*>();
std::set<const void*>& g_liveStrs = *new std::set<const void*>();
ULONGLONG g_ullClock = 0;
ULONG g_ulUniq = 1;
ULONG g_cRendered = 0;

FONTREAL* LookupFont(FONTOBJ* pfo)
{
    if (!pfo || g_liveFonts.find(pfo) == g_liveFonts.end())
        return nullptr;
    FONTREAL* pf = reinterpret_cast<FONTREAL*>(pfo);
    return pf->ulMagic == kFontMagic ? pf : nullptr;
}

STRREAL* LookupStr(STROBJ* pstro)
{
    if (!pstro || g_liveStrs.find(pstro) == g_liveStrs.end())
        return nullptr;
    STRREAL* ps = reinterpret_cast<STRREAL*>(pstro);
    return ps->ulMagic == kStrMagic ? ps : nullptr;
}

LONG Round(double d)
{
    return static_cast<LONG>(std::floor(d + 0.5));
}

FT_Fixed ToFixed(double d)
{
    return static_cast<FT_Fixed>(std::llround(d * 65536.0));
}

void FreeFont(FONTREAL* pf)
{
    if (pf->pLinked)
        FreeFont(pf->pLinked);
    for (auto& it : pf->glyphs)
        if (it.second->ppo)
            EngDeletePath(it.second->ppo);
    if (pf->pxo)
        PlatXformDelete(pf->pxo);
    g_liveFonts.erase(pf);
    pf->ulMagic = 0;
    delete pf;
}

// Drops the oldest realisations nobody holds while the cache is too big.
void TrimCache(size_t cKeep)
{
    while (g_cache.size() > cKeep) {
        auto oldest = g_cache.end();
        for (auto it = g_cache.begin(); it != g_cache.end(); ++it)
            if (it->second->cRefs == 0 &&
                (oldest == g_cache.end() || it->second->ullLastUse < oldest->second->ullLastUse))
                oldest = it;
        if (oldest == g_cache.end())
            return;
        FONTREAL* pf = oldest->second;
        g_cache.erase(oldest);
        FreeFont(pf);
    }
}

std::string KeyOf(const LOGFONTW* plf, LONG lDpiX, LONG lDpiY)
{
    std::string key(reinterpret_cast<const char*>(plf), offsetof(LOGFONTW, lfFaceName));
    for (int i = 0; i < LF_FACESIZE && plf->lfFaceName[i]; i++) {
        key += static_cast<char>(plf->lfFaceName[i] & 0xFF);
        key += static_cast<char>(plf->lfFaceName[i] >> 8);
    }
    key.append(reinterpret_cast<const char*>(&lDpiX), sizeof(lDpiX));
    key.append(reinterpret_cast<const char*>(&lDpiY), sizeof(lDpiY));
    return key;
}

void PutName(std::vector<BYTE>* pBuf, PTRDIFF* pdp, const std::u16string& s)
{
    *pdp = static_cast<PTRDIFF>(pBuf->size());
    size_t cb = (s.size() + 1) * sizeof(WCHAR);
    size_t at = pBuf->size();
    pBuf->resize(at + cb, 0);
    std::memcpy(pBuf->data() + at, s.data(), s.size() * sizeof(WCHAR));
}

// Builds the IFIMETRICS of the realisation's face, with its names after it.
void BuildIfi(FONTREAL* pf)
{
    FT_Face face = pf->ftFace;
    const TT_OS2* pOs2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const TT_HoriHeader* pHhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const TT_Postscript* pPost = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    std::vector<BYTE> buf(sizeof(IFIMETRICS), 0);
    IFIMETRICS ifi;
    std::memset(&ifi, 0, sizeof(ifi));
    ifi.jWinCharSet = pf->face.jCharSet;
    ifi.jWinPitchAndFamily = pf->face.jPitchAndFamily;
    ifi.usWinWeight = pf->face.usFaceWeight;
    ifi.flInfo = FM_INFO_TECH_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_1BPP |
                 FM_INFO_RETURNS_OUTLINES | FM_INFO_RETURNS_BITMAPS | FM_INFO_UNICODE_COMPLIANT |
                 FM_INFO_RIGHT_HANDED;
    if ((pf->face.jPitchAndFamily & 3) == 1)
        ifi.flInfo |= FM_INFO_OPTICALLY_FIXED_PITCH;
    ifi.fsSelection = pf->face.bFaceItalic ? FM_SEL_ITALIC : 0;
    if (pf->face.usFaceWeight >= 600)
        ifi.fsSelection |= FM_SEL_BOLD;
    if (!(ifi.fsSelection & (FM_SEL_ITALIC | FM_SEL_BOLD)))
        ifi.fsSelection |= FM_SEL_REGULAR;
    // Tenths of a degree counter-clockwise from upright: negative for faces
    // that lean right, as the face's own table gives it.
    ifi.lItalicAngle = pPost ? Round(pPost->italicAngle / 65536.0 * 10.0) : 0;
    ifi.fwdUnitsPerEm = static_cast<FWORD>(face->units_per_EM);
    ifi.fwdLowestPPEm = 9;
    if (pOs2) {
        ifi.fwdWinAscender = static_cast<FWORD>(pOs2->usWinAscent);
        ifi.fwdWinDescender = static_cast<FWORD>(pOs2->usWinDescent);
        ifi.fwdTypoAscender = pOs2->sTypoAscender;
        ifi.fwdTypoDescender = pOs2->sTypoDescender;
        ifi.fwdTypoLineGap = pOs2->sTypoLineGap;
        ifi.fwdAveCharWidth = pOs2->xAvgCharWidth;
        ifi.fwdCapHeight = pOs2->sCapHeight;
        ifi.fwdXHeight = pOs2->sxHeight;
        ifi.fwdSubscriptXSize = pOs2->ySubscriptXSize;
        ifi.fwdSubscriptYSize = pOs2->ySubscriptYSize;
        ifi.fwdSubscriptXOffset = pOs2->ySubscriptXOffset;
        ifi.fwdSubscriptYOffset = pOs2->ySubscriptYOffset;
        ifi.fwdSuperscriptXSize = pOs2->ySuperscriptXSize;
        ifi.fwdSuperscriptYSize = pOs2->ySuperscriptYSize;
        ifi.fwdSuperscriptXOffset = pOs2->ySuperscriptXOffset;
        ifi.fwdSuperscriptYOffset = pOs2->ySuperscriptYOffset;
        ifi.fwdStrikeoutSize = pOs2->yStrikeoutSize;
        ifi.fwdStrikeoutPosition = pOs2->yStrikeoutPosition;
        std::memcpy(ifi.achVendId, pOs2->achVendID, 4);
        std::memcpy(&ifi.panose, pOs2->panose, sizeof(ifi.panose));
        ifi.wcFirstChar = static_cast<WCHAR>(pOs2->usFirstCharIndex);
        ifi.wcLastChar = static_cast<WCHAR>(pOs2->usLastCharIndex);
    } else {
        ifi.fwdWinAscender = static_cast<FWORD>(face->ascender);
        ifi.fwdWinDescender = static_cast<FWORD>(-face->descender);
        ifi.wcFirstChar = 0x20;
        ifi.wcLastChar = 0xFFFF;
    }
    if (pHhea) {
        ifi.fwdMacAscender = pHhea->Ascender;
        ifi.fwdMacDescender = pHhea->Descender;
        ifi.fwdMacLineGap = pHhea->Line_Gap;
        ifi.fwdMaxCharInc = static_cast<FWORD>(pHhea->advance_Width_Max);
    }
    if (pPost) {
        ifi.fwdUnderscoreSize = pPost->underlineThickness;
        ifi.fwdUnderscorePosition = pPost->underlinePosition;
    }
    ifi.chFirstChar = 0x20;
    ifi.chLastChar = 0xFF;
    ifi.chDefaultChar = '?';
    ifi.chBreakChar = ' ';
    ifi.wcDefaultChar = u'?';
    ifi.wcBreakChar = u' ';
    ifi.ptlBaseline = POINTL{1, 0};
    ifi.ptlAspect = POINTL{1, 1};
    ifi.ptlCaret = POINTL{0, 1};
    ifi.rclFontBox = RECTL{static_cast<LONG>(face->bbox.xMin), static_cast<LONG>(face->bbox.yMax),
                           static_cast<LONG>(face->bbox.xMax), static_cast<LONG>(face->bbox.yMin)};
    ifi.ulPanoseCulture = 0;
    std::memcpy(buf.data(), &ifi, sizeof(ifi));

    std::u16string strStyle = pf->face.bFaceItalic
                                  ? (pf->face.usFaceWeight >= 600 ? u"Bold Italic" : u"Italic")
                                  : (pf->face.usFaceWeight >= 600 ? u"Bold" : u"Regular");
    IFIMETRICS* pIfi = reinterpret_cast<IFIMETRICS*>(buf.data());
    PTRDIFF dpFamily, dpStyle, dpFace, dpUnique;
    PutName(&buf, &dpFamily, pf->face.strName);
    PutName(&buf, &dpStyle, strStyle);
    PutName(&buf, &dpFace, strStyle == u"Regular" ? pf->face.strName
                                                  : pf->face.strName + u" " + strStyle);
    PutName(&buf, &dpUnique, pf->face.strName + u":" + strStyle);
    pIfi = reinterpret_cast<IFIMETRICS*>(buf.data());
    pIfi->dpwszFamilyName = dpFamily;
    pIfi->dpwszStyleName = dpStyle;
    pIfi->dpwszFaceName = dpFace;
    pIfi->dpwszUniqueName = dpUnique;
    pIfi->cjThis = static_cast<ULONG>(buf.size());
    pf->ifi.swap(buf);
}

void BuildMetrics(FONTREAL* pf)
{
    const IFIMETRICS* pIfi = reinterpret_cast<const IFIMETRICS*>(pf->ifi.data());
    double dScale = pf->dEm / pIfi->fwdUnitsPerEm;
    PLATFONTMETRICS& m = pf->metrics;
    m.lEmHeight = Round(pf->dEm);
    m.lAscent = Round(pIfi->fwdWinAscender * dScale);
    m.lDescent = Round(pIfi->fwdWinDescender * dScale);
    m.lInternalLeading = std::max<LONG>(0, m.lAscent + m.lDescent - m.lEmHeight);
    LONG lHheaHeight = pIfi->fwdMacAscender - pIfi->fwdMacDescender + pIfi->fwdMacLineGap;
    LONG lWinHeight = pIfi->fwdWinAscender + pIfi->fwdWinDescender;
    m.lExternalLeading = std::max<LONG>(0, Round((lHheaHeight - lWinHeight) * dScale));
    m.lAveCharWidth = Round(pIfi->fwdAveCharWidth * dScale * pf->dWidth);
    m.lMaxCharWidth = Round(pIfi->fwdMaxCharInc * dScale * pf->dWidth) + pf->lBoldExtra;
    m.lUnderlinePos = -Round(pIfi->fwdUnderscorePosition * dScale);
    m.lUnderlineSize = std::max<LONG>(1, Round(pIfi->fwdUnderscoreSize * dScale));
    m.lStrikeoutPos = Round(pIfi->fwdStrikeoutPosition * dScale);
    m.lStrikeoutSize = std::max<LONG>(1, Round(pIfi->fwdStrikeoutSize * dScale));
    m.bFixedPitch = (pf->face.jPitchAndFamily & 3) == 1;
}

// Size, stretch and angle of a realisation: FreeType's matrix, the
// emboldening and the notional-to-device transform.
BOOL SetGeometry(FONTREAL* pf, double dEm, double dWidth, double dAngle)
{
    pf->dEm = dEm;
    pf->dWidth = dWidth;
    pf->dAngle = dAngle;
    double c = PlatCos(dAngle), s = PlatSin(dAngle);
    if (std::abs(c) < 1e-12)
        c = 0;
    if (std::abs(s) < 1e-12)
        s = 0;
    double k = pf->face.bSimItalic ? kItalicSlant : 0.0;
    // FreeType works with y up: stretch, then slant, then turn.
    pf->ftMatrix.xx = ToFixed(c * dWidth);
    pf->ftMatrix.xy = ToFixed(c * k - s);
    pf->ftMatrix.yx = ToFixed(s * dWidth);
    pf->ftMatrix.yy = ToFixed(s * k + c);
    pf->posEmbolden = 0;
    pf->lBoldExtra = 0;
    if (pf->face.bSimBold) {
        pf->posEmbolden = std::max<FT_Pos>(64, static_cast<FT_Pos>(dEm * 64 / 24));
        pf->lBoldExtra = Round(pf->posEmbolden / 64.0);
    }

    // Notional space has y down like the device: x' = m11 x + m21 y.
    double dScale = dEm / pf->ftFace->units_per_EM;
    XFORML xf;
    xf.eM11 = static_cast<FLOATL>(dScale * dWidth * c);
    xf.eM12 = static_cast<FLOATL>(-dScale * dWidth * s);
    xf.eM21 = static_cast<FLOATL>(dScale * s);
    xf.eM22 = static_cast<FLOATL>(dScale * c);
    xf.eDx = 0;
    xf.eDy = 0;
    if (pf->pxo)
        PlatXformDelete(pf->pxo);
    pf->pxo = PlatXformCreate(&xf);
    return pf->pxo != nullptr;
}

FONTREAL* NewRealization(const LOGFONTW* plf, LONG lDpiX, LONG lDpiY)
{
    FACEINFO face;
    if (!FontResolve(plf, &face))
        return nullptr;
    FT_Face ftFace = FontOpenFace(face.strFile, face.iIndex);
    if (!ftFace || ftFace->units_per_EM == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    FONTREAL* pf = new (std::nothrow) FONTREAL();
    if (!pf) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pf->ulMagic = kFontMagic;
    pf->face = face;
    pf->ftFace = ftFace;
    const TT_OS2* pOs2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    double dUpem = ftFace->units_per_EM;
    double dCell = pOs2 ? static_cast<double>(pOs2->usWinAscent) + pOs2->usWinDescent
                        : static_cast<double>(ftFace->ascender - ftFace->descender);
    if (dCell <= 0)
        dCell = dUpem;

    // A negative height is the em height; a positive one the cell height;
    // none asks for 12 points.
    double dEm;
    if (plf->lfHeight < 0)
        dEm = -static_cast<double>(plf->lfHeight);
    else if (plf->lfHeight > 0)
        dEm = plf->lfHeight * dUpem / dCell;
    else
        dEm = 12.0 * lDpiY / 72.0;
    double dAspect = lDpiY > 0 && lDpiX > 0 ? static_cast<double>(lDpiX) / lDpiY : 1.0;
    double dWidth = dAspect;
    if (plf->lfWidth != 0) {
        double dAvg = pOs2 && pOs2->xAvgCharWidth > 0 ? pOs2->xAvgCharWidth : dUpem / 2;
        dWidth = std::abs(static_cast<double>(plf->lfWidth)) / (dAvg * dEm / dUpem);
    }
    pf->lf = *plf;
    if (!SetGeometry(pf, dEm, dWidth, (plf->lfEscapement % 3600) / 10.0 * kPi / 180.0)) {
        delete pf;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    BuildIfi(pf);
    BuildMetrics(pf);

    FONTOBJ& fo = pf->fo;
    fo.iUniq = g_ulUniq++;
    fo.iFace = 0;
    fo.cxMax = static_cast<ULONG>(pf->metrics.lMaxCharWidth);
    fo.flFontType = FO_TYPE_TRUETYPE;
    if (face.bSimBold)
        fo.flFontType |= FO_SIM_BOLD;
    if (face.bSimItalic)
        fo.flFontType |= FO_SIM_ITALIC;
    if (face.bVertical)
        fo.flFontType |= FO_VERT_FACE;
    if (face.jCharSet == 128)
        fo.flFontType |= FO_DBCS_FONT;
    fo.iTTUniq = reinterpret_cast<ULONG_PTR>(ftFace);
    fo.iFile = reinterpret_cast<ULONG_PTR>(ftFace);
    fo.sizLogResPpi = SIZE{lDpiX, lDpiY};
    fo.ulStyleSize = 0;
    g_liveFonts.insert(pf);
    return pf;
}

// Sizes the shared face for this realisation before FreeType renders. In
// an "@" face a full-width character's glyph turns a quarter counter-
// clockwise inside its em box, so that text run downward shows it upright.
BOOL PrepareFace(FONTREAL* pf, HGLYPH hg)
{
    FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::llround(pf->dEm * 64));
    if (size < 1)
        size = 1;
    if (FT_Set_Char_Size(pf->ftFace, size, size, 72, 72) != 0)
        return FALSE;
    if (pf->upright.find(hg) == pf->upright.end()) {
        FT_Set_Transform(pf->ftFace, &pf->ftMatrix, nullptr);
        return TRUE;
    }
    // (X, Y) becomes (a - Y, X - d): a quarter turn, then the em box moved
    // back to start at the origin and to span the ascent and descent.
    FT_Face face = pf->ftFace;
    double dAscFraction = face->ascender - face->descender > 0
                              ? static_cast<double>(face->ascender) / (face->ascender - face->descender)
                              : 0.88;
    double a = pf->dEm * dAscFraction * 64, d = pf->dEm * (1 - dAscFraction) * 64;
    const FT_Matrix& m = pf->ftMatrix;
    FT_Matrix turn = {m.xy, -m.xx, m.yy, -m.yx};
    FT_Vector delta = {static_cast<FT_Pos>(std::llround((m.xx * a - m.xy * d) / 65536.0)),
                       static_cast<FT_Pos>(std::llround((m.yx * a - m.yy * d) / 65536.0))};
    FT_Set_Transform(face, &turn, &delta);
    return TRUE;
}

// Glyphs a Latin face lacks (Japanese text in "Arial", say) come from a
// Japanese face of the same size, as the platform links its fonts; their
// handles carry kLinked.
const HGLYPH kLinked = 0x80000000u;

FONTREAL* Linked(FONTREAL* pf)
{
    if (pf->bLinkTried)
        return pf->pLinked;
    pf->bLinkTried = TRUE;
    if (pf->face.jCharSet == 128)
        return nullptr;
    LOGFONTW lf = pf->lf;
    const char16_t* pszFace = (pf->face.jPitchAndFamily & 3) == 1 ? u"ＭＳ ゴシック" : u"ＭＳ Ｐゴシック";
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    for (int i = 0; pszFace[i]; i++)
        lf.lfFaceName[i] = pszFace[i];
    lf.lfCharSet = 128;
    lf.lfHeight = -1;
    lf.lfWidth = 0;
    FONTREAL* pLinked = NewRealization(&lf, pf->fo.sizLogResPpi.cx, pf->fo.sizLogResPpi.cy);
    if (!pLinked)
        return nullptr;
    if (!SetGeometry(pLinked, pf->dEm, pf->dWidth, pf->dAngle)) {
        FreeFont(pLinked);
        return nullptr;
    }
    BuildMetrics(pLinked);
    pf->pLinked = pLinked;
    return pLinked;
}

LONG AdvanceOf(FONTREAL* pf, HGLYPH hg)
{
    if ((hg & kLinked) && pf->pLinked)
        return AdvanceOf(pf->pLinked, hg & ~kLinked);
    auto it = pf->advances.find(hg);
    if (it != pf->advances.end())
        return it->second;
    FT_Fixed adv = 0;
    FT_Get_Advance(pf->ftFace, hg, FT_LOAD_NO_SCALE, &adv);
    LONG l = Round(adv * pf->dEm / pf->ftFace->units_per_EM * pf->dWidth) + pf->lBoldExtra;
    if (pf->upright.find(hg) != pf->upright.end())
        l = Round(pf->dEm * pf->dWidth) + pf->lBoldExtra;  // one em down the column
    pf->advances[hg] = l;
    return l;
}

GLYPHENTRY* EntryOf(FONTREAL* pf, HGLYPH hg)
{
    auto it = pf->glyphs.find(hg);
    if (it != pf->glyphs.end())
        return it->second.get();
    std::unique_ptr<GLYPHENTRY> p(new (std::nothrow) GLYPHENTRY());
    if (!p)
        return nullptr;
    GLYPHENTRY* pe = p.get();
    pf->glyphs[hg] = std::move(p);
    return pe;
}

void FillMetrics(FONTREAL* pf, HGLYPH hg, GLYPHDATA* pgd, const RECTL& rclInk)
{
    LONG lAdv = AdvanceOf(pf, hg);
    pgd->hg = hg;
    pgd->fxD = lAdv * 16;
    pgd->fxA = rclInk.left * 16;
    pgd->fxAB = rclInk.right * 16;
    pgd->fxInkTop = -rclInk.top * 16;
    pgd->fxInkBottom = -rclInk.bottom * 16;
    pgd->rclInk = rclInk;
    double dx = lAdv * PlatCos(pf->dAngle), dy = -lAdv * PlatSin(pf->dAngle);
    pgd->ptqD.x = static_cast<LONGLONG>(std::llround(dx * 4294967296.0));
    pgd->ptqD.y = static_cast<LONGLONG>(std::llround(dy * 4294967296.0));
}

GLYPHENTRY* RenderBits(FONTREAL* pf, HGLYPH hg)
{
    GLYPHENTRY* pe = EntryOf(pf, hg);
    if (!pe)
        return nullptr;
    if (pe->bBits)
        return pe;
    if ((hg & kLinked) && pf->pLinked) {
        GLYPHENTRY* peLinked = RenderBits(pf->pLinked, hg & ~kLinked);
        if (!peLinked)
            return nullptr;
        pe->bits = peLinked->bits;
        pe->gdBits = peLinked->gdBits;
        pe->gdBits.hg = hg;
        pe->gdBits.gdf.pgb = reinterpret_cast<GLYPHBITS*>(pe->bits.data());
        pe->gdfBits.pgb = pe->gdBits.gdf.pgb;
        pe->bBits = TRUE;
        return pe;
    }
    if (!PrepareFace(pf, hg))
        return nullptr;
    FT_Int32 flags = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(pf->ftFace, hg, flags) != 0)
        return nullptr;
    FT_GlyphSlot slot = pf->ftFace->glyph;
    if (pf->posEmbolden && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Embolden(&slot->outline, pf->posEmbolden);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return nullptr;
    const FT_Bitmap& bm = slot->bitmap;
    LONG cx = static_cast<LONG>(bm.width), cy = static_cast<LONG>(bm.rows);
    POINTL ptlOrigin = {slot->bitmap_left, -slot->bitmap_top};
    BOOL bBlank = cx <= 0 || cy <= 0;
    if (bBlank) {
        cx = cy = 1;
        ptlOrigin = POINTL{0, 0};
    }
    LONG cjRow = (cx + 7) / 8;
    pe->bits.assign(offsetof(GLYPHBITS, aj) + static_cast<size_t>(cjRow) * cy, 0);
    GLYPHBITS* pgb = reinterpret_cast<GLYPHBITS*>(pe->bits.data());
    pgb->ptlOrigin = ptlOrigin;
    pgb->sizlBitmap = SIZEL{cx, cy};
    if (!bBlank) {
        for (LONG y = 0; y < cy; y++) {
            const BYTE* pSrc = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
            if (bm.pitch < 0)
                pSrc = bm.buffer + static_cast<ptrdiff_t>(cy - 1 - y) * (-bm.pitch);
            std::memcpy(pgb->aj + static_cast<size_t>(y) * cjRow, pSrc, static_cast<size_t>(cjRow));
        }
    }
    RECTL rclInk = {ptlOrigin.x, ptlOrigin.y, ptlOrigin.x + (bBlank ? 0 : cx),
                    ptlOrigin.y + (bBlank ? 0 : cy)};
    FillMetrics(pf, hg, &pe->gdBits, rclInk);
    pe->gdBits.gdf.pgb = pgb;
    pe->gdfBits.pgb = pgb;
    pe->bBits = TRUE;
    g_cRendered++;
    return pe;
}

// Collects a FreeType outline (26.6, y up) into a path (28.4, y down).
struct OUTLINESINK {
    PATHOBJ* ppo;
    BOOL bOpen;      // a figure has been started
    FT_Vector last;  // current point, 26.6
    BOOL bOk;
};

POINTFIX Fix(const FT_Vector* p)
{
    return POINTFIX{static_cast<FIX>(p->x >> 2), static_cast<FIX>(-(p->y >> 2))};
}

int SinkMove(const FT_Vector* to, void* user)
{
    OUTLINESINK* pSink = static_cast<OUTLINESINK*>(user);
    if (pSink->bOpen)
        pSink->bOk = pSink->bOk && PATHOBJ_bCloseFigure(pSink->ppo);
    pSink->bOk = pSink->bOk && PATHOBJ_bMoveTo(pSink->ppo, Fix(to));
    pSink->bOpen = TRUE;
    pSink->last = *to;
    return pSink->bOk ? 0 : 1;
}

int SinkLine(const FT_Vector* to, void* user)
{
    OUTLINESINK* pSink = static_cast<OUTLINESINK*>(user);
    POINTFIX pt = Fix(to);
    pSink->bOk = pSink->bOk && PATHOBJ_bPolyLineTo(pSink->ppo, &pt, 1);
    pSink->last = *to;
    return pSink->bOk ? 0 : 1;
}

int SinkConic(const FT_Vector* control, const FT_Vector* to, void* user)
{
    OUTLINESINK* pSink = static_cast<OUTLINESINK*>(user);
    // A quadratic curve is the cubic with controls two thirds of the way
    // from each end to the quadratic's control.
    FT_Vector c1 = {pSink->last.x + 2 * (control->x - pSink->last.x) / 3,
                    pSink->last.y + 2 * (control->y - pSink->last.y) / 3};
    FT_Vector c2 = {to->x + 2 * (control->x - to->x) / 3, to->y + 2 * (control->y - to->y) / 3};
    POINTFIX apt[3] = {Fix(&c1), Fix(&c2), Fix(to)};
    pSink->bOk = pSink->bOk && PATHOBJ_bPolyBezierTo(pSink->ppo, apt, 3);
    pSink->last = *to;
    return pSink->bOk ? 0 : 1;
}

int SinkCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    OUTLINESINK* pSink = static_cast<OUTLINESINK*>(user);
    POINTFIX apt[3] = {Fix(c1), Fix(c2), Fix(to)};
    pSink->bOk = pSink->bOk && PATHOBJ_bPolyBezierTo(pSink->ppo, apt, 3);
    pSink->last = *to;
    return pSink->bOk ? 0 : 1;
}

GLYPHENTRY* RenderPath(FONTREAL* pf, HGLYPH hg)
{
    GLYPHENTRY* pe = EntryOf(pf, hg);
    if (!pe)
        return nullptr;
    if (pe->bPath)
        return pe;
    if ((hg & kLinked) && pf->pLinked) {
        // The outline stays the linked realisation's, which lives as long.
        GLYPHENTRY* peLinked = RenderPath(pf->pLinked, hg & ~kLinked);
        if (!peLinked)
            return nullptr;
        pe->gdPath = peLinked->gdPath;
        pe->gdPath.hg = hg;
        pe->bPath = TRUE;
        return pe;
    }
    if (!PrepareFace(pf, hg))
        return nullptr;
    if (FT_Load_Glyph(pf->ftFace, hg, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0)
        return nullptr;
    FT_GlyphSlot slot = pf->ftFace->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return nullptr;
    if (pf->posEmbolden)
        FT_Outline_Embolden(&slot->outline, pf->posEmbolden);
    PATHOBJ* ppo = EngCreatePath();
    if (!ppo)
        return nullptr;
    OUTLINESINK sink = {ppo, FALSE, {0, 0}, TRUE};
    FT_Outline_Funcs funcs = {SinkMove, SinkLine, SinkConic, SinkCubic, 0, 0};
    FT_Outline_Decompose(&slot->outline, &funcs, &sink);
    if (sink.bOpen && sink.bOk)
        sink.bOk = PATHOBJ_bCloseFigure(ppo);
    if (!sink.bOk) {
        EngDeletePath(ppo);
        return nullptr;
    }
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    RECTL rclInk = {static_cast<LONG>(box.xMin >> 6), static_cast<LONG>(-((box.yMax + 63) >> 6)),
                    static_cast<LONG>((box.xMax + 63) >> 6), static_cast<LONG>(-(box.yMin >> 6))};
    FillMetrics(pf, hg, &pe->gdPath, rclInk);
    pe->ppo = ppo;
    pe->gdPath.gdf.ppo = ppo;
    pe->bPath = TRUE;
    return pe;
}

// Characters that stand upright in vertical text: those of two bytes in the
// Japanese code page, other than the half-width forms.
BOOL IsFullWidth(char16_t wc)
{
    if (wc < 0x80 || (wc >= 0xFF61 && wc <= 0xFF9F))
        return FALSE;
    char ach[4];
    BOOL bDefault = FALSE;
    int cb = WideCharToMultiByte(932, 0, &wc, 1, ach, sizeof(ach), nullptr, &bDefault);
    return cb == 2 && !bDefault;
}

// --- vertical forms ---
// An "@" face draws the vertical forms its face defines (the 'vert'
// feature of the glyph substitution table: long vowel marks, brackets,
// small kana and punctuation set for columns), as the platform does.

inline ULONG Be16(const std::vector<BYTE>& t, size_t at)
{
    return at + 2 <= t.size() ? (static_cast<ULONG>(t[at]) << 8) | t[at + 1] : 0;
}

inline ULONG Be32(const std::vector<BYTE>& t, size_t at)
{
    return (Be16(t, at) << 16) | Be16(t, at + 2);
}

// The glyphs a coverage table lists, in coverage order.
std::vector<HGLYPH> Coverage(const std::vector<BYTE>& t, size_t at)
{
    std::vector<HGLYPH> out;
    ULONG iFormat = Be16(t, at), c = Be16(t, at + 2);
    for (ULONG i = 0; i < c && out.size() < 65536; i++) {
        if (iFormat == 1) {
            out.push_back(Be16(t, at + 4 + 2 * i));
        } else if (iFormat == 2) {
            size_t r = at + 4 + 6 * i;
            for (ULONG g = Be16(t, r); g <= Be16(t, r + 2) && out.size() < 65536; g++)
                out.push_back(g);
        }
    }
    return out;
}

void SingleSubst(const std::vector<BYTE>& t, size_t at, std::unordered_map<HGLYPH, HGLYPH>* pMap)
{
    ULONG iFormat = Be16(t, at);
    std::vector<HGLYPH> cover = Coverage(t, at + Be16(t, at + 2));
    for (size_t i = 0; i < cover.size(); i++) {
        HGLYPH to;
        if (iFormat == 1)
            to = (cover[i] + Be16(t, at + 4)) & 0xFFFF;
        else if (iFormat == 2 && i < Be16(t, at + 4))
            to = Be16(t, at + 6 + 2 * i);
        else
            continue;
        pMap->emplace(cover[i], to);
    }
}

const std::unordered_map<HGLYPH, HGLYPH>& VerticalForms(FT_Face face)
{
    static std::map<FT_Face, std::unordered_map<HGLYPH, HGLYPH>> s_forms;
    auto it = s_forms.find(face);
    if (it != s_forms.end())
        return it->second;
    std::unordered_map<HGLYPH, HGLYPH>& forms = s_forms[face];
    FT_ULong cb = 0;
    const FT_ULong kGsub = FT_MAKE_TAG('G', 'S', 'U', 'B');
    if (FT_Load_Sfnt_Table(face, kGsub, 0, nullptr, &cb) != 0 || cb < 10 || cb > (16u << 20))
        return forms;
    std::vector<BYTE> t(cb);
    if (FT_Load_Sfnt_Table(face, kGsub, 0, t.data(), &cb) != 0)
        return forms;
    size_t features = Be16(t, 6), lookups = Be16(t, 8);
    std::set<ULONG> aLookup;
    for (ULONG f = 0, cf = Be16(t, features); f < cf; f++) {
        size_t rec = features + 2 + 6 * f;
        if (Be32(t, rec) != FT_MAKE_TAG('v', 'e', 'r', 't'))
            continue;
        size_t feature = features + Be16(t, rec + 4);
        for (ULONG i = 0, ci = Be16(t, feature + 2); i < ci; i++)
            aLookup.insert(Be16(t, feature + 4 + 2 * i));
    }
    for (ULONG iLookup : aLookup) {
        if (iLookup >= Be16(t, lookups))
            continue;
        size_t lookup = lookups + Be16(t, lookups + 2 + 2 * iLookup);
        ULONG iType = Be16(t, lookup);
        for (ULONG k = 0, ck = Be16(t, lookup + 4); k < ck; k++) {
            size_t sub = lookup + Be16(t, lookup + 6 + 2 * k);
            if (iType == 7 && Be16(t, sub) == 1 && Be16(t, sub + 2) == 1)
                SingleSubst(t, sub + Be32(t, sub + 4), &forms);  // an extension holding one
            else if (iType == 1)
                SingleSubst(t, sub, &forms);
        }
    }
    return forms;
}

HGLYPH GlyphOfChar(FONTREAL* pf, char16_t wc)
{
    auto it = pf->charGlyphs.find(wc);
    if (it != pf->charGlyphs.end())
        return it->second;
    HGLYPH hg = FT_Get_Char_Index(pf->ftFace, wc);
    if (hg == 0 && wc >= 0x80 && Linked(pf)) {
        HGLYPH hgLinked = FT_Get_Char_Index(pf->pLinked->ftFace, wc);
        if (hgLinked)
            hg = kLinked | hgLinked;
    }
    if (pf->face.bVertical && hg != 0 && !(hg & kLinked)) {
        const std::unordered_map<HGLYPH, HGLYPH>& forms = VerticalForms(pf->ftFace);
        auto itForm = forms.find(hg);
        if (itForm != forms.end() && itForm->second != 0)
            hg = itForm->second;
        if (IsFullWidth(wc))
            pf->upright.insert(hg);
    }
    pf->charGlyphs[wc] = hg;
    return hg;
}

// Writes one pixel with a binary raster operation (R2_*: bit P*2+D of
// code-1 is the result).
inline ULONG Rop2(ULONG iRop, ULONG p, ULONG d)
{
    ULONG t = (iRop - 1) & 15, r = 0;
    if (t & 1)
        r |= ~p & ~d;
    if (t & 2)
        r |= ~p & d;
    if (t & 4)
        r |= p & ~d;
    if (t & 8)
        r |= p & d;
    return r;
}

struct PIXELTARGET {
    BYTE* pScan0;
    LONG lDelta;
    ULONG iFormat;
};

inline void PutPixel(const PIXELTARGET& t, LONG x, LONG y, ULONG iColor, ULONG iRop)
{
    BYTE* pRow = t.pScan0 + static_cast<ptrdiff_t>(y) * t.lDelta;
    switch (t.iFormat) {
    case BMF_1BPP: {
        BYTE bMask = static_cast<BYTE>(0x80u >> (x & 7));
        ULONG d = (pRow[x >> 3] & bMask) ? 1 : 0;
        ULONG v = iRop == R2_COPYPEN ? (iColor & 1) : (Rop2(iRop, iColor, d) & 1);
        if (v)
            pRow[x >> 3] |= bMask;
        else
            pRow[x >> 3] &= static_cast<BYTE>(~bMask);
        break;
    }
    case BMF_8BPP:
        pRow[x] = static_cast<BYTE>(iRop == R2_COPYPEN ? iColor : Rop2(iRop, iColor, pRow[x]));
        break;
    case BMF_24BPP:
    case BMF_32BPP: {
        BYTE* p = pRow + x * (t.iFormat == BMF_24BPP ? 3 : 4);
        ULONG d = (static_cast<ULONG>(p[0]) << 16) | (static_cast<ULONG>(p[1]) << 8) | p[2];
        ULONG v = iRop == R2_COPYPEN ? iColor : Rop2(iRop, iColor, d);
        p[0] = static_cast<BYTE>(v >> 16);
        p[1] = static_cast<BYTE>(v >> 8);
        p[2] = static_cast<BYTE>(v);
        break;
    }
    default:
        break;
    }
}

// The paint of a brush: one colour, or a pattern (a grey dithered onto a
// one-bit page) anchored at the brush origin.
struct TEXTPAINT {
    ULONG iSolid = 0;
    ENGPATTERN pat = {};
    LONG xOrg = 0, yOrg = 0;
    BOOL Pattern() const { return pat.pulColors && pat.cx > 0 && pat.cy > 0; }
    ULONG At(LONG x, LONG y) const
    {
        if (!Pattern())
            return iSolid;
        LONG px = ((x - xOrg) % pat.cx + pat.cx) % pat.cx, py = ((y - yOrg) % pat.cy + pat.cy) % pat.cy;
        return pat.pulColors[static_cast<size_t>(py) * pat.cx + px];
    }
};

void FillRect(const PIXELTARGET& t, const std::vector<RECTL>& clips, const RECTL& rc, const TEXTPAINT& paint,
              ULONG iRop)
{
    for (const RECTL& c : clips) {
        LONG l = std::max(rc.left, c.left), r = std::min(rc.right, c.right);
        LONG tp = std::max(rc.top, c.top), b = std::min(rc.bottom, c.bottom);
        for (LONG y = tp; y < b; y++)
            for (LONG x = l; x < r; x++)
                PutPixel(t, x, y, paint.At(x, y), iRop);
    }
}

// Eight bits of a glyph row starting at bit s (which may lie before the
// row's start); bits outside the row are blank.
inline BYTE GlyphByte(const BYTE* pRow, LONG cjRow, LONG s)
{
    if (s <= -8 || s >= cjRow * 8)
        return 0;
    if (s < 0)
        return static_cast<BYTE>(pRow[0] >> (-s));
    LONG i = s >> 3, sh = s & 7;
    unsigned v = static_cast<unsigned>(pRow[i]) << sh;
    if (sh && i + 1 < cjRow)
        v |= pRow[i + 1] >> (8 - sh);
    return static_cast<BYTE>(v);
}

// Copies the ink of a glyph onto a one-bit surface a byte at a time: the
// dense-page case, where pixel-by-pixel writing would dominate.
void BlitBits1(const PIXELTARGET& t, const GLYPHBITS* pgb, LONG x0, LONG y0, LONG xs, LONG xe,
               LONG ys, LONG ye, ULONG iColor)
{
    LONG cjRow = (pgb->sizlBitmap.cx + 7) / 8;
    for (LONG y = ys; y < ye; y++) {
        const BYTE* pSrc = pgb->aj + static_cast<size_t>(y - y0) * cjRow;
        BYTE* pDst = t.pScan0 + static_cast<ptrdiff_t>(y) * t.lDelta;
        for (LONG db = xs >> 3; db <= (xe - 1) >> 3; db++) {
            LONG xByte = db * 8;
            BYTE bMask = 0xFF;
            if (xByte < xs)
                bMask &= static_cast<BYTE>(0xFF >> (xs - xByte));
            if (xByte + 8 > xe)
                bMask &= static_cast<BYTE>(0xFF << (xByte + 8 - xe));
            BYTE bInk = GlyphByte(pSrc, cjRow, xByte - x0) & bMask;
            if (iColor)
                pDst[db] |= bInk;
            else
                pDst[db] &= static_cast<BYTE>(~bInk);
        }
    }
}

TEXTPAINT BrushPaint(BRUSHOBJ* pbo, ULONG iFormat, const POINTL* pptlOrg)
{
    TEXTPAINT p;
    if (pptlOrg) {
        p.xOrg = pptlOrg->x;
        p.yOrg = pptlOrg->y;
    }
    if (pbo->iSolidColor != 0xFFFFFFFF)
        p.iSolid = pbo->iSolidColor;
    else if (!EngBrushPattern(pbo, iFormat, &p.pat))
        p.iSolid = EngColorIndex(iFormat, BRUSHOBJ_ulGetBrushColor(pbo));
    return p;
}

}  // namespace

// --- FONTOBJ -------------------------------------------------------------------------

IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    return pf ? reinterpret_cast<IFIMETRICS*>(pf->ifi.data()) : nullptr;
}

XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    return pf ? pf->pxo : nullptr;
}

ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf || cGlyph == 0 || !phg || !ppvGlyph || (iMode != FO_GLYPHBITS && iMode != FO_PATHOBJ)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    pf->ullLastUse = ++g_ullClock;
    GLYPHENTRY* pe = iMode == FO_GLYPHBITS ? RenderBits(pf, phg[0]) : RenderPath(pf, phg[0]);
    if (!pe)
        return 0;
    *ppvGlyph = iMode == FO_GLYPHBITS ? &pe->gdBits : &pe->gdPath;
    return 1;
}

void FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf || !pfi || cjSize == 0)
        return;
    FONTINFO fi;
    std::memset(&fi, 0, sizeof(fi));
    fi.cjThis = sizeof(FONTINFO);
    fi.flCaps = FO_OUTLINE_CAPABLE;
    fi.cGlyphsSupported = static_cast<ULONG>(pf->ftFace->num_glyphs);
    // The largest glyph image: the face's box at this size, turned.
    double dScale = pf->dEm / pf->ftFace->units_per_EM;
    double w = (pf->ftFace->bbox.xMax - pf->ftFace->bbox.xMin) * dScale * pf->dWidth;
    double h = (pf->ftFace->bbox.yMax - pf->ftFace->bbox.yMin) * dScale;
    ULONG cx = static_cast<ULONG>(std::ceil(std::max(w, h) * 1.5)) + 2 + pf->lBoldExtra;
    ULONG cy = cx;
    auto cjFor = [&](ULONG bpp) {
        return static_cast<ULONG>(offsetof(GLYPHBITS, aj)) + (cx * bpp + 7) / 8 * cy;
    };
    fi.cjMaxGlyph1 = cjFor(1);
    fi.cjMaxGlyph4 = cjFor(4);
    fi.cjMaxGlyph8 = cjFor(8);
    fi.cjMaxGlyph32 = cjFor(32);
    std::memcpy(pfi, &fi, std::min<size_t>(cjSize, sizeof(fi)));
}

// --- STROBJ --------------------------------------------------------------------------

void STROBJ_vEnumStart(STROBJ* pstro)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    STRREAL* ps = LookupStr(pstro);
    if (ps)
        ps->iNext = 0;
}

static BOOL _StrEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos, BOOL bBits)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    STRREAL* ps = LookupStr(pstro);
    if (!ps || !pc || !ppgpos) {
        if (pc)
            *pc = 0;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONG cTotal = static_cast<ULONG>(ps->gp.size());
    ULONG cLeft = cTotal - std::min(ps->iNext, cTotal);
    ULONG c = ps->cBatch ? std::min(ps->cBatch, cLeft) : cLeft;
    GLYPHPOS* pgp = ps->gp.data() + ps->iNext;
    if (bBits) {
        for (ULONG i = 0; i < c; i++) {
            GLYPHENTRY* pe = RenderBits(ps->pf, pgp[i].hg);
            pgp[i].pgdf = pe ? &pe->gdfBits : nullptr;
        }
    }
    ps->iNext += c;
    *pc = c;
    *ppgpos = c ? pgp : nullptr;
    return ps->iNext < cTotal;
}

BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos)
{
    return _StrEnum(pstro, pc, ppgpos, TRUE);
}

BOOL STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos)
{
    return _StrEnum(pstro, pc, ppgpos, FALSE);
}

// --- EngTextOut ----------------------------------------------------------------------

BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                MIX mix)
{
    if (!pso || !pstro || !pfo || !pboFore || pso->iType != STYPE_BITMAP || !pso->pvScan0 ||
        (pso->iBitmapFormat != BMF_1BPP && pso->iBitmapFormat != BMF_8BPP &&
         pso->iBitmapFormat != BMF_24BPP && pso->iBitmapFormat != BMF_32BPP)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PIXELTARGET t = {static_cast<BYTE*>(pso->pvScan0), pso->lDelta, pso->iBitmapFormat};
    RECTL rclSurf = {0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
    std::vector<RECTL> clips;
    if (!pco || pco->iDComplexity == DC_TRIVIAL) {
        clips.push_back(rclSurf);
    } else if (!EngClipRects(pco, &rclSurf, &clips)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    ULONG iRop = mix & 0xFF;
    if (iRop < R2_BLACK || iRop > R2_WHITE)
        iRop = R2_COPYPEN;
    if (prclOpaque && pboOpaque)
        FillRect(t, clips, *prclOpaque, BrushPaint(pboOpaque, t.iFormat, pptlOrg), R2_COPYPEN);

    TEXTPAINT fore = BrushPaint(pboFore, t.iFormat, pptlOrg);
    STROBJ_vEnumStart(pstro);
    BOOL bMore;
    do {
        ULONG c = 0;
        GLYPHPOS* pgp = nullptr;
        bMore = STROBJ_bEnum(pstro, &c, &pgp);
        for (ULONG i = 0; i < c; i++) {
            if (!pgp[i].pgdf || !pgp[i].pgdf->pgb)
                continue;
            const GLYPHBITS* pgb = pgp[i].pgdf->pgb;
            LONG x0 = pgp[i].ptl.x + pgb->ptlOrigin.x, y0 = pgp[i].ptl.y + pgb->ptlOrigin.y;
            LONG cx = pgb->sizlBitmap.cx, cy = pgb->sizlBitmap.cy, cjRow = (cx + 7) / 8;
            for (const RECTL& rc : clips) {
                LONG xs = std::max(x0, rc.left), xe = std::min(x0 + cx, rc.right);
                LONG ys = std::max(y0, rc.top), ye = std::min(y0 + cy, rc.bottom);
                if (xs >= xe || ys >= ye)
                    continue;
                if (t.iFormat == BMF_1BPP && iRop == R2_COPYPEN && !fore.Pattern()) {
                    BlitBits1(t, pgb, x0, y0, xs, xe, ys, ye, fore.iSolid & 1);
                    continue;
                }
                for (LONG y = ys; y < ye; y++) {
                    const BYTE* pRow = pgb->aj + static_cast<size_t>(y - y0) * cjRow;
                    for (LONG x = xs; x < xe; x++) {
                        LONG bx = x - x0;
                        if (pRow[bx >> 3] & (0x80 >> (bx & 7)))
                            PutPixel(t, x, y, fore.At(x, y), iRop);
                    }
                }
            }
        }
    } while (bMore);

    // Underlines and strike-outs: a list ended by an all-zero rectangle.
    for (RECTL* prc = prclExtra; prc; prc++) {
        if (prc->left == 0 && prc->top == 0 && prc->right == 0 && prc->bottom == 0)
            break;
        FillRect(t, clips, *prc, fore, iRop);
    }
    return TRUE;
}

// --- code-page conversion ------------------------------------------------------------

void EngUnicodeToMultiByteN(LPSTR pszMB, ULONG cjMB, ULONG* pcbWritten, LPCWSTR pwszUnicode,
                            ULONG cjUnicode)
{
    ULONG cbOut = 0;
    ULONG cch = cjUnicode / sizeof(WCHAR);
    if (pszMB && pwszUnicode) {
        // Whole characters only: a double-byte character that does not fit
        // is left out rather than cut in half.
        char ach[4];
        for (ULONG i = 0; i < cch; i++) {
            int cb = WideCharToMultiByte(CP_ACP, 0, pwszUnicode + i, 1, ach, sizeof(ach), nullptr,
                                         nullptr);
            if (cb <= 0) {
                ach[0] = '?';
                cb = 1;
            }
            if (cbOut + static_cast<ULONG>(cb) > cjMB)
                break;
            std::memcpy(pszMB + cbOut, ach, static_cast<size_t>(cb));
            cbOut += static_cast<ULONG>(cb);
        }
    }
    if (pcbWritten)
        *pcbWritten = cbOut;
}

void EngMultiByteToUnicodeN(LPWSTR pwszUnicode, ULONG cjUnicode, ULONG* pcbWritten,
                            LPCSTR pszMB, ULONG cjMB)
{
    ULONG cbOut = 0;
    if (pwszUnicode && pszMB && cjMB > 0) {
        ULONG cchMax = cjUnicode / sizeof(WCHAR);
        ULONG i = 0;
        while (i < cjMB && cbOut / sizeof(WCHAR) < cchMax) {
            int cbChar = (IsDBCSLeadByte(static_cast<BYTE>(pszMB[i])) && i + 1 < cjMB) ? 2 : 1;
            WCHAR wc;
            if (MultiByteToWideChar(CP_ACP, 0, pszMB + i, cbChar, &wc, 1) != 1)
                wc = u'?';
            pwszUnicode[cbOut / sizeof(WCHAR)] = wc;
            cbOut += sizeof(WCHAR);
            i += static_cast<ULONG>(cbChar);
        }
    }
    if (pcbWritten)
        *pcbWritten = cbOut;
}

// --- the host side -------------------------------------------------------------------

FONTOBJ* PlatFontRealize(const LOGFONTW* plf, LONG lDpiX, LONG lDpiY)
{
    if (!plf || lDpiX <= 0 || lDpiY <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    std::string key = KeyOf(plf, lDpiX, lDpiY);
    auto it = g_cache.find(key);
    FONTREAL* pf;
    if (it != g_cache.end()) {
        pf = it->second;
    } else {
        pf = NewRealization(plf, lDpiX, lDpiY);
        if (!pf)
            return nullptr;
        pf->strKey = key;
        g_cache[key] = pf;
    }
    pf->cRefs++;
    pf->ullLastUse = ++g_ullClock;
    TrimCache(kCacheSize);
    return &pf->fo;
}

void PlatFontRelease(FONTOBJ* pfo)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf || pf->cRefs <= 0)
        return;
    pf->cRefs--;
    if (pf->strKey.empty() && pf->cRefs == 0)
        FreeFont(pf);  // an overridden realisation is nobody else's
    else
        TrimCache(kCacheSize);
}

BOOL PlatFontOverride(FONTOBJ* pfo, LPCWSTR pwszFamily, BYTE jCharSet, USHORT usWeight,
                      LONG lItalicAngle, FLONG flSim)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The realisation leaves the shared cache: what it now reports is no
    // longer what its key asks for.
    if (!pf->strKey.empty()) {
        g_cache.erase(pf->strKey);
        pf->strKey.clear();
    }
    if (pwszFamily)
        pf->face.strName = pwszFamily;
    pf->face.jCharSet = jCharSet;
    pf->face.usFaceWeight = usWeight;
    BuildIfi(pf);
    reinterpret_cast<IFIMETRICS*>(pf->ifi.data())->lItalicAngle = lItalicAngle;
    pf->fo.flFontType = (pf->fo.flFontType & ~(FO_SIM_BOLD | FO_SIM_ITALIC)) |
                        (flSim & (FO_SIM_BOLD | FO_SIM_ITALIC));
    return TRUE;
}

BOOL PlatFontGetMetrics(FONTOBJ* pfo, PLATFONTMETRICS* pm)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf || !pm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pm = pf->metrics;
    return TRUE;
}

BOOL PlatFontGlyph(FONTOBJ* pfo, WCHAR wc, HGLYPH* phg, LONG* plAdvance)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HGLYPH hg = GlyphOfChar(pf, wc);
    if (phg)
        *phg = hg;
    if (plAdvance)
        *plAdvance = AdvanceOf(pf, hg);
    return TRUE;
}

STROBJ* PlatStrCreate(FONTOBJ* pfo, LPCWSTR pwsz, ULONG c, const LONG* pdx, BOOL bDxDy,
                      BOOL bGlyphIndex, POINTL ptlOrg)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FONTREAL* pf = LookupFont(pfo);
    if (!pf || (!pwsz && c > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    STRREAL* ps = new (std::nothrow) STRREAL();
    if (!ps) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ps->ulMagic = kStrMagic;
    ps->pf = pf;
    pf->cRefs++;
    ps->str.assign(pwsz ? pwsz : u"", c);
    ps->gp.resize(c);
    double cs = PlatCos(pf->dAngle), sn = PlatSin(pf->dAngle);
    STROBJ& so = ps->so;
    const PLATFONTMETRICS& m = pf->metrics;
    if (pf->dAngle == 0) {
        // Unturned text: whole-dot advances from whole-dot origins, so the
        // positions and the box are exact in integers.
        long long x = ptlOrg.x, y = ptlOrg.y;
        for (ULONG i = 0; i < c; i++) {
            char16_t wc = ps->str[i];
            HGLYPH hg;
            LONG lAdvance = 0;
            if (!bGlyphIndex && wc < 0x80) {
                if (!pf->abAscii[wc]) {
                    pf->ahgAscii[wc] = GlyphOfChar(pf, wc);
                    pf->alAdvAscii[wc] = AdvanceOf(pf, pf->ahgAscii[wc]);
                    pf->abAscii[wc] = 1;
                }
                hg = pf->ahgAscii[wc];
                lAdvance = pf->alAdvAscii[wc];
            } else {
                hg = bGlyphIndex ? static_cast<HGLYPH>(wc) : GlyphOfChar(pf, wc);
                if (!pdx)
                    lAdvance = AdvanceOf(pf, hg);
            }
            GLYPHPOS& gp = ps->gp[i];
            gp.hg = hg;
            gp.pgdf = nullptr;
            gp.ptl = POINTL{static_cast<LONG>(x), static_cast<LONG>(y)};
            if (pdx && bDxDy) {
                x += pdx[2 * i];
                y += pdx[2 * i + 1];
            } else {
                x += pdx ? pdx[i] : lAdvance;
            }
        }
        ps->ptlEnd = POINTL{static_cast<LONG>(x), static_cast<LONG>(y)};
        // The cell runs from the origin for the distance to the end point.
        long long lDx = x - ptlOrg.x, lDy = y - ptlOrg.y;
        long long len = lDy == 0 ? (lDx < 0 ? -lDx : lDx)
                                 : static_cast<long long>(std::ceil(PlatHypot((double)lDx, (double)lDy)));
        so.rclBkGround = RECTL{ptlOrg.x, static_cast<LONG>(ptlOrg.y - m.lAscent),
                               static_cast<LONG>(ptlOrg.x + len), static_cast<LONG>(ptlOrg.y + m.lDescent)};
    } else {
        double x = ptlOrg.x, y = ptlOrg.y;
        for (ULONG i = 0; i < c; i++) {
            HGLYPH hg = bGlyphIndex ? static_cast<HGLYPH>(ps->str[i]) : GlyphOfChar(pf, ps->str[i]);
            GLYPHPOS& gp = ps->gp[i];
            gp.hg = hg;
            gp.pgdf = nullptr;
            gp.ptl = POINTL{Round(x), Round(y)};
            if (pdx && bDxDy) {
                x += pdx[2 * i];
                y += pdx[2 * i + 1];
            } else {
                double adv = pdx ? pdx[i] : AdvanceOf(pf, hg);
                x += adv * cs;
                y -= adv * sn;
            }
        }
        ps->ptlEnd = POINTL{Round(x), Round(y)};

        // The background box: the cell from the first origin to the end point.
        double len = PlatHypot(x - ptlOrg.x, y - ptlOrg.y);
        double ax[4] = {0, len, len, 0}, ay[4] = {-static_cast<double>(m.lAscent),
                                                 -static_cast<double>(m.lAscent),
                                                 static_cast<double>(m.lDescent),
                                                 static_cast<double>(m.lDescent)};
        double l = 1e18, t = 1e18, r = -1e18, b = -1e18;
        for (int k = 0; k < 4; k++) {
            double px = ptlOrg.x + ax[k] * cs + ay[k] * sn;
            double py = ptlOrg.y - ax[k] * sn + ay[k] * cs;
            l = std::min(l, px);
            r = std::max(r, px);
            t = std::min(t, py);
            b = std::max(b, py);
        }
        so.rclBkGround = RECTL{static_cast<LONG>(std::floor(l)), static_cast<LONG>(std::floor(t)),
                               static_cast<LONG>(std::ceil(r)), static_cast<LONG>(std::ceil(b))};
    }
    so.cGlyphs = c;
    so.flAccel = 0;
    if (!pdx)
        so.flAccel |= SO_FLAG_DEFAULT_PLACEMENT;
    if (pf->dAngle == 0)
        so.flAccel |= SO_HORIZONTAL;
    else if (cs == 0 || std::abs(cs) < 1e-9)
        so.flAccel |= SO_VERTICAL;
    if (bGlyphIndex)
        so.flAccel |= SO_GLYPHINDEX_TEXTOUT;
    if (bDxDy)
        so.flAccel |= SO_DXDY;
    so.ulCharInc = (!pdx && m.bFixedPitch && pf->dAngle == 0 && c > 0) ? AdvanceOf(pf, ps->gp[0].hg)
                                                                       : 0;
    so.pgp = ps->gp.empty() ? nullptr : ps->gp.data();
    so.pwszOrg = ps->str.data();
    g_liveStrs.insert(ps);
    return &ps->so;
}

void PlatStrDelete(STROBJ* pstro)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    STRREAL* ps = LookupStr(pstro);
    if (!ps)
        return;
    g_liveStrs.erase(ps);
    FONTREAL* pf = ps->pf;
    ps->ulMagic = 0;
    delete ps;
    PlatFontRelease(&pf->fo);
}

void PlatStrSetBatch(STROBJ* pstro, ULONG cBatch)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    STRREAL* ps = LookupStr(pstro);
    if (!ps)
        return;
    ps->cBatch = cBatch;
    ps->so.pgp = cBatch ? nullptr : (ps->gp.empty() ? nullptr : ps->gp.data());
}

POINTL PlatStrEnd(STROBJ* pstro)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    STRREAL* ps = LookupStr(pstro);
    return ps ? ps->ptlEnd : POINTL{0, 0};
}

BOOL PlatStrOffset(STROBJ* pstro, LONG dx, LONG dy)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    STRREAL* ps = LookupStr(pstro);
    if (!ps || ps->pf->dAngle != 0)
        return FALSE;
    for (GLYPHPOS& gp : ps->gp) {
        gp.ptl.x += dx;
        gp.ptl.y += dy;
    }
    ps->ptlEnd.x += dx;
    ps->ptlEnd.y += dy;
    RECTL& r = ps->so.rclBkGround;
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    return TRUE;
}

LONG PlatFontLiveRealizations()
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    return static_cast<LONG>(g_liveFonts.size());
}

ULONG PlatFontGlyphsRendered()
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    return g_cRendered;
}

void PlatFontFlushCache()
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    TrimCache(0);
}
