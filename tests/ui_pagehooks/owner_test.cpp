// The owner of the private-job settings: the state of the comparison, the
// owner recorded, and the private-job fields cleared for anybody else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "ui/driverui/ownercheck.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"
#include "ui/settings/uisettings.h"

namespace {

const char16_t kPrinter[] = u"Owner Printer";

// A user without a name, and a user-name call that fails.
BOOL EmptyUserName(LPWSTR psz, LPDWORD pcch)
{
    if (!psz || !pcch || *pcch < 1) return FALSE;
    psz[0] = 0;
    *pcch = 1;
    return TRUE;
}
BOOL FailingUserName(LPWSTR, LPDWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

std::u16string Text(const void* p, size_t cbField)
{
    std::u16string s(cbField / 2, u'\0');
    memcpy(s.data(), p, cbField);
    return s.substr(0, s.find(u'\0'));
}

// Puts a text into a DEVMODE field byte by byte (fields may sit at odd
// offsets).
void PutText(void* pField, size_t cbField, const std::u16string& s)
{
    memset(pField, 0, cbField);
    memcpy(pField, s.data(), std::min(s.size() * 2, cbField - 2));
}

DWORD SumOf(const std::u16string& s)
{
    DWORD dw = 0;
    for (char16_t c : s) dw += c;
    return dw;
}

struct OwnerCheck : ::testing::Test {
    POPTIONDB pdb = nullptr;
    std::vector<BYTE> dm;
    UISETTINGS* pObj = nullptr;

    void SetUp() override
    {
        TestNewRoot();
        ASSERT_TRUE(PlatInstallPrinter(kPrinter, u"C:\\port.prn", nullptr));
        pdb = OpenOptionDb();
        ASSERT_NE(pdb, nullptr);
        dm.assign(DRV_DEVMODE_SIZE, 0);
        ASSERT_TRUE(InitDefaultDevmode(pdb, Dm(), kPrinter, nullptr));
        // Private-job settings somebody entered.
        Drv()->env.lpOutputMethod = 2;
        Drv()->env.Password_Check = 1;
        Drv()->env.UnDisplayPassword_Check = 1;
        Drv()->env.JobComb_Check = 1;
        Drv()->env.UnDisplayJob_Check = 1;
        PutText(Drv()->env.szParam210, sizeof(Drv()->env.szParam210), u"ID1234");
        PutText(Drv()->env.szPassword, sizeof(Drv()->env.szPassword), u"secret");
        PutText(Drv()->env.szUserID, sizeof(Drv()->env.szUserID), u"user7");
        PutText(Drv()->env.szBoxNumber, sizeof(Drv()->env.szBoxNumber), u"box9");
        PutText(Drv()->env.szJobID, sizeof(Drv()->env.szJobID), u"job5");
    }
    void TearDown() override
    {
        DestroySettingsObject(&pObj);
        CloseOptionDb(pdb);
        PlatSetUserName(nullptr);
        OwnerCheckSetUserNameProc(nullptr);
    }
    DEVMODEW* Dm() { return reinterpret_cast<DEVMODEW*>(dm.data()); }
    DRVDEVMODE* Drv() { return reinterpret_cast<DRVDEVMODE*>(dm.data()); }
    void RecordOwner(const std::u16string& name, DWORD dwSum, BYTE bLength)
    {
        memset(Drv()->env.szParam229, 0, sizeof(Drv()->env.szParam229));
        memcpy(Drv()->env.szParam229, name.data(), std::min<size_t>(name.size(), 32) * 2);
        Drv()->env.dwParam225 = static_cast<LONG>(dwSum);
        Drv()->env.bParam227 = bLength;
    }
    void RecordOwner(const std::u16string& name)
    {
        RecordOwner(name, SumOf(name), static_cast<BYTE>(name.size()));
    }
    // Opens the DEVMODE as a sheet does for the current user; the DEVMODE
    // then holds what the sheet would write back.
    int Open(LPCWSTR pszUser)
    {
        PlatSetUserName(pszUser);
        DestroySettingsObject(&pObj);
        EXPECT_EQ(CreateSettingsObject(pdb, &pObj, Dm(), 0, kPrinter), 1);
        if (!pObj) return -1;
        int iState = CheckJobOwner(0, pObj);
        SetJobOwnerState(pObj, static_cast<WORD>(iState));
        ResetPrivateJobFields(0, pObj);
        EXPECT_EQ(SettingsToDevmode(pObj, Dm(), pdb), 1);
        return iState;
    }
    bool FieldsKept()
    {
        const ENVEXTRA& e = Drv()->env;
        return e.lpOutputMethod == 2 && e.Password_Check == 1 && e.UnDisplayPassword_Check == 1 &&
               e.JobComb_Check == 1 && e.UnDisplayJob_Check == 1 && Text(e.szPassword, 22) == u"secret" &&
               Text(e.szParam210, 22) == u"ID1234" && Text(e.szUserID, 22) == u"user7" &&
               Text(e.szBoxNumber, 20) == u"box9" && Text(e.szJobID, 22) == u"job5";
    }
    bool FieldsCleared()
    {
        const ENVEXTRA& e = Drv()->env;
        static const BYTE kZero[22] = {};
        // The output method's default is 0 (its option has no rows).
        return e.lpOutputMethod == 0 && e.Password_Check == 0 && e.UnDisplayPassword_Check == 0 &&
               e.JobComb_Check == 0 && e.UnDisplayJob_Check == 0 && !memcmp(e.szPassword, kZero, 22) &&
               !memcmp(e.szParam210, kZero, 22) && !memcmp(e.szUserID, kZero, 22) &&
               !memcmp(e.szBoxNumber, kZero, 20) && !memcmp(e.szJobID, kZero, 22);
    }
};

TEST_F(OwnerCheck, TheSameUserKeepsThePrivateJob)
{
    RecordOwner(u"alice");
    EXPECT_EQ(Open(u"alice"), JOBOWNER_SAME);
    EXPECT_TRUE(FieldsKept());
}

TEST_F(OwnerCheck, AnotherUserLosesThePrivateJobAndBecomesTheOwner)
{
    RecordOwner(u"alice");
    EXPECT_EQ(Open(u"bob"), JOBOWNER_CHANGED);
    EXPECT_TRUE(FieldsCleared());
    EXPECT_EQ(Text(Drv()->env.szParam229, 132), u"bob");
    EXPECT_EQ(static_cast<DWORD>(Drv()->env.dwParam225), SumOf(u"bob"));
    EXPECT_EQ(Drv()->env.bParam227, 3);
    // Opened again by the new owner: nothing more is lost.
    PutText(Drv()->env.szPassword, sizeof(Drv()->env.szPassword), u"bobs");
    EXPECT_EQ(Open(u"bob"), JOBOWNER_SAME);
    EXPECT_EQ(Text(Drv()->env.szPassword, 22), u"bobs");
}

TEST_F(OwnerCheck, AFreshDevmodeIsClearedAndANamelessUserKeepsAnUnownedOne)
{
    EXPECT_EQ(Open(u"carol"), JOBOWNER_NEW);
    EXPECT_TRUE(FieldsCleared());
    EXPECT_EQ(Text(Drv()->env.szParam229, 132), u"carol");

    // A second fresh start: the first one's database and object go first.
    TearDown();
    SetUp();
    OwnerCheckSetUserNameProc(FailingUserName);
    EXPECT_EQ(Open(u"ignored"), JOBOWNER_NONE);
    EXPECT_TRUE(FieldsKept());
}

TEST_F(OwnerCheck, AnOwnedDevmodeOpenedWithoutAUserNameIsCleared)
{
    RecordOwner(u"alice");
    OwnerCheckSetUserNameProc(EmptyUserName);
    EXPECT_EQ(Open(u"ignored"), JOBOWNER_NAMELESS);
    EXPECT_TRUE(FieldsCleared());
    EXPECT_EQ(Text(Drv()->env.szParam229, 132), u"");
}

TEST_F(OwnerCheck, NamesAlikeInTheirFirst32CharactersAreToldApart)
{
    std::u16string a = std::u16string(32, u'x') + u"-office", b = std::u16string(32, u'x') + u"-home";
    RecordOwner(a);
    EXPECT_EQ(Open(b.c_str()), JOBOWNER_CHANGED);
    EXPECT_TRUE(FieldsCleared());
    // Only the first 32 characters are recorded, with the whole name's sum
    // and length.
    EXPECT_EQ(Text(Drv()->env.szParam229, 132), std::u16string(32, u'x'));
    EXPECT_EQ(static_cast<DWORD>(Drv()->env.dwParam225), SumOf(b));
    EXPECT_EQ(Drv()->env.bParam227, b.size());
    EXPECT_EQ(Open(b.c_str()), JOBOWNER_SAME);
}

TEST_F(OwnerCheck, AUserNameOfTheFullLengthIsStillAName)
{
    std::u16string longName(256, u'n');
    RecordOwner(longName);
    EXPECT_EQ(Open(longName.c_str()), JOBOWNER_SAME);
    EXPECT_TRUE(FieldsKept());
}

TEST(OwnerCheckArgs, ANullObjectAnswersZero)
{
    EXPECT_EQ(CheckJobOwner(0, nullptr), 0);
    ResetPrivateJobFields(0, nullptr);
    EXPECT_EQ(GetJobOwnerState(nullptr), 0);
}

}  // namespace
