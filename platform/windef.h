// windef.h: the base types, records and constants of the platform layer.
//
// Owns: the integer and handle types, RECTL/POINTL/SIZEL, the public DEVMODEW
// header, the error codes and the export macro. Every other platform header
// includes this one. The types follow the 64-bit Windows model in both builds
// (native x86-64 and the 32-bit x86 reference): LONG and DWORD are 32 bits;
// pointers, the *_PTR types, WPARAM, LPARAM, LRESULT and handles are
// pointer-sized. Stored and exchanged records hold no pointer, so their layout
// is the same in both builds.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int BOOL;
typedef char CHAR;
typedef char16_t WCHAR;
typedef unsigned char UCHAR;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uint32_t FLONG;
typedef int32_t FIX;  // 28.4 fixed point
typedef void VOID;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* PBYTE;
typedef BYTE* LPBYTE;
typedef WORD* PWORD;
typedef DWORD* PDWORD;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef BOOL* PBOOL;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef WCHAR* PWSTR;
typedef WCHAR* PWCHAR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* PCWSTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef DWORD COLORREF;
typedef WORD ATOM;
typedef WORD LANGID;

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "a 32-bit or 64-bit target");
static_assert(sizeof(LONG_PTR) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*), "pointer-sized types");
static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(WCHAR) == 2, "base type sizes");

// Handles are opaque pointers; each kind is its own type so that a mix-up does
// not compile.
typedef void* HANDLE;
#define Q730_DECLARE_HANDLE(name) \
    struct name##__ { int unused; }; \
    typedef struct name##__* name
Q730_DECLARE_HANDLE(HINSTANCE);
Q730_DECLARE_HANDLE(HKEY);
Q730_DECLARE_HANDLE(HWND);
Q730_DECLARE_HANDLE(HDC);
Q730_DECLARE_HANDLE(HBITMAP);
Q730_DECLARE_HANDLE(HICON);
Q730_DECLARE_HANDLE(HBRUSH);
Q730_DECLARE_HANDLE(HPEN);
Q730_DECLARE_HANDLE(HFONT);
Q730_DECLARE_HANDLE(HRGN);
Q730_DECLARE_HANDLE(HPALETTE);
Q730_DECLARE_HANDLE(HMENU);
Q730_DECLARE_HANDLE(HRSRC);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef HANDLE HGDIOBJ;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;

typedef HKEY* PHKEY;

#define TRUE 1
#define FALSE 0
#ifndef NULL
#define NULL 0
#endif
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define MAX_PATH 260
#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// Calling-convention words keep the declarations readable; on this target
// there is one convention.
#define WINAPI
#define APIENTRY
#define CALLBACK
#define IN
#define OUT
#define OPTIONAL

// Marks the entry points a driver library exports; everything else in the
// libraries is hidden.
#define Q730_EXPORT extern "C" __attribute__((visibility("default")))

// Packing of the in-memory API records that hold pointers, handles or
// other 8-byte members (window messages' records, DDI objects, spooler
// records...): byte-packed in the i386 build, where that is the 32-bit
// layout their offsets are asserted in; naturally aligned in the native
// build, as in 64-bit Windows, so that every pointer member lies on its
// own size, whatever record embeds it, and may be bound to a reference or
// loaded without a misaligned access. None of these records is stored or
// sent anywhere: both sides of each are the same build. Stored records
// (DEVMODEW, BITMAPINFOHEADER, LOGFONTW, dialog templates...) hold no
// pointer and stay byte-packed in both builds.
//   Q730_API_PACK_BEGIN
//   struct RECORD { ... };
//   Q730_API_PACK_END
#if defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4
#define Q730_API_PACK_BEGIN _Pragma("pack(push, 1)")
#else
#define Q730_API_PACK_BEGIN _Pragma("pack(push, 8)")
#endif
#define Q730_API_PACK_END _Pragma("pack(pop)")

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWORD(a, b) ((WORD)(((BYTE)(((DWORD_PTR)(a)) & 0xff)) | ((WORD)((BYTE)(((DWORD_PTR)(b)) & 0xff))) << 8))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

