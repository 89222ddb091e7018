// The per-user store on apply: what reaches the printer's data.
#include "tests/settings_rest/xfer_fixture.h"
#include "ui/settings/listops.h"
#include "ui/settings/papertable.h"

namespace {

class ApplyStore : public SettingsFileTest {};

TEST_F(ApplyStore, ApplyWritesTheUserPapers)
{
    USERPAPER& s = Lists()->pUserPapers->aSlot[2];
    s.lWidth = 8000;
    s.lLength = 11000;
    s.sUnit = 2;
    lstrcpynW(s.szName, u"Menu card", USERPAPER_NAME_CCH);
    SaveUserProfileOnApply(pObj, 2);

    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW((LPWSTR)XferPrinter(), &hPrinter, nullptr));
    USERPAPERS* pStored = AllocUserPapers();
    ASSERT_NE(nullptr, pStored);
    EXPECT_TRUE(ReadUserPapers(pStored, hPrinter));
    ClosePrinter(hPrinter);
    EXPECT_EQ(8000, pStored->aSlot[2].lWidth);
    EXPECT_EQ(11000, pStored->aSlot[2].lLength);
    EXPECT_EQ(2, pStored->aSlot[2].sUnit);
    EXPECT_EQ(u"Menu card", std::u16string(pStored->aSlot[2].szName));
    FreeUserPapers(&pStored);

    // The slot as the printer's papers answer it, the name cut to the
    // caller's buffer.
    LONG lWidth = 0, lLength = 0;
    WCHAR szName[5];
    EXPECT_TRUE(GetUserPaperSlot(XferPrinter(), 3, &lWidth, &lLength, szName, sizeof(szName)));
    EXPECT_EQ(8000, lWidth);
    EXPECT_EQ(11000, lLength);
    EXPECT_EQ(u"Menu", std::u16string(szName));
    EXPECT_FALSE(GetUserPaperSlot(XferPrinter(), 11, &lWidth, &lLength, szName, sizeof(szName)));
    // An unknown printer gives the built-in slot and FALSE.
    EXPECT_FALSE(GetUserPaperSlot(u"No such printer", 3, &lWidth, &lLength, szName, sizeof(szName)));
    EXPECT_NE(8000, lWidth);

    // A new settings object of the printer shows the stored paper.
    UISETTINGS* p = SecondObject();
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(u"Menu card", std::u16string(Lists(p)->pUserPapers->aSlot[2].szName));
}

}  // namespace
