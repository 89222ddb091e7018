// optiondb.h: the option database.
//
// Owns: the handle OPTIONDB, the three constant option tables (choices,
// papers, numeric ranges; data files optchoice.tsv, optpaper.tsv and
// optrange.tsv), the query entry QueryOptionDb with its query codes, and the
// builders that fill a UIITEM from the tables. Both driver libraries answer
// every question about an option through this file; nothing else reads the
// tables.
//
// Rules the engine keeps:
//   1. An option id stands in one table only; its rows are consecutive.
//   2. The default row is the last row whose default flag is set, else row 0.
//   3. A null handle, an unknown option or a missing output answers 0 and
//      writes nothing.
//   4. Range limits are signed 16-bit values: codes 8 and 9 answer them
//      sign-extended, so (LONG)QueryOptionDb(...) gives -2 for option 56.
#pragma once

#include "platform/windows.h"

#pragma pack(push, 1)

// The handle: a 4-byte record with this handle's own load of the resource
// library (null when it could not be loaded; texts then come back empty).
//   off size field
//     0    4 hResDll
struct OPTIONDB {
    HMODULE hResDll;
};
typedef OPTIONDB* POPTIONDB;
static_assert(sizeof(void*) != 4 || sizeof(OPTIONDB) == 4);

// Choice row (12 bytes).
//   off size field
//     0    2 option id
//     2    2 display string id
//     4    2 value (signed)
//     6    2 0
//     8    4 default flag
struct OPTCHOICE {
    WORD wOption;
    WORD wStrId;
    SHORT sValue;
    WORD wZero;
    DWORD dwDefault;
};
static_assert(sizeof(OPTCHOICE) == 12);
static_assert(offsetof(OPTCHOICE, sValue) == 4);
static_assert(offsetof(OPTCHOICE, dwDefault) == 8);

// Paper row (36 bytes). Option 0: 1/100 mm; option 22: dots at 300 dpi.
//   off size field
//     0    2 option id          2 2 display string id
//     4    2 paper code         6 2 0
//     8    4 width             12 4 length
//    16    4 printable left    20 4 printable top
//    24    4 printable right   28 4 printable bottom
//    32    4 default flag
struct OPTPAPER {
    WORD wOption;
    WORD wStrId;
    WORD wCode;
    WORD wZero;
    LONG lWidth;
    LONG lLength;
    RECTL rcPrintable;
    DWORD dwDefault;
};
static_assert(sizeof(OPTPAPER) == 36);
static_assert(offsetof(OPTPAPER, wCode) == 4);
static_assert(offsetof(OPTPAPER, lWidth) == 8);
static_assert(offsetof(OPTPAPER, rcPrintable) == 16);
static_assert(offsetof(OPTPAPER, dwDefault) == 32);

// Numeric range row (10 bytes).
//   off size field
//     0    2 option id   2 2 maximum (signed)   4 2 minimum (signed)
//     6    2 step        8 2 default
struct OPTRANGE {
    WORD wOption;
    SHORT sMax;
    SHORT sMin;
    WORD wStep;
    WORD wDefault;
};
static_assert(sizeof(OPTRANGE) == 10);
static_assert(offsetof(OPTRANGE, sMin) == 4);

// UIITEM: what the item builders fill; every field is a 16-bit word.
//   choice / value list: header of six words, then count rows
//     0 initial  2 current index  4 current value  6 default  8 flag  10 count
//   choice row (134 bytes): 0 value, 2 row index, 4 text WCHAR[64], 132 enabled
//   value-list row (4 bytes): 0 value, 2 enabled
//   plain value: 0 initial, 2 current, 4 default, 6 flag
//   range: plain value, then 8 minimum, 10 maximum
// (The words are named by position; the settings object edits word 0 and
// keeps the loaded value in the committed word.)
struct UIITEMLIST {
    SHORT sInitial;
    SHORT sCurIndex;
    SHORT sCurValue;
    SHORT sDefault;
    SHORT sFlag;
    SHORT sCount;
};
static_assert(sizeof(UIITEMLIST) == 12);

struct UIITEMCHOICE {
    SHORT sValue;
    SHORT sIndex;
    WCHAR szText[64];
    SHORT sEnabled;
};
static_assert(sizeof(UIITEMCHOICE) == 134);
static_assert(offsetof(UIITEMCHOICE, sEnabled) == 132);

