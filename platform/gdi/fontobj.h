// fontobj.h: fonts and strings as a graphics driver sees them.
//
// Owns: IFIMETRICS, FONTINFO, GLYPHBITS, GLYPHDEF, GLYPHDATA and GLYPHPOS;
// the FONTOBJ services (FONTOBJ_pifi, FONTOBJ_pxoGetXform, FONTOBJ_cGetGlyphs,
// FONTOBJ_vGetInfo), the STROBJ services (STROBJ_vEnumStart, STROBJ_bEnum,
// STROBJ_bEnumPositionsOnly), EngTextOut on engine bitmaps, and the
// conversions EngUnicodeToMultiByteN / EngMultiByteToUnicodeN; and the host
// side that realises a font and lays out a string for a text call (Plat*:
// GDI's application side and tests act as the host).
//
// Rules:
//  1. A realised font is the public head of a record that lives in the
//     engine's font cache; its glyph bitmaps and outlines are rendered once
//     and kept, so a page that repeats the glyphs of an earlier one renders
//     nothing new. A glyph's data stays valid while the font is held.
//  2. Device space has y growing downward. A font's transform maps notional
//     space (font units, y downward) to device space; glyph outlines are in
//     28.4 device units relative to the character origin, and a glyph
//     bitmap's ptlOrigin is the offset of its top-left pixel from that
//     origin.
//  3. Glyph bitmaps are 1 bit per pixel, rows rounded up to whole bytes,
//     top row first, 1 = ink. A glyph without ink is one blank pixel.
//  4. HGLYPH values are the face's glyph indexes; a glyph a Latin face
//     lacks comes from the linked Japanese face of the same size, and its
//     handle carries the bit 0x80000000.
//  5. In an "@" face the full-width characters turn a quarter counter-
//     clockwise in their em cell (one em of advance) and take the face's
//     vertical forms, so that text run downward (escapement 2700) shows
//     them upright.
#pragma once

#include "platform/gdi/engobj.h"
#include "platform/gdi/winddi.h"

// FONTOBJ.flFontType.
#define FO_TYPE_RASTER 0x00000001
#define FO_TYPE_DEVICE 0x00000002
#define FO_TYPE_TRUETYPE 0x00000004
#define FO_TYPE_OPENTYPE 0x00000008
#define FO_SIM_BOLD 0x00002000
#define FO_SIM_ITALIC 0x00004000
#define FO_EM_HEIGHT 0x00008000
#define FO_GRAY16 0x00010000
#define FO_NOGRAY16 0x00020000
#define FO_NOHINTS 0x00040000
#define FO_NO_CHOICE 0x00080000
#define FO_VERT_FACE 0x00800000
#define FO_DBCS_FONT 0x01000000

// FONTINFO.flCaps.
#define FO_DEVICE_FONT 0x00000001
#define FO_OUTLINE_CAPABLE 0x00000002

// STROBJ.flAccel.
#define SO_FLAG_DEFAULT_PLACEMENT 0x00000001
#define SO_HORIZONTAL 0x00000002
#define SO_VERTICAL 0x00000004
#define SO_REVERSED 0x00000008
#define SO_ZERO_BEARINGS 0x00000010
#define SO_CHAR_INC_EQUAL_BM_BASE 0x00000020
#define SO_MAXEXT_EQUAL_BM_SIDE 0x00000040
#define SO_DO_NOT_SUBSTITUTE_DEVICE_FONT 0x00000080
#define SO_GLYPHINDEX_TEXTOUT 0x00000100
#define SO_ESC_NOT_ORIENT 0x00000200
#define SO_DXDY 0x00000400
#define SO_CHARACTER_EXTRA 0x00000800
#define SO_BREAK_EXTRA 0x00001000

// IFIMETRICS.flInfo and fsSelection bits the platform sets.
#define FM_INFO_TECH_TRUETYPE 0x00000001
#define FM_INFO_ARB_XFORMS 0x00000010
#define FM_INFO_1BPP 0x00000020
#define FM_INFO_RETURNS_OUTLINES 0x00000800
#define FM_INFO_RETURNS_BITMAPS 0x00002000
#define FM_INFO_UNICODE_COMPLIANT 0x00004000
#define FM_INFO_RIGHT_HANDED 0x00008000
#define FM_INFO_INTEGRAL_SCALING 0x00010000
#define FM_INFO_OPTICALLY_FIXED_PITCH 0x00080000
#define FM_INFO_DBCS_FIXED_PITCH 0x00400000
#define FM_SEL_ITALIC 0x0001
#define FM_SEL_UNDERSCORE 0x0002
#define FM_SEL_STRIKEOUT 0x0010
#define FM_SEL_BOLD 0x0020
#define FM_SEL_REGULAR 0x0040

typedef SHORT FWORD;
typedef LONG PTRDIFF;

