// textfix.h: a PDEV for text tests (600 dpi A4 print job, device fonts on),
// with a capture of the job stream, a device surface, fonts realised by the
// platform and the user's substitution list.
#pragma once

#include <string>
#include <vector>

#include "pdl/xgcmn/ordexnt/xrtext.h"
#include "platform/gdi/gditext.h"

struct TextPdev {
    std::vector<BYTE> block;
    std::string sStream;
    SURFOBJ so = {};
    std::vector<FONTSUBNODE> aNodes;

    TextPdev();
    ~TextPdev();
    TextPdev(const TextPdev&) = delete;
    TextPdev& operator=(const TextPdev&) = delete;
    PDEV* pdev() { return reinterpret_cast<PDEV*>(block.data()); }
    PDLWORK* work() { return PdlWork(pdev()); }
    BYTE* dm() { return block.data() + PDEV_DEVMODE_OFFSET; }
    // The substitution list: pairs of TrueType face and device font.
    void Substitute(const std::vector<std::pair<std::u16string, std::u16string>>& pairs);
    // The 32 pairs a user starts with.
    void SubstituteDefaults();
    std::string Take();
};

// A font as GDI realises it for the 600-dpi device; released with the object.
struct TestFont {
    FONTOBJ* pfo = nullptr;
    TestFont(const char16_t* pszFace, LONG lHeight, LONG lWeight = 400, BOOL bItalic = FALSE,
             LONG lEscapement = 0, LONG lWidth = 0, BYTE jCharSet = 0);
    ~TestFont();
    TestFont(const TestFont&) = delete;
    TestFont& operator=(const TestFont&) = delete;
};

// A string at (x, y) in a font, for DrawTextBody.
struct TestString {
    STROBJ* pstro = nullptr;
    TestString(FONTOBJ* pfo, const std::u16string& text, LONG x, LONG y, BOOL bGlyphIndex = FALSE);
    ~TestString();
    TestString(const TestString&) = delete;
    TestString& operator=(const TestString&) = delete;
};

// The stream cut at each line end ("\n" dropped); image data stay inside
// the line of their head.
std::vector<std::string> Lines(const std::string& s);
// Lines that start with the prefix.
std::vector<std::string> LinesWith(const std::string& s, const std::string& prefix);
// Draws black text with no clip, extra or opaque rectangle.
BOOL DrawText(TextPdev& t, FONTOBJ* pfo, STROBJ* pstro, RECTL* prclExtra = nullptr,
              RECTL* prclOpaque = nullptr);
