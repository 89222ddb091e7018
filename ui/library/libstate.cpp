// libstate.cpp: what the settings library keeps inside a settings object.
#include "ui/library/libstate.h"
#include "ui/settings/sharedarea.h"
#include "ui/dialogs/userpaper.h"

#include "platform/spooler/winspool.h"
#include "platform/windows.h"
#include "ui/constraints/features.h"
#include "ui/settings/faxdest.h"
#include "ui/settings/usetlib.h"
#include "ui/settings/uisettings.h"

namespace {

struct RECALLSLOT {
    SHORT sCurrent;
    SHORT sCommitted;
    SHORT sDefault;
    SHORT sSpare;
};
static_assert(sizeof(RECALLSLOT) == 8);

struct LIBSTATE {
    DWORD adwMask[4];
    RECALLSLOT aOption[RO_COUNT];
    DWORD dwReady;       // kReady once the options hold their defaults
    DWORD bNotEditable;  // zero: editable
    DWORD dwLock;
};

const DWORD kReady = 0x504F4352;

// The library's state sits below the preview state and the working-file
// path at the end of the shared area, clear of the fax destinations and
// the constraint engine's state at its start.
const size_t kLibStateOffset = SHARED_LIBRARY_OFFSET;
static_assert(sizeof(LIBSTATE) <= SHARED_LIBRARY_BYTES);
static_assert(kLibStateOffset % 4 == 0);
static_assert(kLibStateOffset >= FAXDEST_STATE_OFFSET + sizeof(FAXDESTSTATE) + sizeof(CONSTRAINTSTATE) + 8);

const char16_t* const kNames[RO_COUNT] = {u"UsetPaperChk",    u"UsetUDPaperChk", u"UsetTrybyPgChk", u"UsetWMarkChk",
                                          u"UsetFaxcoverChk", u"UsetFormChk",    u"UsetOptionChk"};
// Where each option goes in the recall block.
const int kBytes[RO_COUNT] = {0, 1, 3, 2, 5, 6, 4};
// Defaults: the paper group and the device options stay as they are.
const SHORT kDefaults[RO_COUNT] = {0, 1, 1, 1, 1, 1, 0};

LIBSTATE* _State(UISETTINGS* pObj)
{
    if (!pObj)
        return nullptr;
    LIBSTATE* s = (LIBSTATE*)((BYTE*)pObj + kLibStateOffset);
    if (s->dwReady != kReady) {
        for (int i = 0; i < RO_COUNT; ++i)
            s->aOption[i] = {kDefaults[i], kDefaults[i], kDefaults[i], 0};
        s->dwReady = kReady;
    }
    return s;
}

bool _Valid(int i) { return i >= 0 && i < RO_COUNT; }

}  // namespace

DWORD* GetLibraryRefreshMask(UISETTINGS* pObj, int iDialog)
{
    LIBSTATE* s = _State(pObj);
    return s && iDialog >= 0 && iDialog < 4 ? &s->adwMask[iDialog] : nullptr;
}

SHORT GetRecallOptionValue(UISETTINGS* pObj, int i)
{
    LIBSTATE* s = _State(pObj);
    return s && _Valid(i) ? s->aOption[i].sCurrent : -1;
}

SHORT GetRecallOptionCommitted(UISETTINGS* pObj, int i)
{
    LIBSTATE* s = _State(pObj);
    return s && _Valid(i) ? s->aOption[i].sCommitted : -1;
}

SHORT GetRecallOptionDefault(UISETTINGS* pObj, int i)
{
    LIBSTATE* s = _State(pObj);
    return s && _Valid(i) ? s->aOption[i].sDefault : -1;
}

BOOL SetRecallOptionValue(UISETTINGS* pObj, int i, SHORT sValue)
{
    LIBSTATE* s = _State(pObj);
    if (!s || !_Valid(i) || (sValue != 0 && sValue != 1))
        return FALSE;
    s->aOption[i].sCurrent = sValue;
    return TRUE;
}

LPCWSTR GetRecallOptionName(int i) { return _Valid(i) ? kNames[i] : nullptr; }
int GetRecallOptionByte(int i) { return _Valid(i) ? kBytes[i] : -1; }

void CommitRecallOptions(UISETTINGS* pObj)
{
    if (LIBSTATE* s = _State(pObj))
        for (RECALLSLOT& r : s->aOption)
            r.sCommitted = r.sCurrent;
}

void StoreRecallOptions(BYTE* pOptions, UISETTINGS* pObj)
{
    LIBSTATE* s = _State(pObj);
    if (!pOptions || !s)
        return;
    for (int i = 0; i < RO_COUNT; ++i)
        pOptions[kBytes[i]] = s->aOption[i].sCurrent == 1 ? 1 : 0;
    if (!bUserSizesRecallable(pObj))
        pOptions[kBytes[RO_UDPAPER]] = 0;
}

BOOL bUserSizesRecallable(UISETTINGS* pObj)
{
    if (!pObj || GetPrinterDataLock(pObj) != 0 || !pObj->trailer.pszPrinterName)
        return FALSE;
    HANDLE h = nullptr;
    if (!OpenPrinterW((LPWSTR)pObj->trailer.pszPrinterName, &h, nullptr))
        return FALSE;
    BOOL b = bCanWritePrinterData(h);
    ClosePrinter(h);
    return b;
}

BOOL bLibrarySheetEditable(UISETTINGS* pObj)
{
    LIBSTATE* s = _State(pObj);
    return s && !s->bNotEditable;
}

void SetLibrarySheetEditable(UISETTINGS* pObj, BOOL bEditable)
{
    if (LIBSTATE* s = _State(pObj))
        s->bNotEditable = bEditable ? 0 : 1;
}

DWORD GetPrinterDataLock(UISETTINGS* pObj)
{
    LIBSTATE* s = _State(pObj);
    return s ? s->dwLock : 1;
}

void SetPrinterDataLock(UISETTINGS* pObj, DWORD dwLock)
{
    if (LIBSTATE* s = _State(pObj))
        s->dwLock = dwLock;
}
