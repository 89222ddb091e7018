// The fax cover sheet group: its record layout by field code, and what every
// call does in this model, where the group is switched off.
#include "ui/settings/faxcover.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/common/testroot.h"
#include "ui/settings/regenv.h"
#include "ui/settings/regtree.h"
#include "ui/settings/strcache.h"
#include "ui/settings/typedcopy.h"
#include "ui/settings/uiparam.h"

namespace {

const char16_t kPrinter[] = u"Fax Printer";

TEST(FaxCover, FieldCodesLieWhereTheRecordSays)
{
    struct Row {
        char cCode;
        DWORD dwOffset;
        DWORD cb;
        WORD wType;
    };
    const Row rows[] = {
        {'F', 0, 2868, 64},   {'G', 0, 130, 128},   {'H', 130, 82, 128},  {'I', 212, 82, 128},
        {'J', 294, 82, 128},  {'K', 376, 82, 128},  {'L', 458, 82, 128},  {'M', 540, 82, 128},
        {'N', 622, 82, 128},  {'O', 704, 82, 128},  {'Q', 786, 82, 128},  {'P', 868, 82, 128},
        {'R', 950, 82, 128},  {'S', 1032, 4, 16},   {'T', 1036, 4, 16},   {'U', 1040, 4, 16},
        {'V', 1044, 522, 128}, {'W', 1568, 4, 16},  {'X', 1572, 4, 16},   {'Y', 1576, 4, 16},
        {'[', 1580, 4, 16},   {'\\', 1584, 1282, 128},
    };
    for (const Row& r : rows) {
        DWORD dwOffset = 0, cb = 0;
        WORD wType = 0;
        ASSERT_TRUE(bFaxCoverFieldLayout((WORD)r.cCode, &dwOffset, &cb, &wType)) << r.cCode;
        EXPECT_EQ(r.dwOffset, dwOffset) << r.cCode;
        EXPECT_EQ(r.cb, cb) << r.cCode;
        EXPECT_EQ(r.wType, wType) << r.cCode;
        EXPECT_LE(dwOffset + cb, (DWORD)FAXCOVER_BYTES) << r.cCode;
    }
    for (char c : std::string("EZ]a0"))
        EXPECT_FALSE(bFaxCoverFieldLayout((WORD)c, nullptr, nullptr, nullptr)) << c;
}

TEST(FaxCover, SwitchedOffGroupAllocatesNothingAndTouchesNothing)
{
    ASSERT_FALSE(bFeatureEnabled(FEATURE_FAXCOVER));
    TestNewRoot();
    EXPECT_EQ(nullptr, AllocFaxCover());

    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    FAXCOVER record = {};
    FAXCOVER* pRecord = &record;
    EXPECT_EQ(1, LoadFaxCover(&pRecord, &tables, kPrinter));
    EXPECT_EQ(1, SaveFaxCover(&record, &tables, kPrinter));
    EXPECT_EQ(1, ResetFaxCover(&tables, kPrinter));
    FreeRegTreeTables(&tables);
    WCHAR szPath[USERREG_PATH_CCH];
    ASSERT_TRUE(BuildUserRegPath(szPath, kPrinter, u"Fax Cover Sheet", nullptr));
    HKEY hKey = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(hkeyUserRoot(), szPath, 0, KEY_READ, &hKey));

    // The locator answers nothing, and the access copies nothing.
    void* pAddr = &record;
    DWORD cb = 7;
    WORD wType = 7;
    EXPECT_EQ(0, GetFaxCoverField(FCF_ZOOM, &pAddr, &cb, &wType, &record));
    EXPECT_EQ(nullptr, pAddr);
    EXPECT_EQ(0u, cb);
    EXPECT_EQ(0, wType);
    DWORD dwZoom = 150;
    cb = sizeof(dwZoom);
    EXPECT_EQ(TVC_BADARG, AccessFaxCoverField(FCF_ZOOM, &dwZoom, &cb, 16, TVC_SET, nullptr, nullptr, nullptr,
                                              &record));
    SetFaxCoverDefaults(&record);
    EXPECT_EQ(0u, record.dwZoom);
}

}  // namespace