#pragma pack(push, 1)

// PANOSE: 10 bytes of face classification.
struct PANOSE {
    BYTE bFamilyType;
    BYTE bSerifStyle;
    BYTE bWeight;
    BYTE bProportion;
    BYTE bContrast;
    BYTE bStrokeVariation;
    BYTE bArmStyle;
    BYTE bLetterform;
    BYTE bMidline;
    BYTE bXHeight;
};

// IFIMETRICS: 184 bytes, then the names it points at (offsets from its
// start, UTF-16, NUL-terminated).
//   off size field                    off size field
//     0    4 cjThis (with names)       4    4 cjIfiExtra
//     8    4 dpwszFamilyName          12    4 dpwszStyleName
//    16    4 dpwszFaceName            20    4 dpwszUniqueName
//    24    4 dpFontSim                28    4 lEmbedId
//    32    4 lItalicAngle (0.1 deg)   36    4 lCharBias
//    40    4 dpCharSets               44    1 jWinCharSet
//    45    1 jWinPitchAndFamily       46    2 usWinWeight
//    48    4 flInfo                   52    2 fsSelection
//    54    2 fsType                   56    2 fwdUnitsPerEm
//    58    2 fwdLowestPPEm            60    4 fwdWinAscender/Descender
//    64    6 fwdMacAscender/Descender/LineGap
//    70    6 fwdTypoAscender/Descender/LineGap
//    76    2 fwdAveCharWidth          78    2 fwdMaxCharInc
//    80    2 fwdCapHeight             82    2 fwdXHeight
//    84   16 fwdSub/Superscript X/Y size and offset
//   100    2 fwdUnderscoreSize       102    2 fwdUnderscorePosition
//   104    2 fwdStrikeoutSize        106    2 fwdStrikeoutPosition
//   108    4 chFirst/Last/Default/BreakChar
//   112    8 wcFirst/Last/Default/BreakChar
//   120    8 ptlBaseline             128    8 ptlAspect
//   136    8 ptlCaret                144   16 rclFontBox
//   160    4 achVendId               164    4 cKerningPairs
//   168    4 ulPanoseCulture         172   10 panose
//   182    2 (alignment)
struct IFIMETRICS {
    ULONG cjThis;
    ULONG cjIfiExtra;
    PTRDIFF dpwszFamilyName;
    PTRDIFF dpwszStyleName;
    PTRDIFF dpwszFaceName;
    PTRDIFF dpwszUniqueName;
    PTRDIFF dpFontSim;
    LONG lEmbedId;
    LONG lItalicAngle;
    LONG lCharBias;
    PTRDIFF dpCharSets;
    BYTE jWinCharSet;
    BYTE jWinPitchAndFamily;
    USHORT usWinWeight;
    ULONG flInfo;
    USHORT fsSelection;
    USHORT fsType;
    FWORD fwdUnitsPerEm;
    FWORD fwdLowestPPEm;
    FWORD fwdWinAscender;
    FWORD fwdWinDescender;
    FWORD fwdMacAscender;
    FWORD fwdMacDescender;
    FWORD fwdMacLineGap;
    FWORD fwdTypoAscender;
    FWORD fwdTypoDescender;
    FWORD fwdTypoLineGap;
    FWORD fwdAveCharWidth;
    FWORD fwdMaxCharInc;
    FWORD fwdCapHeight;
    FWORD fwdXHeight;
    FWORD fwdSubscriptXSize;
    FWORD fwdSubscriptYSize;
    FWORD fwdSubscriptXOffset;
    FWORD fwdSubscriptYOffset;
    FWORD fwdSuperscriptXSize;
    FWORD fwdSuperscriptYSize;
    FWORD fwdSuperscriptXOffset;
    FWORD fwdSuperscriptYOffset;
    FWORD fwdUnderscoreSize;
    FWORD fwdUnderscorePosition;
    FWORD fwdStrikeoutSize;
    FWORD fwdStrikeoutPosition;
    BYTE chFirstChar;
    BYTE chLastChar;
    BYTE chDefaultChar;
    BYTE chBreakChar;
    WCHAR wcFirstChar;
    WCHAR wcLastChar;
    WCHAR wcDefaultChar;
    WCHAR wcBreakChar;
    POINTL ptlBaseline;
    POINTL ptlAspect;
    POINTL ptlCaret;
    RECTL rclFontBox;
    BYTE achVendId[4];
    ULONG cKerningPairs;
    ULONG ulPanoseCulture;
    PANOSE panose;
    BYTE ajAlign[2];
};
typedef IFIMETRICS* PIFIMETRICS;

// FONTINFO: 28 bytes, what FONTOBJ_vGetInfo answers.
struct FONTINFO {
    ULONG cjThis;
    FLONG flCaps;
    ULONG cGlyphsSupported;
    ULONG cjMaxGlyph1;
    ULONG cjMaxGlyph4;
    ULONG cjMaxGlyph8;
    ULONG cjMaxGlyph32;
};

