// The standard escapes and 0x7FFFFFF7..0x7FFFFFFF that the generic layer
// answers, the claim of the page generator's codes, and the font list.
#include "tests/gfx_escape/escfix.h"

#include "pdl/xgcmn/ordexnt/xrtext.h"

namespace {

TEST(Generic, QueryAnnouncesOnlyTheStandardEscapes)
{
    struct Case {
        DWORD dwQuery;
        ULONG ulAnswer;
    };
    const Case cases[] = {
        {SETCOPYCOUNT, 999}, {QUERYESCSUPPORT, 1}, {ESCAPE_JOB_GETJOBBLOCK, 0},
        {ESCAPE_GEN_GETDEVMODE, 0}, {4096, 0}, {0x10011, 999},  // read as 16 bits
    };
    EscPdev e;
    for (const Case& c : cases)
        EXPECT_EQ(e.Esc(QUERYESCSUPPORT, 4, &c.dwQuery), c.ulAnswer) << std::hex << c.dwQuery;
    EXPECT_EQ(e.Esc(QUERYESCSUPPORT, 0, nullptr), 0u);
}

TEST(Generic, CopyCountIsClampedStoredAndPrinted)
{
    struct Case {
        DWORD dwIn;
        LONG lStored;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 1}, Case{3, 3}, Case{999, 999}, Case{5000, 999},
                          Case{0xFFFFFFFF, 999}}) {
        EscPdev e;
        LONG lOut = -7;
        ASSERT_EQ(e.Esc(SETCOPYCOUNT, 4, &c.dwIn, 4, &lOut), 1u) << c.dwIn;
        EXPECT_EQ(e.Long(4140), c.lStored) << c.dwIn;
        EXPECT_EQ(lOut, c.lStored) << c.dwIn;
        // The job's copies follow, within what the printer allows.
        SHORT nMax = pGetJobDevmode(e.p)->ui.wMaxCopies;
        SHORT nWant = static_cast<SHORT>(nMax > 0 ? std::min<LONG>(c.lStored, nMax) : c.lStored);
        EXPECT_EQ(pGetJobDevmode(e.p)->dm.dmCopies, nWant);
        EXPECT_EQ(pGetJobDevmode(e.p)->ui.dmMirror.dmCopies, nWant);
    }
    EscPdev e;
    DWORD dw = 4;
    EXPECT_EQ(e.Esc(SETCOPYCOUNT, 4, &dw), 1u);  // no output wanted
    EXPECT_EQ(e.Long(4140), 4);
    EXPECT_EQ(e.Esc(SETCOPYCOUNT, 0, nullptr), 0xFFFFFFFFu);
}

TEST(Generic, PageCounterAndOrientation)
{
    EscPdev e;
    e.p->cPages = 3;
    EXPECT_EQ(e.Esc(ESCAPE_GEN_PAGECOUNT, 0, nullptr), 3u);
    DRVDEVMODE* pdm = pGetJobDevmode(e.p);
    pdm->ui.dmMirror.dmOrientation = DMORIENT_LANDSCAPE;
    e.p->wOrientation = DMORIENT_PORTRAIT;
    pdm->ui.lpLayout = 1;
    EXPECT_EQ(e.Esc(ESCAPE_GEN_ORIENTATION, 0, nullptr), 2u);
    pdm->ui.lpLayout = 2;  // 2-up: the sheet's own orientation
    EXPECT_EQ(e.Esc(ESCAPE_GEN_ORIENTATION, 0, nullptr), 1u);
}

TEST(Generic, OtherCodesOnlyWhenThePageGeneratorClaimsThem)
{
    EscPdev e;
    SHORT nMode = 0;  // save
    EXPECT_EQ(e.Esc(4096, 0, nullptr), 1u);
    EXPECT_EQ(e.Esc(4097, 2, &nMode), 1u);
    EXPECT_EQ(e.Long(OFF_W(27304)), 1);
    EXPECT_EQ(e.Esc(0x12345, 0, nullptr), 0u);
    EXPECT_EQ(e.Esc(0x6FFFFF08, 0, nullptr), 0u);  // no such private code
    e.p->cPages = 5;
    EXPECT_EQ(e.Esc(ESCAPE_GEN_PAGECOUNT + 0x80000000u, 0, nullptr), 0u);  // not in the range
}

