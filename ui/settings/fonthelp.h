// fonthelp.h: TrueType face helpers of the settings that name a face.
//
// Owns: the character set of a face, the logical font of a sample or rotated
// text (with the "@" vertical form of Japanese faces), its alignment, the
// drawing of a short sample string, and the font enumeration callback that
// fills a list box, reads a face's character set, or builds a list of face
// names. Used by the watermark, index-tab text and font substitution
// settings and by the tab-text drawing at print time.
#pragma once

#include "platform/windows.h"

// The list-box message of the dialog platform; declared here until the
// platform has a window layer of its own (a weak reference: without it,
// listing into a list box does nothing).
#define LB_ADDSTRING 0x0180
extern "C" LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
    __attribute__((weak));

#define FONTTYPE_TRUETYPE 4

// Kinds of sample text: 1 upright, 2 turned half a turn, 3 turned half a
// turn and written vertically (the "@" face for Japanese faces).
#define SAMPLE_KIND_UPRIGHT 1
#define SAMPLE_KIND_TURNED 2
#define SAMPLE_KIND_VERTICAL 3

#pragma pack(push, 1)

// A node of the face-name list of mode 2 (68 bytes, in memory only).
//   off size field
//     0    4 next node (null at the end)
//     4   64 face name WCHAR[32]
struct FONTNAMENODE {
    FONTNAMENODE* pNext;
    WCHAR szFace[32];
};
static_assert(sizeof(void*) != 4 || sizeof(FONTNAMENODE) == 68);

#pragma pack(pop)

// The argument record of EnumFontListProc.
//   mode 0: add each TrueType face not beginning with "@" to list box
//           iListId of hDlg (LB_ADDSTRING);
//   mode 1: keep the character set and pitch-and-family of each font (the
//           last one enumerated wins);
//   mode 2: append each TrueType face to the node list: the first face fills
//           *pNode (bFirstNode is then cleared), each later one gets a new
//           zeroed node behind the current one, which pNode then points at;
//           cFaces counts the faces. The caller frees the nodes it did not
//           supply (FreeFontNameNodes).
struct FONTLISTARG {
    int iMode;
    HWND hDlg;
    int iListId;
    BYTE jCharSet;
    BYTE jPitchAndFamily;
    FONTNAMENODE* pNode;
    BOOL bFirstNode;
    int cFaces;
};

// Character set of the first TrueType face named pszFace (compared exactly);
// DEFAULT_CHARSET (1) when none carries the name.
BYTE GetFaceCharset(HDC hdc, LPCWSTR pszFace);

// The logical font of a sample: the face ("@" added for kind 3 of a
// Shift-JIS face, removed for its other kinds), escapement and orientation
// 900 x vertical + 1800 for kinds 2 and 3, height -(pt x LOGPIXELSY) - 36
// over 72 truncated toward zero, weight 700 for styles 2 and 4, italic for
// styles 3 and 4. iPlacement is not read. FALSE for a null output.
BOOL BuildSampleFont(HDC hdc, int iVertical, LPCWSTR pszFace, int iPoints, int iStyle, int iKind,
                     int iPlacement, LOGFONTW* plf);

// TA_LEFT, TA_RIGHT or TA_CENTER by kind and placement (1 and 3 swap for
// kind 1). iVertical is not read.
UINT GetSampleTextAlign(int iVertical, int iKind, int iPlacement);

// Draws pszText at (1000, 1000) in the sample font, black on a transparent
// background (kind 1 moved up, or left when vertical, by a quarter of the
// text height), and puts back every attribute and object it changed.
// FALSE when the font cannot be made or selected.
BOOL DrawFontSample(HDC hdc, int iVertical, LPCWSTR pszFace, int iPoints, int iStyle, int iKind,
                    int iPlacement, LPCWSTR pszText);

// The enumeration callback; lParam is a FONTLISTARG. Continues (1) while it
// can; 0 when a node cannot be allocated.
int EnumFontListProc(const LOGFONTW* plf, const TEXTMETRICW* ptm, DWORD dwType, LPARAM lParam);

// Frees the nodes behind pFirst (pFirst itself is the caller's).
void FreeFontNameNodes(FONTNAMENODE* pFirst);
