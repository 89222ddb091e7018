// uiparam.h: the parameter descriptor tables and their runtime rows.
//
// Owns: the constant tables UIPARAM (one descriptor per parameter),
// USETKEY (the settings-file vocabulary), UIPARAMDEF (defaults of the
// parameters without an option) and the feature switch table, all kept as
// data files (uiparam_table.inc, usetkey_table.inc, uiparamdef_table.inc,
// featureswitch_table.inc); the writable runtime copies UIPARAMRT and
// USETKEYRT that every settings object carries; the cross links between
// those and the registry-tree working rows (regtree.h); the feature switch
// answers; ParseDecimalW.
//
// Rules the rows keep:
//   1. Every table ends with a row whose id is 0; counts exclude it, but the
//      runtime blocks hold it (count + 1 rows), so a link to "no row" points
//      at the terminating row, index == count. Walks stop before it.
//   2. Index fields start at -1; -1 after linking means the id stands in no
//      row of the other table (key ids 311 and 312 of params 231, 232).
//   3. The constant tables are never written; the runtime rows belong to one
//      settings object and are freed with it.
//   4. Every user of a runtime block tests its pointer first: an allocation
//      failure leaves it null and the other tables are still built.
#pragma once

#include "platform/windows.h"

struct PARAMCTX;
struct REGTREESET;
struct REGTREEWORK;
typedef int (*PFNBINDPARAM)(PARAMCTX* pctx);

// Parameter kinds (one bit each).
#define PK_CHOICE 0x1u
#define PK_VALUELIST 0x2u
#define PK_VALUE 0x4u
#define PK_RANGE 0x8u
#define PK_BLOCK 0x40u
#define PK_SCALAR 0x100u
#define PK_STRING 0x200u
#define PK_PAGELISTS 0x1000000u
#define PK_NODEVMODE 0x2000000u
#define PK_ITEMKINDS (PK_CHOICE | PK_VALUELIST | PK_VALUE | PK_RANGE)

#define PARAM_NO_OPTION 0xFFFF
#define PARAM_LISTDATA_FIRST 10000

#pragma pack(push, 1)

// UIPARAM row (20 bytes).
//   off size field
//     0    2 param id (0 ends the table)
//     2    2 option id (0xFFFF none)
//     4    2 registry-tree id (0 none)
//     6    2 USETKEY row id (0 none)
//     8    4 kind (PK_*)
//    12    4 reserved (0)
//    16    4 binding handler (null on the list-data rows)
struct UIPARAM {
    WORD wParamId;
    WORD wOptionId;
    WORD wRegTreeId;
    WORD wKeyId;
    DWORD dwKind;
    DWORD dwReserved;
    PFNBINDPARAM pfnBind;
};
static_assert(sizeof(void*) != 4 || sizeof(UIPARAM) == 20);
static_assert(offsetof(UIPARAM, dwKind) == 8);
static_assert(offsetof(UIPARAM, pfnBind) == 16);

// UIPARAMRT: the runtime parameter row (38 bytes).
//   off size field
//     0   20 the UIPARAM row
//    20    4 item offset: kinds 1 and 2 from the start of the settings
//            object, variable-block parameters from the variable block
//    24    4 offset in the defaults block
//    28    4 present in the defaults block (1)
//    32    2 own index
//    34    2 registry-tree working row index
//    36    2 USETKEYRT index
struct UIPARAMRT {
    UIPARAM row;
    DWORD dwItemOffset;
    DWORD dwFlatOffset;
    DWORD bFlatPresent;
    SHORT iOwn;
    SHORT iRegTree;
    SHORT iKey;
};
static_assert(sizeof(void*) != 4 || sizeof(UIPARAMRT) == 38);
static_assert(sizeof(void*) != 4 || offsetof(UIPARAMRT, dwItemOffset) == 20);
static_assert(sizeof(void*) != 4 || offsetof(UIPARAMRT, iOwn) == 32);

// USETKEY row (268 bytes).
//   off size field
//     0    2 row id (0 ends the table)
//     2  128 section name WCHAR[64] (only on a section row)
//   130  128 key name WCHAR[64] (empty on a section row)
//   258    2 first index   260 2 last index
//   262    2 count row id  264 2 group   266 2 recall class
struct USETKEY {
    WORD wId;
    WCHAR szSection[64];
    WCHAR szKey[64];
    WORD wFirst;
    WORD wLast;
    WORD wCountRow;
    WORD wGroup;
    WORD wClass;
};
static_assert(sizeof(USETKEY) == 268);
static_assert(offsetof(USETKEY, szKey) == 130);
static_assert(offsetof(USETKEY, wFirst) == 258);
static_assert(offsetof(USETKEY, wClass) == 266);