#pragma pack(push, 1)

struct POINTL {
    LONG x;
    LONG y;
};
typedef POINTL* PPOINTL;
typedef POINTL POINT;
typedef POINT* LPPOINT;

struct RECTL {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECTL* PRECTL;
typedef RECTL RECT;
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct SIZEL {
    LONG cx;
    LONG cy;
};
typedef SIZEL SIZE;
typedef SIZEL* PSIZEL;
typedef SIZE* LPSIZE;

struct POINTS {
    SHORT x;
    SHORT y;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
// These go into stored records (DEVMODEW, the settings' files): the same
// bytes in both builds.
static_assert(sizeof(POINTL) == 8 && sizeof(RECTL) == 16 && sizeof(SIZEL) == 8 && sizeof(POINTS) == 4);
static_assert(sizeof(FILETIME) == 8 && offsetof(FILETIME, dwHighDateTime) == 4);
static_assert(sizeof(SYSTEMTIME) == 16);

// The public DEVMODE header, 220 bytes (spec version 0x401).
//
//  off size field
//    0   64 dmDeviceName[32]
//   64    2 dmSpecVersion        66 2 dmDriverVersion
//   68    2 dmSize               70 2 dmDriverExtra
//   72    4 dmFields
//   76    2 dmOrientation        78 2 dmPaperSize
//   80    2 dmPaperLength        82 2 dmPaperWidth
//   84    2 dmScale              86 2 dmCopies
//   88    2 dmDefaultSource      90 2 dmPrintQuality
//   92    2 dmColor              94 2 dmDuplex
//   96    2 dmYResolution        98 2 dmTTOption
//  100    2 dmCollate
//  102   64 dmFormName[32]
//  166    2 dmLogPixels
//  168    4 dmBitsPerPel        172 4 dmPelsWidth
//  176    4 dmPelsHeight        180 4 dmDisplayFlags / dmNup
//  184    4 dmDisplayFrequency  188 4 dmICMMethod
//  192    4 dmICMIntent         196 4 dmMediaType
//  200    4 dmDitherType        204 4 dmReserved1
//  208    4 dmReserved2         212 4 dmPanningWidth
//  216    4 dmPanningHeight
struct DEVMODEW {
    WCHAR dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    union {
        struct {
            SHORT dmOrientation;
            SHORT dmPaperSize;
            SHORT dmPaperLength;
            SHORT dmPaperWidth;
            SHORT dmScale;
            SHORT dmCopies;
            SHORT dmDefaultSource;
            SHORT dmPrintQuality;
        };
        struct {
            POINTL dmPosition;
            DWORD dmDisplayOrientation;
            DWORD dmDisplayFixedOutput;
        };
    };
    SHORT dmColor;
    SHORT dmDuplex;
    SHORT dmYResolution;
    SHORT dmTTOption;
    SHORT dmCollate;
    WCHAR dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    union {
        DWORD dmDisplayFlags;
        DWORD dmNup;
    };
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
typedef DEVMODEW* PDEVMODEW;
typedef DEVMODEW* LPDEVMODEW;

#pragma pack(pop)

static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64);
static_assert(offsetof(DEVMODEW, dmDriverVersion) == 66);
static_assert(offsetof(DEVMODEW, dmSize) == 68);
static_assert(offsetof(DEVMODEW, dmDriverExtra) == 70);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmPaperSize) == 78);
static_assert(offsetof(DEVMODEW, dmPaperLength) == 80);
static_assert(offsetof(DEVMODEW, dmPaperWidth) == 82);
static_assert(offsetof(DEVMODEW, dmScale) == 84);
static_assert(offsetof(DEVMODEW, dmCopies) == 86);
static_assert(offsetof(DEVMODEW, dmDefaultSource) == 88);
static_assert(offsetof(DEVMODEW, dmPrintQuality) == 90);
static_assert(offsetof(DEVMODEW, dmColor) == 92);
static_assert(offsetof(DEVMODEW, dmDuplex) == 94);
static_assert(offsetof(DEVMODEW, dmYResolution) == 96);
static_assert(offsetof(DEVMODEW, dmTTOption) == 98);
static_assert(offsetof(DEVMODEW, dmCollate) == 100);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168);
static_assert(offsetof(DEVMODEW, dmPelsWidth) == 172);
static_assert(offsetof(DEVMODEW, dmPelsHeight) == 176);
static_assert(offsetof(DEVMODEW, dmNup) == 180);
static_assert(offsetof(DEVMODEW, dmDisplayFrequency) == 184);
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188);
static_assert(offsetof(DEVMODEW, dmICMIntent) == 192);
static_assert(offsetof(DEVMODEW, dmMediaType) == 196);
static_assert(offsetof(DEVMODEW, dmDitherType) == 200);
static_assert(offsetof(DEVMODEW, dmReserved1) == 204);
static_assert(offsetof(DEVMODEW, dmReserved2) == 208);
static_assert(offsetof(DEVMODEW, dmPanningWidth) == 212);
static_assert(offsetof(DEVMODEW, dmPanningHeight) == 216);

