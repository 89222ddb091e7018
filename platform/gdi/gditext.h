// gditext.h: fonts and text on device contexts, the application side.
//
// Owns: TEXTMETRICW, NEWTEXTMETRICW(EX), ENUMLOGFONTW(EX), FONTSIGNATURE,
// the font constants, and CreateFontIndirectW, CreateFontW, TextOutW,
// ExtTextOutW, SetTextAlign, GetTextAlign, GetTextColor, GetBkMode,
// GetBkColor, GetTextExtentPoint32W, GetTextExtentPointW, GetTextMetricsW,
// GetTextFaceW, EnumFontFamiliesW, EnumFontFamiliesExW and GetDIBits; plus
// the calls through which the generic GDI object functions (SelectObject,
// DeleteObject, GetObjectW, GetObjectType, DeleteDC) reach fonts and a DC's
// text state. SetTextColor, SetBkMode and SetBkColor are the drawing
// side's (gdidraw.h).
//
// How a text call reaches the device: the DC's font is realised for the
// device's resolution (engine font cache, fontobj.h) at its size in pixels
// through the DC's mapping, the string is laid out into a STROBJ, and the
// call goes to the driver's DrvTextOut when the device surface hooks
// HOOK_TEXTOUT, else to EngTextOut on the surface.
#pragma once

#include "platform/gdi/wingdi.h"

// Weights.
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900
#define FW_BLACK 900

// Character sets.
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define OEM_CHARSET 255

// Precision, quality, pitch and family.
#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define OUT_TT_ONLY_PRECIS 7
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// TEXTMETRICW.tmPitchAndFamily bits (the pitch bit is set for variable pitch).
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_DEVICE 0x08
#define TMPF_TRUETYPE 0x04

// NEWTEXTMETRICW.ntmFlags.
#define NTM_ITALIC 0x00000001
#define NTM_BOLD 0x00000020
#define NTM_REGULAR 0x00000040

// Font types given to enumeration callbacks.
#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

// Text alignment.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define GDI_ERROR 0xFFFFFFFFu

// ExtTextOutW options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_IGNORELANGUAGE 0x1000
#define ETO_PDY 0x2000

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

#define OBJ_FONT 6
#define LF_FULLFACESIZE 64
#define CLR_INVALID 0xFFFFFFFF

#pragma pack(push, 1)

// TEXTMETRICW: 60 bytes.
//   off size field                 off size field
//     0    4 tmHeight               4    4 tmAscent
//     8    4 tmDescent             12    4 tmInternalLeading
//    16    4 tmExternalLeading     20    4 tmAveCharWidth
//    24    4 tmMaxCharWidth        28    4 tmWeight
//    32    4 tmOverhang            36    8 tmDigitizedAspectX/Y
//    44    8 tmFirst/Last/Default/BreakChar (WCHAR)
//    52    5 tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet
//    57    3 (alignment)
struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
    BYTE ajAlign[3];
};
typedef TEXTMETRICW* LPTEXTMETRICW;

// NEWTEXTMETRICW: 76 bytes, TEXTMETRICW then the outline font's figures.
//   off size field
//     0   60 the TEXTMETRICW fields (tmCharSet at 56)
//    60    4 ntmFlags   64 4 ntmSizeEM   68 4 ntmCellHeight   72 4 ntmAvgWidth
struct NEWTEXTMETRICW {
    TEXTMETRICW tm;
    DWORD ntmFlags;
    UINT ntmSizeEM;
    UINT ntmCellHeight;
    UINT ntmAvgWidth;
};

// FONTSIGNATURE: 24 bytes, the Unicode ranges and code pages of a face.
struct FONTSIGNATURE {
    DWORD fsUsb[4];
    DWORD fsCsb[2];
};

// NEWTEXTMETRICEXW: 100 bytes.
struct NEWTEXTMETRICEXW {
    NEWTEXTMETRICW ntmTm;
    FONTSIGNATURE ntmFontSig;
};

// ENUMLOGFONTW: 284 bytes, LOGFONTW, full name (64), style (32).
struct ENUMLOGFONTW {
    LOGFONTW elfLogFont;
    WCHAR elfFullName[LF_FULLFACESIZE];
    WCHAR elfStyle[LF_FACESIZE];
};