// USETKEYRT: the runtime key row (286 bytes).
//   off size field
//     0  268 the USETKEY row
//   268    4 count-row flag (another row names this one as its count row)
//   272    4 values found (set by each transfer walk)
//   276    4 count from file (set by each transfer walk)
//   280    2 UIPARAMRT index of the parameter with this key
//   282    2 that parameter's registry-tree index
//   284    2 own index
struct USETKEYRT {
    USETKEY key;
    DWORD bCountRow;
    DWORD bValuesFound;
    DWORD bCountFromFile;
    SHORT iParam;
    SHORT iRegTree;
    SHORT iOwn;
};
static_assert(sizeof(USETKEYRT) == 286);
static_assert(offsetof(USETKEYRT, bCountRow) == 268);
static_assert(offsetof(USETKEYRT, iOwn) == 284);

// UIPARAMDEF row (20 bytes).
//   off size field
//     0    4 param id (0 ends)   4 4 default text
//     8    4 minimum (-1 none)  12 4 maximum (-1 none)  16 4 reserved
struct UIPARAMDEF {
    DWORD dwParamId;
    LPCWSTR pszDefault;
    LONG lMin;
    LONG lMax;
    DWORD dwReserved;
};
static_assert(sizeof(void*) != 4 || sizeof(UIPARAMDEF) == 20);

#pragma pack(pop)

// The constant tables (each ends with its zero row).
const UIPARAM* GetUiParamTable();
const USETKEY* GetUsetKeyTable();
const UIPARAMDEF* GetUiParamDefTable();
// The UIPARAMDEF row of a parameter; null when it has none.
const UIPARAMDEF* FindUiParamDef(WORD wParamId);

// Rows before the first zero id; 0 for a null table.
int CountParamRows(const UIPARAM* pTable);
int CountUsetKeyRows(const USETKEY* pTable);

// Runtime copies of count + 1 rows (terminating row included), indices -1;
// null when the block cannot be allocated. Freed with FreeTableBuffer.
UIPARAMRT* CopyParamRows(const UIPARAM* pTable, int cRows);
USETKEYRT* CopyUsetKeyRows(const USETKEY* pTable, int cRows);

// Cross-links the three runtime tables by id (all loops include the
// terminating rows); does nothing when any table is missing.
void LinkParamTables(UIPARAMRT* pParams, REGTREEWORK* pRegTree, USETKEYRT* pKeys,
                     int cParams, int cRegTree, int cKeys);

// Builds what is asked for: parameter rows (ppParams and pcParams), the
// registry-tree bundle (pRegTree), key rows (ppKeys and pcKeys); then links.
void InitParamTables(UIPARAMRT** ppParams, WORD* pcParams, REGTREESET* pRegTree,
                     USETKEYRT** ppKeys, WORD* pcKeys);

// Frees a block made by this family and clears *ppv; null does nothing.
void FreeTableBuffer(void** ppv);
// Frees the parameter rows, the registry-tree bundle and the key rows
// (each may be null) and clears the pointers.
void FreeParamTables(UIPARAMRT** ppParams, REGTREESET* pRegTree, USETKEYRT** ppKeys);

// Feature switches: this build reads column 5 of the switch table.
#define FEATURE_INTERSHEET 4097
#define FEATURE_FORM 4098
#define FEATURE_WATERMARK 4099
#define FEATURE_FONTSUB 4100
#define FEATURE_FAXCOVER 4101
#define FEATURE_UDPAPER 8198

// Column 5 of the switch row; 0 when no row has that id.
DWORD GetFeatureSwitch(WORD wRowId);
// Whether the setting group of a feature key is on; 0 for an unknown key.
BOOL bFeatureEnabled(WORD wFeatureKey);
// Whether a settings-file key group (1..8) is on; 0 for an unknown group.
BOOL bKeyGroupEnabled(WORD wGroup);
// Whether switch row wRowId is on.
BOOL bFeatureEnabledAt(WORD wRowId);

// Value of a decimal digit string. Reading stops at the first character that
// is not a digit, and a value that would exceed INT_MAX is held at INT_MAX,
// so user-typed text can neither produce garbage nor overflow.
int ParseDecimalW(LPCWSTR psz);
