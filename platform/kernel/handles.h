// handles.h: the process's table of kernel handles.
//
// Owns: the handle values given out for kernel objects (files, searches and
// whatever other platform areas register) and CloseHandle. Global memory and
// module handles are not in this table; they keep handles of their own kind.
//
// Rules the callers rely on:
//  1. A handle value is never null and never INVALID_HANDLE_VALUE, and a
//     closed value is not handed out again for a long time, so a stale
//     handle is refused instead of reaching another object.
//  2. PlatHandleAcquire pins the object: a CloseHandle from another thread
//     only removes the value; the object's close function runs when the last
//     PlatHandleRelease comes.
//  3. A bad, closed or wrong-kind handle gives ERROR_INVALID_HANDLE, never a
//     crash.
#pragma once

#include "platform/windef.h"

// Kinds of kernel objects. Other platform areas pick their own numbers at
// PLAT_HANDLE_USER and above.
#define PLAT_HANDLE_ANY 0
#define PLAT_HANDLE_FILE 1
#define PLAT_HANDLE_FIND 2
#define PLAT_HANDLE_USER 100

// Called once when the object's handle is closed and no one holds it.
// Answers FALSE (with the last error set) when closing failed.
typedef BOOL (*PFN_PLATCLOSE)(void* pObject);

// Platform calls keep C names, so GetProcAddress finds them.
extern "C" {

// Registers pObject (in) of kind dwKind (in) and gives its new handle; null
// (ERROR_NOT_ENOUGH_MEMORY) when the table cannot grow.
HANDLE PlatHandleCreate(DWORD dwKind, void* pObject, PFN_PLATCLOSE pfnClose);

// The object of handle h when it is open and of kind dwKind (or any kind for
// PLAT_HANDLE_ANY), pinned until PlatHandleRelease; null with
// ERROR_INVALID_HANDLE otherwise.
void* PlatHandleAcquire(HANDLE h, DWORD dwKind);
void PlatHandleRelease(HANDLE h);

// The kind of an open handle, or 0xFFFFFFFF for a bad one (last error untouched).
DWORD PlatHandleKind(HANDLE h);

// Closes a handle of any registered kind. FALSE with ERROR_INVALID_HANDLE
// for a bad one.
BOOL CloseHandle(HANDLE hObject);

// Number of open handles in the table (for leak checks in tests).
DWORD PlatOpenHandleCount();

}  // extern "C"
