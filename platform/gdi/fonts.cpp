// fonts.cpp: the face map, the choice of an installed face and the FreeType
// library. Rules in fonts.h.
//
// The face map is data (facemap.tsv, beside this file): the platform's
// substitution table, compiled in by the build and parsed once on first use. fontconfig answers which file
// holds a family in a given weight and slant; a weight or slant the family
// does not have is simulated later by the glyph renderer.
#include "platform/gdi/fonts.h"

#include "platform/kernel/codepage.h"
#include "platform/kernel/kernel.h"

#include <fontconfig/fontconfig.h>

#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

namespace {

// Character sets and pitch and family bits the choice looks at.
const BYTE kAnsiCharset = 0;
const BYTE kDefaultCharset = 1;
const BYTE kShiftJisCharset = 128;
const BYTE kFixedPitch = 1;
const BYTE kFamilyRoman = 0x10;
const BYTE kFamilyModern = 0x30;

std::u16string FromUtf8(const std::string& s)
{
    if (s.empty())
        return std::u16string();
    int cch = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (cch <= 0)
        return std::u16string();
    std::u16string out(static_cast<size_t>(cch), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), cch);
    return out;
}

// The text of facemap.tsv, embedded by the build.
const char kFaceMapText[] =
#include "facemap_tsv.inc"
    ;

std::vector<FACEMAPROW> LoadFaceMap()
{
    std::vector<FACEMAPROW> rows;
    std::istringstream in(kFaceMapText);
    std::string line;
    BOOL bHeader = TRUE;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (bHeader) {  // the column header
            bHeader = FALSE;
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> cols;
        std::stringstream ss(line);
        std::string col;
        while (std::getline(ss, col, '\t'))
            cols.push_back(col);
        if (cols.size() < 5)
            continue;
        FACEMAPROW row;
        row.strFace = FromUtf8(cols[0]);
        row.strInstalled = cols[1];
        row.jCharSet = static_cast<BYTE>(std::strtoul(cols[2].c_str(), nullptr, 0));
        row.jPitchAndFamily = static_cast<BYTE>(std::strtoul(cols[3].c_str(), nullptr, 0));
        row.bVertical = std::strtoul(cols[4].c_str(), nullptr, 0) != 0;
        rows.push_back(row);
    }
    return rows;
}

const FACEMAPROW* FindRow(const std::u16string& strName)
{
    for (const FACEMAPROW& row : FontFaceMap())
        if (FontSameName(row.strFace, strName))
            return &row;
    return nullptr;
}

// The mapped face a request falls back to: Japanese faces for Shift-JIS,
// else by family and pitch; an "@" request keeps its vertical form.
const FACEMAPROW* FallbackRow(BYTE jCharSet, BYTE jPitchAndFamily, BOOL bVertical)
{
    BYTE family = jPitchAndFamily & 0xF0;
    BOOL bFixed = (jPitchAndFamily & 3) == kFixedPitch;
    const char16_t* pszName;
    if (jCharSet == kShiftJisCharset) {
        if (family == kFamilyRoman)
            pszName = bFixed ? u"ＭＳ 明朝" : u"ＭＳ Ｐ明朝";
        else
            pszName = bFixed ? u"ＭＳ ゴシック" : u"ＭＳ Ｐゴシック";
    } else if (bFixed || family == kFamilyModern) {
        pszName = u"Courier New";
    } else if (family == kFamilyRoman) {
        pszName = u"Times New Roman";
    } else {
        pszName = u"Arial";
    }
    std::u16string strName = pszName;
    if (bVertical && jCharSet == kShiftJisCharset)
        strName = u"@" + strName;
    const FACEMAPROW* pRow = FindRow(strName);
    return pRow ? pRow : FindRow(pszName);
}

FcConfig* g_pFcConfig = nullptr;

// fontconfig keeps caches of its own until it is finished with.
void FinishFontconfig()
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    if (g_pFcConfig)
        FcConfigDestroy(g_pFcConfig);
    g_pFcConfig = nullptr;
    FcFini();
}

