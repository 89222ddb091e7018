// dmvalidate.h: DEVMODE identity, validation and merge.
//
// Owns: the checks that decide whether a DEVMODE is this driver's, the two
// accessors through which the graphics library reaches the private blocks
// inside its PDEV image, loading (and repairing) the printer's default
// DEVMODE "RNOVA NT", ValidateDevmode, and the merge of a caller's DEVMODE.
//
// Rules:
//   1. A DEVMODE from outside is never trusted for a length: public fields
//      are read only below its dmSize, the private part is copied only from
//      a DEVMODE of this driver's kind and never beyond 2395 bytes.
//   2. Every text read from a DEVMODE is compared and used within its own
//      field; validation writes a terminator into the last unit of each text
//      field.
//   3. Validation leaves the page geometry consistent with the paper fields
//      it leaves: the final size is settled first, the geometry follows.
#pragma once

#include "platform/windows.h"
#include "ui/settings/devmode.h"
#include "ui/settings/optiondb.h"

// Where the job DEVMODE lies in the graphics library's PDEV image.
#define PDEV_DEVMODE_OFFSET 6460
#define PDEV_UIEXTRA_OFFSET 6680          // 6460 + 220
#define PDEV_ENVEXTRA_PTR_OFFSET 6452     // 32-bit offset of ENVEXTRA (7876)
#define PDEV_ENVEXTRA_OFFSET 7876         // 6460 + 1416

// Printer data value of the printer's default DEVMODE.
#define RNOVA_VALUE_NAME u"RNOVA NT"

// ---- identity ----
BOOL bSameDriverVersion(WORD wA, WORD wB);          // equal under 0x3FFF
BOOL bHasDrvSignature(const DEVMODEW* pdm);         // "XDRV" at 440
BOOL bHasOwnModelTag(const DEVMODEW* pdm);          // "730MV" at 2593
BOOL bSameModelTag(const DEVMODEW* pA, const DEVMODEW* pB);
// dmSpecVersion 0x401, dmSize 220, dmDriverExtra 2395, the driver version,
// the signature and the own model tag.
BOOL bValidDevmode(const DEVMODEW* pdm);
// Both given, equal dmSpecVersion, dmSize and dmDriverExtra, the same driver
// version, the signature on pA, equal model tags.
BOOL bSameDevmodeKind(const DEVMODEW* pA, const DEVMODEW* pB);
// A buffer of cbBuffer bytes really holds the dmSize + dmDriverExtra bytes
// the DEVMODE claims, and dmSize covers at least the fields up to dmFields.
BOOL bDevmodeFitsBuffer(const DEVMODEW* pdm, DWORD cbBuffer);

// ---- PDEV image ----
UIEXTRA* pGetPdevUiExtra(PVOID pPdevImage);
ENVEXTRA* pGetPdevEnvExtra(PVOID pPdevImage);

// ---- load, validate, merge ----

// Reads "RNOVA NT" into the 2615-byte buffer, writes the device name into
// it, and rebuilds and stores the default when the value is missing, of the
// wrong size or not this driver's. Returns 0 only for a null buffer.
int LoadPrinterDefaultDevmode(HANDLE hPrinter, DEVMODEW* pdm, LPCWSTR pszDeviceName, POPTIONDB pdb);

// Brings a 2615-byte DEVMODE of this driver into a consistent state (header,
// resolution, duplex, paper geometry, output paper, zoom, mirror). FALSE
// when pdb or pdm is null (only the header is re-stamped then).
BOOL ValidateDevmode(POPTIONDB pdb, DEVMODEW* pdm, HANDLE hPrinter);

// Takes the input's public fields that its dmFields names and the option
// database accepts; every other field of pCur stays.
void MergeDevmodeIn(POPTIONDB pdb, const DEVMODEW* pIn, DEVMODEW* pCur);
// MergeDevmodeIn, then the input's private part over the current one; the
// input must be of this driver's kind (bSameDevmodeKind). FALSE for a null
// argument or an input that is not.
BOOL ConvertDevmodeIn(POPTIONDB pdb, const DEVMODEW* pIn, DEVMODEW* pCur);
// The installable-option fields (2324..2340, 1594, 2341..2372, 1410).
void CopyDeviceOptionFields(const DEVMODEW* pSource, DEVMODEW* pTarget);

// ---- helpers of validation ----
// The value when within the option's range, else the option's default.
LONG ClampToOptionRange(POPTIONDB pdb, WORD wOption, LONG lValue);
// Match widths of MatchOptionValue: the size of the input and output fields.
#define MATCH_WORD 1
#define MATCH_DWORD 2
#define MATCH_BYTE 3
// Index of the input among the option's values (copied to the output), or
// 0xFFFF with the output untouched. pScratch holds 256 LONGs.
WORD MatchOptionValue(POPTIONDB pdb, LONG* pScratch, WORD wOption, const void* pIn, void* pOut, int iWidth);
// Copies *pIn to *pOut (16-bit) when min <= *pIn <= max.
BOOL bCopyIfInRange(POPTIONDB pdb, WORD wOption, const SHORT* pIn, SHORT* pOut);
// Row index of a code among the paper option's values; 0 when absent.
int FindPaperIndex(POPTIONDB pdb, int iCode);
// Row index of a code, or -1 when the paper option does not list it.
int FindPaperRow(POPTIONDB pdb, int iCode);
