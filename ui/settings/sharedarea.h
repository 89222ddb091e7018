// sharedarea.h: where the parts of the user interface keep their own state
// inside a settings object's shared area (UISETTINGS::abShared).
//
// The area travels with the object (clones and copies carry it), so every
// part that keeps state there takes a fixed place in it. The places, from
// the top of the area down to the trailer:
//
//   FAXDEST_STATE_OFFSET    fax destinations (faxdest.h), then the
//                           constraint engine's state just after it
//   ...                     free
//   SHARED_SHEET_OFFSET     the open sheet's links to its host and
//                           printer (SHEETLINKS, sheetstate.h), 32 bytes
//   SHARED_DIALOG_OFFSET    setting dialogs' state words, 64 bytes
//   SHARED_LIBRARY_OFFSET   settings library state, 128 bytes
//   SHARED_PREVIEW_OFFSET   preview panes' state, 512 bytes
//   SHARED_WORKFILE_OFFSET  working-file path, MAX_PATH characters, up to
//                           the trailer
#pragma once

#include "ui/settings/uisettings.h"

#include <cstddef>

#define SHARED_WORKFILE_CCH 260
#define SHARED_WORKFILE_OFFSET (offsetof(UISETTINGS, trailer) - SHARED_WORKFILE_CCH * 2)
#define SHARED_PREVIEW_BYTES 512
#define SHARED_PREVIEW_OFFSET (SHARED_WORKFILE_OFFSET - SHARED_PREVIEW_BYTES)
#define SHARED_LIBRARY_BYTES 128
#define SHARED_LIBRARY_OFFSET (SHARED_PREVIEW_OFFSET - SHARED_LIBRARY_BYTES)
#define SHARED_DIALOG_BYTES 64
#define SHARED_DIALOG_OFFSET (SHARED_LIBRARY_OFFSET - SHARED_DIALOG_BYTES)
#define SHARED_SHEET_BYTES 32
#define SHARED_SHEET_OFFSET (SHARED_DIALOG_OFFSET - SHARED_SHEET_BYTES)
// The fax destinations and the constraint engine's state end above this
// offset (checked where they are placed).
#define SHARED_LOW_LIMIT SHARED_SHEET_OFFSET

// The places count down from the trailer, which starts on a pointer
// boundary, so a place whose size is a multiple of 8 keeps that boundary.
static_assert(SHARED_DIALOG_OFFSET % 4 == 0);
static_assert(SHARED_SHEET_OFFSET % alignof(void*) == 0);
