// faxdestrec.h: the fax destination list as it is stored in the "xpb"
// temporary file and carried to the graphics library (escape 0x6FFFFE04,
// kept in its work area). Both libraries use these records.
#pragma once

#include "platform/windef.h"

#define FAXDEST_MAX 100
#define FAXDEST_TEXT_BYTES 44
#define FAXDEST_FILE_SIZE 18004

#pragma pack(push, 1)
// One destination (180 bytes).
//   off size field
//     0   44 text 1 (recipient name), ANSI, NUL-padded
//    44   44 text 2 (fax number, the one dialled)
//    88   44 text 3 (first company line)
//   132   44 text 4 (second company line)
//   176    1 ECM choice            177 1 international-mode choice
//   178    1 V.34 choice           179 1 reserved, 0
struct FAXDEST {
    CHAR aszText[4][FAXDEST_TEXT_BYTES];
    BYTE bEcm;
    BYTE bIntl;
    BYTE bV34;
    BYTE bReserved;
};
// The whole list (18004 bytes).
//   off        size field
//     0           4 number of destinations (0..100)
//     4 + 180 x k 180 destination k, k = 0..99
struct FAXDESTFILE {
    LONG cDest;
    FAXDEST aDest[FAXDEST_MAX];
};
#pragma pack(pop)
static_assert(sizeof(FAXDEST) == 180);
static_assert(offsetof(FAXDEST, aszText[1]) == 44);
static_assert(offsetof(FAXDEST, aszText[2]) == 88);
static_assert(offsetof(FAXDEST, aszText[3]) == 132);
static_assert(offsetof(FAXDEST, bEcm) == 176);
static_assert(offsetof(FAXDEST, bIntl) == 177);
static_assert(offsetof(FAXDEST, bV34) == 178);
static_assert(sizeof(FAXDESTFILE) == FAXDEST_FILE_SIZE);
static_assert(offsetof(FAXDESTFILE, aDest) == 4);