// ENUMLOGFONTEXW: 348 bytes, LOGFONTW, full name (64), style (32), script (32).
struct ENUMLOGFONTEXW {
    LOGFONTW elfLogFont;
    WCHAR elfFullName[LF_FULLFACESIZE];
    WCHAR elfStyle[LF_FACESIZE];
    WCHAR elfScript[LF_FACESIZE];
};

#pragma pack(pop)

static_assert(sizeof(TEXTMETRICW) == 60);
static_assert(offsetof(TEXTMETRICW, tmFirstChar) == 44);
static_assert(offsetof(TEXTMETRICW, tmItalic) == 52);
static_assert(offsetof(TEXTMETRICW, tmCharSet) == 56);
static_assert(sizeof(NEWTEXTMETRICW) == 76);
static_assert(offsetof(NEWTEXTMETRICW, ntmFlags) == 60);
static_assert(sizeof(NEWTEXTMETRICEXW) == 100);
static_assert(sizeof(ENUMLOGFONTW) == 284);
static_assert(sizeof(ENUMLOGFONTEXW) == 348);
static_assert(offsetof(ENUMLOGFONTEXW, elfScript) == 284);

// The enumeration callback: a font's ENUMLOGFONT(EX)W and NEWTEXTMETRIC(EX)W,
// its type, the caller's value. Returning 0 stops the enumeration.
typedef int (*FONTENUMPROCW)(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType,
                             LPARAM lParam);

// Logical fonts.
HFONT CreateFontIndirectW(const LOGFONTW* plf);
HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                  DWORD iPitchAndFamily, LPCWSTR pszFaceName);

// Text output.
//  x, y     reference point (see SetTextAlign), ignored with TA_UPDATECP
//  options  ETO_OPAQUE fills prc with the background colour first,
//           ETO_CLIPPED keeps the text inside prc, ETO_GLYPH_INDEX takes
//           glyph indexes, ETO_PDY takes (dx, dy) pairs in pdx
//  pdx      distances between character origins, or null
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR psz, int c);
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* prc, LPCWSTR psz, UINT c,
                 const INT* pdx);

// Text state of a DC.
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);

// The background behind text (OPAQUE fills the text's cell).
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);

// Measures and names.
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR psz, int c, LPSIZE psizl);
// The older form; the same measure.
BOOL GetTextExtentPointW(HDC hdc, LPCWSTR psz, int c, LPSIZE psizl);
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW ptm);
int GetTextFaceW(HDC hdc, int c, LPWSTR pszName);

// Font enumeration: every installed family (pszFamily null) or every style
// of one family; the Ex form filters by plf->lfCharSet (DEFAULT_CHARSET: all)
// and plf->lfFaceName (empty: all) and lists a family once per character
// set. The "@" faces are listed as families of their own.
int EnumFontFamiliesW(HDC hdc, LPCWSTR pszFamily, FONTENUMPROCW proc, LPARAM lParam);
int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW plf, FONTENUMPROCW proc, LPARAM lParam,
                        DWORD dwFlags);

// Reads a bitmap's rows as a device-independent bitmap of 1, 4, 8, 24 or
// 32 bits per pixel (bottom-up for a positive biHeight), rows rounded up to
// 4 bytes. With null bits it fills in the header only. Answers the rows
// copied, 0 on failure.
int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID pvBits, LPBITMAPINFO pbmi,
              UINT usage);

// --- for the generic GDI object functions ----------------------------------------

// TRUE when h is a live font.
BOOL GdiTextIsFont(HGDIOBJ h);
// Selects a font into a DC; answers the previous font (the stock default
// font the first time), or null with ERROR_INVALID_PARAMETER.
HGDIOBJ GdiTextSelectFont(HDC hdc, HGDIOBJ hfont);
// Deletes a font; a font selected into a DC is deleted when it is
// deselected, as the platform does. FALSE for a handle that is no font.
BOOL GdiTextDeleteFont(HGDIOBJ hfont);
// GetObjectW for fonts: the LOGFONTW (size only with null pv).
int GdiTextGetFont(HGDIOBJ hfont, int c, LPVOID pv);
// Forgets the text state of a DC that is being deleted.
void GdiTextForgetDC(HDC hdc);
// Live fonts, for leak checks.
LONG PlatGdiLiveFonts();