FcConfig* Fontconfig()
{
    static BOOL s_bTried = FALSE;
    if (!s_bTried) {
        s_bTried = TRUE;
        g_pFcConfig = FcInitLoadConfigAndFonts();
        std::atexit(FinishFontconfig);
    }
    return g_pFcConfig;
}

// The family's file for a weight and slant; bExact tells whether the
// family itself (not a substitute fontconfig chose) was found.
BOOL MatchFile(const std::string& strFamily, int iWeight, BOOL bItalic, FACEINFO* pInfo,
               BOOL* pbExact)
{
    std::lock_guard<std::recursive_mutex> guard(FontLock());
    FcConfig* pConfig = Fontconfig();
    if (!pConfig)
        return FALSE;
    FcPattern* pPat = FcPatternCreate();
    if (!pPat)
        return FALSE;
    FcPatternAddString(pPat, FC_FAMILY, reinterpret_cast<const FcChar8*>(strFamily.c_str()));
    FcPatternAddInteger(pPat, FC_WEIGHT, FcWeightFromOpenType(iWeight));
    FcPatternAddInteger(pPat, FC_SLANT, bItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pPat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(pConfig, pPat, FcMatchPattern);
    FcDefaultSubstitute(pPat);
    FcResult result = FcResultNoMatch;
    FcPattern* pMatch = FcFontMatch(pConfig, pPat, &result);
    FcPatternDestroy(pPat);
    if (!pMatch)
        return FALSE;
    FcChar8* pszFile = nullptr;
    FcChar8* pszFamily = nullptr;
    int iIndex = 0, iFcWeight = FC_WEIGHT_REGULAR, iSlant = FC_SLANT_ROMAN;
    BOOL bOk = FcPatternGetString(pMatch, FC_FILE, 0, &pszFile) == FcResultMatch;
    if (bOk) {
        FcPatternGetInteger(pMatch, FC_INDEX, 0, &iIndex);
        FcPatternGetInteger(pMatch, FC_WEIGHT, 0, &iFcWeight);
        FcPatternGetInteger(pMatch, FC_SLANT, 0, &iSlant);
        *pbExact = FALSE;
        for (int i = 0; FcPatternGetString(pMatch, FC_FAMILY, i, &pszFamily) == FcResultMatch; i++)
            if (FcStrCmpIgnoreCase(pszFamily, reinterpret_cast<const FcChar8*>(strFamily.c_str())) == 0)
                *pbExact = TRUE;
        pInfo->strFile = reinterpret_cast<const char*>(pszFile);
        pInfo->iIndex = iIndex;
        // The face's own weight and slant: fontconfig's answer already has
        // any synthetic emboldening or slant folded into it.
        FT_Face face = FontOpenFace(pInfo->strFile, iIndex);
        const TT_OS2* pOs2 =
            face ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
        int iWeightOut = pOs2 ? pOs2->usWeightClass : FcWeightToOpenType(iFcWeight);
        pInfo->usFaceWeight = static_cast<USHORT>(iWeightOut > 0 ? iWeightOut : 400);
        pInfo->bFaceItalic = face ? (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0
                                  : iSlant != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(pMatch);
    return bOk;
}

std::string ToUtf8(const std::u16string& s)
{
    if (s.empty())
        return std::string();
    int cb = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                 nullptr, nullptr);
    if (cb <= 0)
        return std::string();
    std::string out(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), cb, nullptr,
                        nullptr);
    return out;
}

}  // namespace

std::recursive_mutex& FontLock()
{
    static std::recursive_mutex s_lock;
    return s_lock;
}

BOOL FontSameName(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return FALSE;
    for (size_t i = 0; i < a.size(); i++) {
        char16_t ca = a[i], cb = b[i];
        if (ca >= u'A' && ca <= u'Z')
            ca = static_cast<char16_t>(ca + 32);
        if (cb >= u'A' && cb <= u'Z')
            cb = static_cast<char16_t>(cb + 32);
        if (ca != cb)
            return FALSE;
    }
    return TRUE;
}

