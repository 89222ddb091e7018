// libstate.h: what the settings library keeps inside a settings object.
//
// Owns: the refresh masks of the four library dialogs (save, recall, recall
// detail, organize), the seven recall options with their current,
// committed and default values, the sheet's editable flag and printer-data
// lock flag as the library dialogs read them, the hand-over of the options
// to a recall (StoreRecallOptions) and the test of whether user-defined
// sizes may be recalled.
//
// Rules:
//   1. The state lies in the object's shared area, so clones and copies of
//      the object carry it; an object that never had it set gets the
//      option defaults on first use.
//   2. An object is editable and unlocked unless the sheet says otherwise.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

// Recall options, in the order of the settings object's values.
#define RO_PAPER 0       // UsetPaperChk: original size, orientation, copies
#define RO_UDPAPER 1     // UsetUDPaperChk: user-defined paper sizes
#define RO_TRYBYPG 2     // UsetTrybyPgChk: insert-sheet lists
#define RO_WMARK 3       // UsetWMarkChk: watermark list
#define RO_FAXCOVER 4    // UsetFaxcoverChk: fax cover sheet
#define RO_FORM 5        // UsetFormChk: form file list
#define RO_OPTION 6      // UsetOptionChk: device options
#define RO_COUNT 7

// Which refresh mask.
#define LIBMASK_SAVE 0
#define LIBMASK_RECALL 1
#define LIBMASK_DETAIL 2
#define LIBMASK_ORGANIZE 3

DWORD* GetLibraryRefreshMask(UISETTINGS* pObj, int iDialog);

// One option's values (0 or 1); -1 for a null object or a bad index.
SHORT GetRecallOptionValue(UISETTINGS* pObj, int iOption);
SHORT GetRecallOptionCommitted(UISETTINGS* pObj, int iOption);
SHORT GetRecallOptionDefault(UISETTINGS* pObj, int iOption);
BOOL SetRecallOptionValue(UISETTINGS* pObj, int iOption, SHORT sValue);
// The options' names as a settings object knows them.
LPCWSTR GetRecallOptionName(int iOption);
// The byte of the recall block that carries an option.
int GetRecallOptionByte(int iOption);

// Committed := current for all seven; run by every page's apply.
void CommitRecallOptions(UISETTINGS* pObj);
// Copies the current values into a recall block (RECALL_OPTIONS bytes);
// user-defined sizes go as 0 when they may not be recalled.
void StoreRecallOptions(BYTE* pOptions, UISETTINGS* pObj);
// The sheet may write the printer's data: its lock flag is 0 and a test
// value can be written to the printer.
BOOL bUserSizesRecallable(UISETTINGS* pObj);
// The write probe of the printer data is the custom paper size dialog's
// (ui/dialogs/userpaper.h).

// The sheet's flags as the library reads them.
BOOL bLibrarySheetEditable(UISETTINGS* pObj);
void SetLibrarySheetEditable(UISETTINGS* pObj, BOOL bEditable);
DWORD GetPrinterDataLock(UISETTINGS* pObj);
void SetPrinterDataLock(UISETTINGS* pObj, DWORD dwLock);