#define DM_SPECVERSION 0x0401

// dmFields bits
#define DM_ORIENTATION 0x00000001L
#define DM_PAPERSIZE 0x00000002L
#define DM_PAPERLENGTH 0x00000004L
#define DM_PAPERWIDTH 0x00000008L
#define DM_SCALE 0x00000010L
#define DM_POSITION 0x00000020L
#define DM_NUP 0x00000040L
#define DM_DISPLAYORIENTATION 0x00000080L
#define DM_COPIES 0x00000100L
#define DM_DEFAULTSOURCE 0x00000200L
#define DM_PRINTQUALITY 0x00000400L
#define DM_COLOR 0x00000800L
#define DM_DUPLEX 0x00001000L
#define DM_YRESOLUTION 0x00002000L
#define DM_TTOPTION 0x00004000L
#define DM_COLLATE 0x00008000L
#define DM_FORMNAME 0x00010000L
#define DM_LOGPIXELS 0x00020000L
#define DM_BITSPERPEL 0x00040000L
#define DM_PELSWIDTH 0x00080000L
#define DM_PELSHEIGHT 0x00100000L
#define DM_DISPLAYFLAGS 0x00200000L
#define DM_DISPLAYFREQUENCY 0x00400000L
#define DM_ICMMETHOD 0x00800000L
#define DM_ICMINTENT 0x01000000L
#define DM_MEDIATYPE 0x02000000L
#define DM_DITHERTYPE 0x04000000L
#define DM_PANNINGWIDTH 0x08000000L
#define DM_PANNINGHEIGHT 0x10000000L

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2
#define DMCOLOR_MONOCHROME 1
#define DMCOLOR_COLOR 2
#define DMDUP_SIMPLEX 1
#define DMDUP_VERTICAL 2
#define DMDUP_HORIZONTAL 3
#define DMTT_BITMAP 1
#define DMTT_DOWNLOAD 2
#define DMTT_SUBDEV 3
#define DMTT_DOWNLOAD_OUTLINE 4
#define DMCOLLATE_FALSE 0
#define DMCOLLATE_TRUE 1

// DEVMODE request modes of the document-properties calls.
#define DM_UPDATE 1
#define DM_COPY 2
#define DM_PROMPT 4
#define DM_MODIFY 8
#define DM_IN_BUFFER DM_MODIFY
#define DM_IN_PROMPT DM_PROMPT
#define DM_OUT_BUFFER DM_COPY
#define DM_OUT_DEFAULT DM_UPDATE

// Error codes (GetLastError and the registry's return values).
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_FORMAT 11L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_INVALID_ADDRESS 487L
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_INVALID_PRINTER_NAME 1801L
#define ERROR_UNKNOWN_PRINTER_DRIVER 1797L
#define ERROR_INVALID_PRINTER_COMMAND 1803L
#define ERROR_PRINTER_ALREADY_EXISTS 1802L
#define ERROR_INVALID_LEVEL 124L
#define ERROR_BAD_DRIVER_LEVEL 119L
#define ERROR_CANCELLED 1223L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_PRINT_CANCELLED 63L