const std::vector<FACEMAPROW>& FontFaceMap()
{
    static const std::vector<FACEMAPROW> s_rows = LoadFaceMap();
    return s_rows;
}

BOOL FontResolve(const LOGFONTW* plf, FACEINFO* pInfo)
{
    if (!plf || !pInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t cch = 0;
    while (cch < LF_FACESIZE && plf->lfFaceName[cch])
        cch++;
    std::u16string strName(plf->lfFaceName, cch);
    BOOL bWantVertical = !strName.empty() && strName[0] == u'@';
    int iWeight = plf->lfWeight > 0 ? plf->lfWeight : 400;
    BOOL bItalic = plf->lfItalic != 0;

    FACEINFO info = {};
    const FACEMAPROW* pRow = strName.empty() ? nullptr : FindRow(strName);
    if (!pRow && bWantVertical) {
        // An "@" form the map does not list is the vertical form of its face.
        const FACEMAPROW* pBase = FindRow(strName.substr(1));
        if (pBase && pBase->jCharSet == kShiftJisCharset)
            pRow = pBase;
    }
    // A Latin face cannot show Shift-JIS text: such a request falls back.
    if (pRow && plf->lfCharSet == kShiftJisCharset && pRow->jCharSet != kShiftJisCharset)
        pRow = nullptr;

    BOOL bExact = FALSE;
    if (pRow) {
        info.strName = bWantVertical && !pRow->bVertical ? strName : pRow->strFace;
        info.jPitchAndFamily = pRow->jPitchAndFamily;
        info.bVertical = pRow->bVertical || bWantVertical;
        if (!MatchFile(pRow->strInstalled, iWeight, bItalic, &info, &bExact)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        BYTE jRowSet = pRow->jCharSet;
        info.jCharSet = (plf->lfCharSet == kAnsiCharset ||
                         (plf->lfCharSet == kShiftJisCharset && jRowSet == kShiftJisCharset))
                            ? plf->lfCharSet
                            : jRowSet;
    } else {
        // A family installed under its own name is used as it is.
        if (!strName.empty() && !bWantVertical &&
            MatchFile(ToUtf8(strName), iWeight, bItalic, &info, &bExact) && bExact) {
            info.strName = strName;
            info.jPitchAndFamily = plf->lfPitchAndFamily ? plf->lfPitchAndFamily : 0x22;
            info.jCharSet = plf->lfCharSet == kDefaultCharset ? kAnsiCharset : plf->lfCharSet;
            info.bVertical = FALSE;
        } else {
            const FACEMAPROW* pFallback =
                FallbackRow(plf->lfCharSet, plf->lfPitchAndFamily, bWantVertical);
            if (!pFallback) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return FALSE;
            }
            info = FACEINFO();
            info.strName = pFallback->strFace;
            info.jPitchAndFamily = pFallback->jPitchAndFamily;
            info.jCharSet = pFallback->jCharSet;
            info.bVertical = pFallback->bVertical;
            if (!MatchFile(pFallback->strInstalled, iWeight, bItalic, &info, &bExact)) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return FALSE;
            }
        }
    }
    // The platform emboldens a face lighter than semi-bold when bold is
    // asked for, and slants an upright face when italic is.
    info.bSimBold = iWeight >= 600 && info.usFaceWeight < 600;
    info.bSimItalic = bItalic && !info.bFaceItalic;
    *pInfo = info;
    return TRUE;
}

FT_Face FontOpenFace(const std::string& strFile, int iIndex)
{
    static FT_Library s_library = nullptr;
    // Faces stay open for the life of the process.
    static std::map<std::pair<std::string, int>, FT_Face>& s_faces =
        *new std::map<std::pair<std::string, int>, FT_Face>();
    if (!s_library && FT_Init_FreeType(&s_library) != 0) {
        s_library = nullptr;
        return nullptr;
    }
    auto key = std::make_pair(strFile, iIndex);
    auto it = s_faces.find(key);
    if (it != s_faces.end())
        return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(s_library, strFile.c_str(), iIndex, &face) != 0)
        return nullptr;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    s_faces[key] = face;
    return face;
}