// GLYPHBITS: 16 bytes of head, then the rows.
//   off size field
//     0    8 ptlOrigin   top-left pixel relative to the character origin
//     8    8 sizlBitmap  width and height in pixels
//    16    - aj          rows of (cx + 7) / 8 bytes, top row first
struct GLYPHBITS {
    POINTL ptlOrigin;
    SIZEL sizlBitmap;
    BYTE aj[1];
};

// The records between Q730_API_PACK_BEGIN and _END hold pointers: the sizes
// and offsets given for them are those of the i386 build; the native build
// aligns them naturally (platform/windef.h).
// GLYPHDEF: 4 bytes, the bitmap or the outline of a glyph.
Q730_API_PACK_BEGIN
union GLYPHDEF {
    GLYPHBITS* pgb;
    PATHOBJ* ppo;
};
Q730_API_PACK_END

// GLYPHPOS: 16 bytes, one glyph of a string.
//   off size field
//     0    4 hg     glyph
//     4    4 pgdf   its bitmap (null until asked for)
//     8    8 ptl    character origin on the device
Q730_API_PACK_BEGIN
struct GLYPHPOS {
    HGLYPH hg;
    GLYPHDEF* pgdf;
    POINTL ptl;
};
Q730_API_PACK_END

// GLYPHDATA: 60 bytes, a glyph with its metrics (28.4 values).
//   off size field
//     0    4 gdf          bitmap or outline
//     4    4 hg
//     8    4 fxD          advance along the baseline
//    12    4 fxA          left bearing
//    16    4 fxAB         advance minus right bearing
//    20    4 fxInkTop     ink above the baseline
//    24    4 fxInkBottom  ink below the baseline (negative: above)
//    28   16 rclInk       ink box relative to the origin, in pixels
//    44   16 ptqD         advance vector (32.32 device units)
Q730_API_PACK_BEGIN
struct GLYPHDATA {
    GLYPHDEF gdf;
    HGLYPH hg;
    FIX fxD;
    FIX fxA;
    FIX fxAB;
    FIX fxInkTop;
    FIX fxInkBottom;
    RECTL rclInk;
    POINTQF ptqD;
};
Q730_API_PACK_END

#pragma pack(pop)

static_assert(sizeof(PANOSE) == 10);
static_assert(sizeof(IFIMETRICS) == 184);
static_assert(offsetof(IFIMETRICS, dpwszFamilyName) == 8);
static_assert(offsetof(IFIMETRICS, lItalicAngle) == 32);
static_assert(offsetof(IFIMETRICS, jWinCharSet) == 44);
static_assert(offsetof(IFIMETRICS, usWinWeight) == 46);
static_assert(offsetof(IFIMETRICS, flInfo) == 48);
static_assert(offsetof(IFIMETRICS, fwdUnitsPerEm) == 56);
static_assert(offsetof(IFIMETRICS, fwdWinAscender) == 60);
static_assert(offsetof(IFIMETRICS, fwdAveCharWidth) == 76);
static_assert(offsetof(IFIMETRICS, fwdUnderscoreSize) == 100);
static_assert(offsetof(IFIMETRICS, chFirstChar) == 108);
static_assert(offsetof(IFIMETRICS, wcFirstChar) == 112);
static_assert(offsetof(IFIMETRICS, ptlBaseline) == 120);
static_assert(offsetof(IFIMETRICS, rclFontBox) == 144);
static_assert(offsetof(IFIMETRICS, achVendId) == 160);
static_assert(offsetof(IFIMETRICS, panose) == 172);
static_assert(sizeof(FONTINFO) == 28);
static_assert(sizeof(GLYPHBITS) == 17);
static_assert(offsetof(GLYPHBITS, aj) == 16);
static_assert(sizeof(void*) != 4 || sizeof(GLYPHDEF) == 4);
static_assert(sizeof(void*) != 4 || sizeof(GLYPHPOS) == 16);
static_assert(sizeof(void*) != 4 || offsetof(GLYPHPOS, ptl) == 8);
static_assert(sizeof(void*) != 4 || sizeof(GLYPHDATA) == 60);
static_assert(sizeof(void*) != 4 || offsetof(GLYPHDATA, rclInk) == 28);
static_assert(sizeof(void*) != 4 || offsetof(GLYPHDATA, ptqD) == 44);

// --- services a driver calls ------------------------------------------------------