struct UIITEMVALUE {
    SHORT sValue;
    SHORT sEnabled;
};
static_assert(sizeof(UIITEMVALUE) == 4);

struct UIITEMPLAIN {
    SHORT sInitial;
    SHORT sCurrent;
    SHORT sDefault;
    SHORT sFlag;
};
static_assert(sizeof(UIITEMPLAIN) == 8);

struct UIITEMRANGE {
    SHORT sInitial;
    SHORT sCurrent;
    SHORT sDefault;
    SHORT sFlag;
    SHORT sMin;
    SHORT sMax;
};
static_assert(sizeof(UIITEMRANGE) == 12);

#pragma pack(pop)

// Table kinds that FindOptionRow answers.
#define OPTKIND_NONE 0
#define OPTKIND_CHOICE 1
#define OPTKIND_PAPER 2
#define OPTKIND_RANGE 3

// Query codes of QueryOptionDb.
#define OPTQ_COUNT 1         // rows of the option (1 for a range)
#define OPTQ_ALLTEXTS 2      // every row's text into slots of `size` characters
#define OPTQ_TEXT 3          // text of row `index`
#define OPTQ_DEFTEXT 4       // text of the default row
#define OPTQ_ALLVALUES 5     // every value: 16-bit when size is 2, else 32-bit
#define OPTQ_VALUE 6         // value of row `index`
#define OPTQ_DEFAULT 7       // default value
#define OPTQ_MIN 8           // range minimum (sign-extended)
#define OPTQ_MAX 9           // range maximum (sign-extended)
#define OPTQ_STEP 10         // range step
#define OPTQ_ALLSIZES 14     // every paper's width and length (LONG pairs)
#define OPTQ_SIZE 15         // width and length of row `index`
#define OPTQ_DEFSIZE 16      // the same for the default row
#define OPTQ_ALLRECTS 17     // every paper's printable rectangle
#define OPTQ_RECT 18         // printable rectangle of row `index`
#define OPTQ_DEFRECT 19      // the same for the default row

// Option ids the settings code names.
#define OPT_PAPER 0
#define OPT_COPIES 2
#define OPT_ORIENTATION 3
#define OPT_RESOLUTION 5
#define OPT_DUPLEX 7
#define OPT_OUTPUTPAPER 11
#define OPT_PAPER300 22
#define OPT_ZOOMCHECK 25
#define OPT_ZOOM 26
#define OPT_MEDIASOURCE 27
#define OPT_FAXQUALITY 67
#define OPT_UDWIDTH 164
#define OPT_UDLENGTH 165

// Opens a handle with its own load of the resource library from the
// printer-driver directory. Null only when the record cannot be allocated.
POPTIONDB OpenOptionDb();
// Frees the handle's library and the record; null does nothing.
void CloseOptionDb(POPTIONDB pdb);

// One question about an option (codes above). pOut may be null only for
// codes 1 and 6..10.
DWORD QueryOptionDb(POPTIONDB pdb, WORD wOption, int iCode, PVOID pOut, int iIndex, int iSize);
// QueryOptionDb(pdb, wOption, OPTQ_DEFAULT, null, 0, 0).
DWORD GetOptionDefault(POPTIONDB pdb, WORD wOption);

// Finds the first row of an option: OPTKIND_* and, when ppRow is given, the
// address of that row (OPTCHOICE, OPTPAPER or OPTRANGE).
int FindOptionRow(WORD wOption, const void** ppRow);

// The driver version word kept with the tables (0x8403).
WORD GetOptionDbDriverVersion();

// Item builders. Each returns the row count (choice, value list) or 1.
// A choice item with no row matching the value takes the option's default
// (or row 0) for its value too, so that the item never shows one value and
// keeps another.
int BuildChoiceItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue);
int BuildValueListItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue);
int BuildDefaultItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue);
int BuildRangeItem(POPTIONDB pdb, WORD wOption, PVOID pItem, SHORT sValue);

// Loads the display text of string id uId from the handle's library into
// pszOut (at most cch characters with the terminator). Returns the length;
// 0 and an empty text when there is no library or no such text.
int LoadOptionText(POPTIONDB pdb, UINT uId, LPWSTR pszOut, int cch);
