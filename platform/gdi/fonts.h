// fonts.h: the installed faces behind the face names applications use
// (inside platform/gdi only).
//
// Owns: the face map (facemap.tsv: the names applications know, such as
// "Arial" or "ＭＳ Ｐゴシック", with the installed family that stands in for
// each, its character set, pitch and family, and the "@" vertical forms),
// the choice of a face for a LOGFONTW through fontconfig, and the FreeType
// library with its open faces.
//
// Rules:
//  1. A name in the face map is reported under that name, whatever family
//     draws it; a family installed under its own name is reported as such;
//     any other name falls back to a mapped face chosen by character set and
//     pitch and family, and is reported under the fallback's name.
//  2. Face names compare without regard to ASCII case, as the platform's do.
//  3. FreeType is not thread-safe per face: every use of an FT_Face happens
//     with FontLock() held.
#pragma once

#include "platform/gdi/wingdi.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>
#include <string>
#include <vector>

// One row of the face map.
struct FACEMAPROW {
    std::u16string strFace;    // name applications use
    std::string strInstalled;  // installed family that draws it
    BYTE jCharSet;             // 0 ANSI, 128 Shift-JIS
    BYTE jPitchAndFamily;      // LOGFONTW-style pitch and family
    BOOL bVertical;            // an "@" face
};

// What a LOGFONTW resolves to.
struct FACEINFO {
    std::u16string strName;  // family name reported to applications and drivers
    std::string strFile;     // font file
    int iIndex;              // face inside the file
    BYTE jCharSet;           // character set of the realised font
    BYTE jPitchAndFamily;    // pitch and family
    BOOL bVertical;          // "@" face: full-width characters turn a quarter
    USHORT usFaceWeight;     // weight of the face file itself
    BOOL bFaceItalic;        // the face file is italic
    BOOL bSimBold;           // bold is simulated by emboldening
    BOOL bSimItalic;         // italic is simulated by slanting
};

// The rows of the face map, in file order (empty when the file is missing).
const std::vector<FACEMAPROW>& FontFaceMap();

// Chooses the face for a font request.
//  plf    in   the request (face name, weight, italic, character set, pitch)
//  pInfo  out  the face
// FALSE (ERROR_INVALID_PARAMETER, ERROR_FILE_NOT_FOUND) when no face at all
// can be found.
BOOL FontResolve(const LOGFONTW* plf, FACEINFO* pInfo);

// The FreeType face of a file, opened once and kept; null when it cannot be
// opened. Call with FontLock() held.
FT_Face FontOpenFace(const std::string& strFile, int iIndex);

// The lock that guards FreeType.
std::recursive_mutex& FontLock();

// Case-insensitive (ASCII) comparison of two face names.
BOOL FontSameName(const std::u16string& a, const std::u16string& b);
