// What the chain tells the graphics library about the job: the user, the
// host program, the user papers and the font substitution pairs.
#include "tests/ui_docevent/fakegfx.h"

#include "ui/settings/listset.h"
#include "ui/settings/regtree.h"
#include "ui/settings/regwalk.h"

namespace {

std::u16string Units(const std::vector<BYTE>& v, size_t iFirst, size_t n)
{
    std::u16string s(n, 0);
    memcpy(s.data(), v.data() + iFirst, n * 2);
    return s;
}

TEST_F(DocEventTest, UserNameAndHostProgramAreSentBounded)
{
    const std::u16string kLong255(255, u'u');
    const struct {
        std::u16string user;
        std::u16string program;
        std::u16string sentUser;  // the 255 units of the name field
        std::u16string sentProgram;
    } kCases[] = {
        {u"alice", u"C:\\Apps\\WORD.EXE", u"alice", u"WORD.EXE"},
        // The longest name the platform gives is sent whole.
        {kLong255, u"C:\\Apps\\WORD.EXE", kLong255, u"WORD.EXE"},
        // Only the first 30 characters of a long program name.
        {u"bob", u"C:\\Program Files\\Tools\\AVeryLongProgramNameForTest.EXE", u"bob",
         u"AVeryLongProgramNameForTest.EX"},
    };
    for (const auto& c : kCases) {
        fake.calls.clear();
        PlatSetUserName(c.user.c_str());
        PlatSetProgramPath(c.program.c_str());
        EXPECT_EQ(DocEventSendJobIdentity(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
        const ESCCALL* pUser = fake.Find(ESC_USER_NAME);
        const ESCCALL* pProg = fake.Find(ESC_HOST_PROGRAM);
        ASSERT_TRUE(pUser && pProg);
        ASSERT_EQ(pUser->in.size(), 510u);
        std::u16string sent = Units(pUser->in, 0, 255);
        sent.resize(std::char_traits<char16_t>::length(sent.c_str()));
        EXPECT_EQ(sent, c.sentUser);
        ASSERT_EQ(pProg->in.size(), 64u);
        std::u16string prog = Units(pProg->in, 0, 32);
        EXPECT_EQ(std::u16string(prog.c_str()), c.sentProgram);
        EXPECT_EQ(prog[30], 0) << "always terminated";
    }
}

TEST_F(DocEventTest, UserPapersGoOnEveryPageAsTenPairs)
{
    for (int iPage = 0; iPage < 2; ++iPage) {
        fake.calls.clear();
        EXPECT_EQ(DocEventSendJobIdentity(hPrinter, hdc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
        ASSERT_EQ(fake.Codes(), std::vector<DWORD>{ESC_USER_PAPERS});
        const std::vector<BYTE>& in = fake.calls[0].in;
        ASSERT_EQ(in.size(), 80u);
        // Every slot has a size: width and length in 1/10 mm.
        for (int i = 0; i < 20; ++i) {
            LONG v;
            memcpy(&v, in.data() + 4 * i, 4);
            EXPECT_GT(v, 0) << "value " << i;
        }
    }
}

struct FontSubst : DocEventTest {};

TEST_F(FontSubst, OffSendsNothingOnSendsTerminatedLinkedNodes)
{
    fake.Dm()->ui.FontUseFlg = 0;
    EXPECT_EQ(DocEventPageHooks(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(fake.Find(ESC_FONT_SUBST), nullptr);

    fake.calls.clear();
    fake.Dm()->ui.FontUseFlg = 1;
    EXPECT_EQ(DocEventPageHooks(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
    const ESCCALL* p = fake.Find(ESC_FONT_SUBST);
    ASSERT_NE(p, nullptr);
    // A user without pairs of his own gets the default ones.
    int n = CountDefaultFontPairs();
    ASSERT_EQ(n, 32);
    ASSERT_EQ(p->in.size(), static_cast<size_t>(n) * 132);
    EXPECT_EQ(p->cbOut, 0);
    for (int i = 0; i < n; ++i) {
        FONTSUBNODE node;
        memcpy(&node, p->in.data() + 132 * i, 132);
        // Each node links the next by its 1-based index; the last ends the
        // list. No address travels, so the bytes are the same at either
        // word size.
        EXPECT_EQ(node.dwNext, i + 1 < n ? static_cast<DWORD>(i + 2) : 0u) << i;
        EXPECT_NE(node.szTrueType[0], 0) << i;
        EXPECT_EQ(node.szTrueType[31], 0) << i;
        EXPECT_EQ(node.szDevice[31], 0) << i;
    }
}

TEST_F(FontSubst, ThreeStoredPairsSend396BytesAndLongFacesStayTerminated)
{
    DRVDEVMODE* pdm = fake.Dm();
    pdm->ui.FontUseFlg = 1;
    // The user's own pairs, stored as the settings model stores them.
    FONTSUBLIST* pList = CreateFontSubList();
    ASSERT_NE(pList, nullptr);
    const std::u16string kFace32(32, u'F');
    lstrcpynW(pList->pPairs[0].szTrueType, u"Arial", 32);
    lstrcpynW(pList->pPairs[0].szDevice, u"Helvetica", 32);
    memcpy(pList->pPairs[1].szTrueType, kFace32.data(), 64);  // 32 units, no terminator
    lstrcpynW(pList->pPairs[1].szDevice, u"Courier", 32);
    lstrcpynW(pList->pPairs[2].szTrueType, u"Times New Roman", 32);
    lstrcpynW(pList->pPairs[2].szDevice, u"Times", 32);
    pList->sCount = 3;
    REGTREESET tables = {};
    BuildRegTreeTables(&tables);
    ASSERT_TRUE(RegTreeWalkList(pList, &tables, 4100, kDocPrinter, RTW_STORE));
    FreeRegTreeTables(&tables);
    FreeFontSubList(&pList);

    // The graphics library's list slot in the DEVMODE is left as it was.
    const BYTE abSlot[4] = {0x5A, 0xA5, 0x12, 0x34};
    memcpy(pdm->ui.abReserved1412, abSlot, 4);
    FONTSUBNODE* pNodes = nullptr;
    int n = BuildFontSubstNodes(pdm, kDocPrinter, &pNodes);
    ASSERT_EQ(n, 3);
    ASSERT_NE(pNodes, nullptr);
    EXPECT_EQ(memcmp(pdm->ui.abReserved1412, abSlot, 4), 0);
    EXPECT_EQ(std::u16string(pNodes[0].szTrueType), u"Arial");
    EXPECT_EQ(std::u16string(pNodes[0].szDevice), u"Helvetica");
    EXPECT_EQ(std::u16string(pNodes[1].szTrueType), kFace32.substr(0, 31));
    EXPECT_EQ(std::u16string(pNodes[2].szDevice), u"Times");
    // Links are 1-based indexes into the array, the same at either word size.
    EXPECT_EQ(pNodes[0].dwNext, 2u);
    EXPECT_EQ(pNodes[1].dwNext, 3u);
    EXPECT_EQ(pNodes[2].dwNext, 0u);
    GlobalFree(pNodes);

    fake.calls.clear();
    DocEventPageHooks(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr);
    ASSERT_NE(fake.Find(ESC_FONT_SUBST), nullptr);
    EXPECT_EQ(fake.Find(ESC_FONT_SUBST)->in.size(), 396u);
}

TEST_F(FontSubst, AnUnreadableDevmodeSkipsTheHook)
{
    fake.Dm()->ui.FontUseFlg = 1;
    fake.dwFailCode = ESC_GET_DEVMODE;
    EXPECT_EQ(DocEventPageHooks(hPrinter, hdc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(fake.Codes(), std::vector<DWORD>{ESC_GET_DEVMODE});
}

}  // namespace
