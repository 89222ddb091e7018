// tables.h: the constant tables of the engine beside the feature and rule
// tables: the paper position tables, the paper equivalents for one-per-sheet
// and booklet, the position pairs, the fold tables, the default pairs and
// the refresh pairs, with their row counters and lookups.
#pragma once

#include "platform/windows.h"

struct UISETTINGS;

#pragma pack(push, 1)
struct POSROW1 { WORD wKey; SHORT sValue; WORD awZero[3]; };
struct POSROW2 { WORD wKey; SHORT asValue[3]; WORD wCondFeature; SHORT sCondValue; WORD wMode; };
struct POSROW3 { WORD wKey; SHORT sValueA; SHORT sValueB; WORD wCondFeature; SHORT sCondValue; WORD wMode; };
struct FLAGROW { WORD wKey; SHORT asCol[4]; WORD wCondFeature; SHORT sCondValue; WORD wMode; };
struct PAPEREQUIVROW { WORD wSelector; WORD wPaper; WORD wEquiv; };
struct POSITIONPAIR { SHORT sStaple; SHORT sPunch; SHORT sStapleRepl; SHORT sPunchRepl; };
struct FOLDAVAILROW { WORD wItem; WORD wFeature; DWORD dwState; SHORT sValue; WORD wSpare; };
struct FOLDFORCEROW { WORD wFeature; SHORT sValue; SHORT sRepl; };
struct FEATUREPAIR { WORD wFirst; WORD wSecond; };
#pragma pack(pop)
static_assert(sizeof(POSROW1) == 10 && sizeof(POSROW2) == 14 && sizeof(POSROW3) == 12);
static_assert(sizeof(FLAGROW) == 16 && sizeof(PAPEREQUIVROW) == 6 && sizeof(POSITIONPAIR) == 8);
static_assert(sizeof(FOLDAVAILROW) == 12 && sizeof(FOLDFORCEROW) == 6 && sizeof(FEATUREPAIR) == 4);

extern const POSROW1 g_aPosTable1[];
extern const POSROW2 g_aPosTable2[];
extern const POSROW3 g_aPosTable3[];
extern const FLAGROW g_aPaperFlags[];
extern const PAPEREQUIVROW g_aPaperEquiv[];
extern const POSITIONPAIR g_aPositionPairs[];
extern const WORD g_awPositionPapers[];
extern const WORD g_awSourceFeatures[];
extern const FOLDAVAILROW g_aFoldAvail[];
extern const FOLDFORCEROW g_aFoldForce[];
extern const FEATUREPAIR g_aDefaultPairs[];
extern const FEATUREPAIR g_aRefreshPairs[];
extern WORD g_cPosTable1, g_cPosTable2, g_cPosTable3, g_cPaperFlags, g_cPaperEquiv, g_cPositionPairs,
    g_cPositionPapers, g_cSourceFeatures, g_cFoldAvail, g_cFoldForce, g_cDefaultPairs, g_cRefreshPairs;

// Position lookups (tables 1 to 3) and the flag-table lookup (columns 4-7).
SHORT LookupPaperPosition(UISETTINGS* pObj, WORD wKey, int iTable);
SHORT LookupPaperPositionForItem(UISETTINGS* pObj, WORD wKey, int iTable, WORD wFeature, int iItem);
SHORT LookupPaperFlag(UISETTINGS* pObj, WORD wKey, int iColumn);
// The equivalent of a paper for one-per-sheet selector s; the paper when none.
SHORT GetPaperEquivalent(SHORT sSelector, SHORT sPaper);
BOOL bIsPositionPaper(SHORT sPaper);
// FOLDFORCE replacement of (feature, value); -1 when none.
SHORT MapFoldValue(WORD wFeature, SHORT sValue);
