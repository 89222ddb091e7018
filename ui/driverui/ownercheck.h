// ownercheck.h: the owner of a DEVMODE's private-job settings.
//
// Owns: CheckJobOwner, which compares the owner recorded in a settings
// object with the current Windows user and records the current user, the
// owner state the sheet keeps for its pages, and ResetPrivateJobFields,
// which clears the private-job settings (secure print, box save, job
// combination, their IDs and password) of a DEVMODE that came from another
// user. Both run when a property sheet opens its settings object.
//
// Owner record (three parameters of the settings object, kept in the
// DEVMODE like any other):
//   parameter 229  owner name, up to 32 UTF-16 characters and a NUL
//   parameter 225  unsigned 32-bit sum of the code units of the whole name
//   parameter 227  8-bit length of the whole name
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// Owner states.
#define JOBOWNER_NONE 1        // no owner recorded and no current user name
#define JOBOWNER_SAME 2        // the recorded owner is the current user
#define JOBOWNER_NEW 3         // no owner was recorded; the user has a name
#define JOBOWNER_NAMELESS 4    // an owner is recorded; the user name is empty
#define JOBOWNER_CHANGED 5     // the owner changed

// The state word of the settings object that keeps the owner state.
#define UIS_STATE_JOBOWNER 11

// Compares and records the owner; answers the owner state 1..5, or 0 (and
// nothing changed) when its work buffers cannot be allocated or pObj is
// null. dwReserved is not read.
int CheckJobOwner(DWORD dwReserved, UISETTINGS* pObj);

// The owner state the sheet keeps for its pages (the answer of
// CheckJobOwner).
void SetJobOwnerState(UISETTINGS* pObj, WORD wState);
WORD GetJobOwnerState(const UISETTINGS* pObj);

// The user-name call CheckJobOwner goes through (GetUserNameW). Tests put a
// stand-in here (a user without a name, a failing call); null restores it.
typedef BOOL (*PFN_GETUSERNAMEW)(LPWSTR pszBuffer, LPDWORD pcch);
void OwnerCheckSetUserNameProc(PFN_GETUSERNAMEW pfn);

// Unless the kept owner state is 1 or 2: the output method, the secure
// print and job combination switches back to their defaults, and the user
// ID, box number, password texts and job ID emptied. dwReserved is not read.
void ResetPrivateJobFields(DWORD dwReserved, UISETTINGS* pObj);