// The metrics of the font's face; null for a FONTOBJ the engine did not make.
IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo);
// The notional-to-device transform of the font; null likewise.
XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo);
// Glyph data in the mode asked for: FO_GLYPHBITS fills gdf.pgb, FO_PATHOBJ
// gdf.ppo. Answers the glyphs returned (1; the platform returns one per
// call) and points *ppvGlyph at a GLYPHDATA kept by the font; 0 on failure.
ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph);
// Glyph counts and the largest glyph image in bytes for 1, 4, 8 and 32 bits.
void FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi);

// Starts (again) the enumeration of a string's glyph positions.
void STROBJ_vEnumStart(STROBJ* pstro);
// The next batch of glyph positions, with bitmaps (pgdf); TRUE while more
// batches follow.
BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos);
// The same without rendering the glyphs (pgdf left null).
BOOL STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, GLYPHPOS** ppgpos);

// Converts UTF-16 text to the ANSI code page (932 unless changed); both
// sizes are in bytes. *pcbWritten (may be null) receives the bytes written.
// Characters the code page has not become "?"; a double-byte character that
// does not fit whole is left out.
void EngUnicodeToMultiByteN(LPSTR pszMB, ULONG cjMB, ULONG* pcbWritten, LPCWSTR pwszUnicode,
                            ULONG cjUnicode);
// Converts ANSI text to UTF-16; sizes in bytes.
void EngMultiByteToUnicodeN(LPWSTR pwszUnicode, ULONG cjUnicode, ULONG* pcbWritten,
                            LPCSTR pszMB, ULONG cjMB);

// --- the host side: realising fonts and laying out strings ------------------------

// Realises a font for a device of the given resolution (dots per inch),
// with lfHeight, lfWidth and lfEscapement in device pixels and tenths of a
// degree. The font stays in the engine's cache; release it when done.
FONTOBJ* PlatFontRealize(const LOGFONTW* plf, LONG lDpiX, LONG lDpiY);
void PlatFontRelease(FONTOBJ* pfo);
// For tests of drivers: makes FONTOBJ_pifi of this realisation answer a
// family name, character set, weight and italic angle other than the face's
// own, and sets the simulation flags (FO_SIM_BOLD, FO_SIM_ITALIC) in
// flFontType. Null pwszFamily keeps the name.
BOOL PlatFontOverride(FONTOBJ* pfo, LPCWSTR pwszFamily, BYTE jCharSet, USHORT usWeight,
                      LONG lItalicAngle, FLONG flSim);

// Device metrics of a realised font, in pixels.
struct PLATFONTMETRICS {
    LONG lAscent;           // above the baseline
    LONG lDescent;          // below it
    LONG lInternalLeading;  // cell height minus the em height
    LONG lExternalLeading;
    LONG lAveCharWidth;
    LONG lMaxCharWidth;
    LONG lEmHeight;         // pixels per em
    LONG lUnderlinePos;     // below the baseline (positive: down)
    LONG lUnderlineSize;
    LONG lStrikeoutPos;     // above the baseline (positive: up)
    LONG lStrikeoutSize;
    BOOL bFixedPitch;
};
BOOL PlatFontGetMetrics(FONTOBJ* pfo, PLATFONTMETRICS* pm);

// The glyph of a character (0 for a character the face has not) and its
// advance along the baseline in pixels.
BOOL PlatFontGlyph(FONTOBJ* pfo, WCHAR wc, HGLYPH* phg, LONG* plAdvance);

// Lays out a string for a text call.
//  pfo       the realised font
//  pwsz, c   the characters (or glyph indexes, with bGlyphIndex)
//  pdx       advances in pixels, c of them (2c with bDxDy), or null for the
//            font's own
//  ptlOrg    the first character's origin on the baseline, in device pixels
// The string keeps a copy of the characters (pwszOrg) and of the positions.
STROBJ* PlatStrCreate(FONTOBJ* pfo, LPCWSTR pwsz, ULONG c, const LONG* pdx, BOOL bDxDy,
                      BOOL bGlyphIndex, POINTL ptlOrg);
void PlatStrDelete(STROBJ* pstro);
// Makes the string hand out its positions only through STROBJ_bEnum, in
// batches of cBatch (pgp is then null), as the platform does for long
// strings.
void PlatStrSetBatch(STROBJ* pstro, ULONG cBatch);
// The end point of the string's baseline (the origin after its last glyph).
POINTL PlatStrEnd(STROBJ* pstro);
// Moves a laid-out string of an unturned font by whole pixels: every
// position, the end point and the background box, exactly as a layout at
// the moved origin would give them. FALSE (nothing moved) for a turned font,
// whose positions are rounded from fractions and must be laid out anew.
BOOL PlatStrOffset(STROBJ* pstro, LONG dx, LONG dy);

// Fonts realised and still in the cache, and glyph images rendered so far
// (a cache hit renders nothing), for tests and benchmarks.
LONG PlatFontLiveRealizations();
ULONG PlatFontGlyphsRendered();
// Empties the font cache of every font nobody holds.
void PlatFontFlushCache();