TEST(Generic, BrokenPdevIsAnInvalidParameter)
{
    EscPdev e;
    e.p->dwSignature = 0;
    SetLastError(0);
    EXPECT_EQ(e.Esc(ESCAPE_GEN_PAGECOUNT, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DWORD dwQuery = SETCOPYCOUNT;  // a query needs no PDEV
    EXPECT_EQ(e.Esc(QUERYESCSUPPORT, 4, &dwQuery), 999u);
    e.p->dwSignature = PDEV_SIGNATURE;
}

TEST(Generic, DevmodeOutNeedsRoomForItAll)
{
    EscPdev e;
    std::vector<BYTE> out(DRV_DEVMODE_SIZE, 0xCC);
    EXPECT_EQ(e.Esc(ESCAPE_GEN_GETDEVMODE, 0, nullptr, 100, out.data()), 0u);
    EXPECT_EQ(out, std::vector<BYTE>(DRV_DEVMODE_SIZE, 0xCC));
    ASSERT_EQ(e.Esc(ESCAPE_GEN_GETDEVMODE, 0, nullptr, DRV_DEVMODE_SIZE, out.data()), 1u);
    EXPECT_EQ(out, std::vector<BYTE>(e.At(6460), e.At(6460 + DRV_DEVMODE_SIZE)));
}

// The UI reads the job DEVMODE, changes its form fields and sends it back.
TEST(Generic, DevmodeInReplacesTheJobsButKeepsWhatThePdevOwns)
{
    EscPdev e;
    FONTSUBNODE node = {};
    node.szTrueType[0] = u'A';
    ASSERT_EQ(e.Esc(ESCAPE_GEN_FONTSUBST, sizeof(node), &node), 1u);
    FONTSUBNODE* pList = GetFontSubstList(e.p);
    BYTE bMode = pGetJobDevmode(e.p)->ui.lpGraphicsMode;

    std::vector<BYTE> dm(DRV_DEVMODE_SIZE);
    ASSERT_EQ(e.Esc(ESCAPE_GEN_GETDEVMODE, 0, nullptr, DRV_DEVMODE_SIZE, dm.data()), 1u);
    DRVDEVMODE* pdm = reinterpret_cast<DRVDEVMODE*>(dm.data());
    // A form mode comes with its form's name: the DEVMODE is validated as
    // any incoming one, and a form mode without a form is dropped.
    pdm->ui.lpOverlay = 3;
    pdm->ui.bOverlayIndex = 2;
    std::memcpy(pdm->ui.szOverlayName, u"Letterhead", sizeof(u"Letterhead"));
    std::memset(pdm->ui.abReserved1412, 0x77, 4);  // the sender's own pointer
    pdm->ui.lpGraphicsMode = bMode == 1 ? 2 : 1;
    ASSERT_EQ(e.Esc(ESCAPE_GEN_SETDEVMODE, dm), 1u);
    EXPECT_EQ(pGetJobDevmode(e.p)->ui.lpOverlay, 3);
    EXPECT_EQ(pGetJobDevmode(e.p)->ui.bOverlayIndex, 2);
    EXPECT_EQ(GetFontSubstList(e.p), pList);
    EXPECT_EQ(pGetJobDevmode(e.p)->ui.lpGraphicsMode, bMode);

    // A short buffer, or a DEVMODE of another driver, changes nothing.
    std::vector<BYTE> before = e.Image();
    EXPECT_EQ(e.Esc(ESCAPE_GEN_SETDEVMODE, std::vector<BYTE>(dm.begin(), dm.begin() + 2000)), 0u);
    std::vector<BYTE> foreign = dm;
    reinterpret_cast<DEVMODEW*>(foreign.data())->dmDriverExtra = 0;
    EXPECT_EQ(e.Esc(ESCAPE_GEN_SETDEVMODE, foreign), 0u);
    std::vector<BYTE> big = dm;
    reinterpret_cast<DEVMODEW*>(big.data())->dmDriverExtra = 4000;
    big.resize(220 + 4000, 0);
    EXPECT_EQ(e.Esc(ESCAPE_GEN_SETDEVMODE, big), 0u);
    EXPECT_TRUE(Diff(before, e.Image()).empty());
}

TEST(Generic, FontListIsCopiedLinkedKeptOnceAndFreedWithThePdev)
{
    LONG blocks = PlatGlobalLiveBlocks();
    {
        EscPdev e;
        LONG withPdev = PlatGlobalLiveBlocks();
        FONTSUBNODE nodes[2] = {};
        nodes[0].dwNext = 0x1234;  // the sender's link, meaningless here
        std::memcpy(nodes[0].szTrueType, u"Arial", 12);
        std::memcpy(nodes[0].szDevice, u"Arial", 12);
        for (WCHAR& wc : nodes[1].szTrueType)
            wc = u'T';  // no terminator in the node
        for (WCHAR& wc : nodes[1].szDevice)
            wc = u'D';
        ASSERT_EQ(e.Esc(ESCAPE_GEN_FONTSUBST, sizeof(nodes), nodes), 1u);
        FONTSUBNODE* p = GetFontSubstList(e.p);
        ASSERT_NE(p, nullptr);
        EXPECT_NE(p, nodes);
        // Linked by index in the PDEV's own copy; DEVMODE 1412 holds the
        // list's slot, never an address.
        EXPECT_EQ(p->dwNext, 2u);
        EXPECT_EQ(p[1].dwNext, 0u);
        EXPECT_EQ(NextFontSubstNode(e.p, p), p + 1);
        EXPECT_EQ(NextFontSubstNode(e.p, p + 1), nullptr);
        DWORD dwHead = 0;
        std::memcpy(&dwHead, pGetJobDevmode(e.p)->ui.abReserved1412, 4);
        EXPECT_EQ(dwHead, static_cast<DWORD>(PREF_FONTSUBST));
        EXPECT_EQ(std::u16string(p[0].szDevice), u"Arial");
        EXPECT_EQ(std::u16string(p[1].szTrueType), std::u16string(31, u'T'));
        EXPECT_EQ(std::u16string(p[1].szDevice), std::u16string(31, u'D'));
        EXPECT_EQ(PlatGlobalLiveBlocks(), withPdev + 1);

        // A second list in the same job leaves the first in place.
        FONTSUBNODE other = {};
        EXPECT_EQ(e.Esc(ESCAPE_GEN_FONTSUBST, sizeof(other), &other), 1u);
        EXPECT_EQ(GetFontSubstList(e.p), p);
        EXPECT_EQ(PlatGlobalLiveBlocks(), withPdev + 1);
    }
    EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);

    EscPdev e;
    std::vector<BYTE> partial(100, 0);  // less than one node
    EXPECT_EQ(e.Esc(ESCAPE_GEN_FONTSUBST, partial), 0u);
    EXPECT_EQ(GetFontSubstList(e.p), nullptr);
}

TEST(Generic, PageClearNeedsAPageImage)
{
    EscPdev e;  // ORDEX output: a device surface without bits
    std::vector<BYTE> before = e.Image();
    EXPECT_EQ(e.Esc(ESCAPE_GEN_CLEARPAGE, 0, nullptr), 0u);
    EXPECT_TRUE(Diff(before, e.Image()).empty());
}

TEST(Generic, DrawEscapeAnswersOnlyItsOwnQuery)
{
    EscPdev e;
    DRVENABLEDATA ded = {};
    DrvEnableDriver(0x20000, sizeof(ded), &ded);
    auto pfn = reinterpret_cast<PFN_DrvDrawEscape>(
        reinterpret_cast<void (*)(void)>(EngFindHook(&ded, INDEX_DrvDrawEscape)));
    DWORD dwQuery = QUERYESCSUPPORT;
    EXPECT_EQ(pfn(&e.so, QUERYESCSUPPORT, nullptr, nullptr, 4, &dwQuery), 1u);
    dwQuery = SETCOPYCOUNT;
    EXPECT_EQ(pfn(&e.so, QUERYESCSUPPORT, nullptr, nullptr, 4, &dwQuery), 0u);
    EXPECT_EQ(pfn(&e.so, 4096, nullptr, nullptr, 0, nullptr), 0u);
}

}  // namespace
