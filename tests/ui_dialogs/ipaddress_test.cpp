// The network address dialog: the caller's text split into the octets and
// joined again, the octet filter with its move to the next octet, and OK
// refusing an empty or impossible octet.
#include "tests/ui_dialogs/dlg_fixture.h"

#include "ui/dialogs/ipaddress.h"

namespace {

using IpAddressDialog = SubDialogTest;

DWORD Sel(int a, int b)
{
    return MAKELONG(a, b);
}

TEST(IpOctetKeys, DigitsKeepTheOctetAtOrBelow255)
{
    struct Row {
        const char16_t* text;
        DWORD sel;
        WCHAR ch;
        int expected;
    };
    const Row rows[] = {
        {u"", Sel(0, 0), u'2', IPKEY_ACCEPT},
        {u"2", Sel(1, 1), u'5', IPKEY_ACCEPT},
        {u"25", Sel(2, 2), u'5', IPKEY_ACCEPT_NEXT},  // 255 completes the octet
        {u"25", Sel(2, 2), u'6', IPKEY_REFUSE},       // 256
        {u"24", Sel(2, 2), u'9', IPKEY_ACCEPT_NEXT},
        {u"19", Sel(2, 2), u'2', IPKEY_ACCEPT_NEXT},
        {u"25", Sel(0, 0), u'3', IPKEY_REFUSE},       // 325: typed in front
        {u"25", Sel(0, 2), u'9', IPKEY_ACCEPT},       // replaces the selection
        {u"255", Sel(3, 3), u'1', IPKEY_REFUSE},      // a fourth digit
        {u"1", Sel(1, 1), u'a', IPKEY_REFUSE},
        {u"1", Sel(1, 1), u'.', IPKEY_REFUSE},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IpOctetKeyDecision(r.text, r.sel, r.ch), r.expected)
            << (int)r.ch << " into " << SubDialogTest::Narrow(r.text);
}

TEST_F(IpAddressDialog, TextIsSplitIntoTheOctetsAndOkJoinsThem)
{
    struct Row {
        const char16_t* in;
        const char16_t* octets[4];
    };
    const Row rows[] = {
        {u"192.168.1.20", {u"192", u"168", u"1", u"20"}},
        {u"10.0.0.1.99", {u"10", u"0", u"0", u"1"}},  // pieces after the fourth are ignored
        {u"", {u"", u"", u"", u""}},
    };
    for (const Row& r : rows) {
        WCHAR szAddress[IPADDRESS_CCH] = {};
        lstrcpynW(szAddress, r.in, IPADDRESS_CCH);
        HWND h = Open(IDD_IPADDRESS, IpAddressDlgProc, (LPARAM)szAddress);
        ASSERT_NE(h, nullptr);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Text(h, IDC_IP_OCTET1 + i), r.octets[i]) << i;
        if (!r.in[0])
            Picture(h, "ipaddress_1810_empty");
        ASSERT_TRUE(PlatScriptPressCancel(h));
        EXPECT_EQ(std::u16string(szAddress), r.in);
    }
    WCHAR szAddress[IPADDRESS_CCH] = u"192.168.1.20";
    EXPECT_EQ(Modal(IDD_IPADDRESS, IpAddressDlgProc, (LPARAM)szAddress, {Ok()}), IDOK);
    EXPECT_EQ(std::u16string(szAddress), u"192.168.1.20");
}

TEST_F(IpAddressDialog, TypingAFullOctetMovesOn)
{
    WCHAR szAddress[IPADDRESS_CCH] = {};
    HWND h = Open(IDD_IPADDRESS, IpAddressDlgProc, (LPARAM)szAddress);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PlatScriptFocus(h, IDC_IP_OCTET1, nullptr));
    for (WCHAR ch : u"2551721610") {
        if (!ch)
            break;
        Key(h, ch);
    }
    // 255 and 172 each move on; 16 does not, the 1 after it makes 161,
    // which moves on, and the 0 goes into the fourth octet.
    EXPECT_EQ(Text(h, IDC_IP_OCTET1), u"255");
    EXPECT_EQ(Text(h, IDC_IP_OCTET2), u"172");
    EXPECT_EQ(Text(h, IDC_IP_OCTET3), u"161");
    EXPECT_EQ(Text(h, IDC_IP_OCTET4), u"0");
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_IP_OCTET4));
    PlatBeepReset();
    ASSERT_TRUE(PlatScriptType(h, IDC_IP_OCTET4, nullptr, u"256"));
    EXPECT_EQ(Text(h, IDC_IP_OCTET4), u"25");
    EXPECT_EQ(PlatBeepCount(), 1);
    ASSERT_TRUE(PlatScriptFocus(h, IDC_IP_OCTET4, nullptr));
    SendDlgItemMessageW(h, IDC_IP_OCTET4, EM_SETSEL, 2, 2);
    Key(h, u'4');
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDOK));  // after the last octet, OK
    Picture(h, "ipaddress_1810");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(std::u16string(szAddress), u"255.172.161.254");
}

TEST_F(IpAddressDialog, OkStaysOpenOnAnEmptyOrImpossibleOctet)
{
    struct Row {
        const char16_t* in;
        int idBad;
    };
    const Row rows[] = {
        {u"192.168.1", IDC_IP_OCTET4},   // two dots: the fourth octet is empty
        {u"192..1.2", IDC_IP_OCTET2},
        {u"10.999.0.1", IDC_IP_OCTET2},  // a stored octet above 255
        {u"10.0.1234.1", IDC_IP_OCTET3}, // too long to be an octet
    };
    for (const Row& r : rows) {
        WCHAR szAddress[IPADDRESS_CCH] = {};
        lstrcpynW(szAddress, r.in, IPADDRESS_CCH);
        HWND h = Open(IDD_IPADDRESS, IpAddressDlgProc, (LPARAM)szAddress);
        ASSERT_NE(h, nullptr);
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_TRUE(IsWindowVisible(h)) << SubDialogTest::Narrow(r.in);
        EXPECT_EQ(GetFocus(), GetDlgItem(h, r.idBad)) << SubDialogTest::Narrow(r.in);
        EXPECT_EQ(std::u16string(szAddress), r.in);
        ASSERT_TRUE(PlatScriptType(h, r.idBad, nullptr, u"7"));
        ASSERT_TRUE(PlatScriptPressOK(h));
        EXPECT_FALSE(IsWindowVisible(h));
    }
    // A pasted 999 is not taken either.
    WCHAR szAddress[IPADDRESS_CCH] = u"1.2.3.4";
    HWND h = Open(IDD_IPADDRESS, IpAddressDlgProc, (LPARAM)szAddress);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(Paste(h, IDC_IP_OCTET3, u"999"));
    EXPECT_EQ(Text(h, IDC_IP_OCTET3), u"999");
    ASSERT_TRUE(PlatScriptPressOK(h));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_IP_OCTET3));
    EXPECT_EQ(std::u16string(szAddress), u"1.2.3.4");
}

}  // namespace
