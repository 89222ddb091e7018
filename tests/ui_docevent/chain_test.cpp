// The dispatcher: which escapes each event sends, in which order, and the
// rule that the first answer other than 1 ends the event.
#include "tests/ui_docevent/fakegfx.h"

#include "ui/settings/papertable.h"

#include <utility>

namespace {

struct PlainJob : DocEventTest {
    void SetUp() override
    {
        DocEventTest::SetUp();
        fake.Job()->env.InterSheet_Check = 0;
        fake.Job()->env.lpOutputMethod = 1;
        fake.Job()->ui.lpOverlay = 1;
        fake.Job()->ui.FontUseFlg = 0;
        SyncDevmode();
    }
};

TEST_F(PlainJob, EachEventSendsItsEscapesInChainOrder)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    struct Step {
        int iEvent;
        bool bHeaderWritten;  // the work area's and the fax state's flag before the event
        std::vector<DWORD> codes;
    };
    const Step kSteps[] = {
        {DOCUMENTEVENT_CREATEDCPOST, false, {}},
        {DOCUMENTEVENT_STARTDOC, false,
         {ESC_USER_NAME, ESC_SUPPRESS_OUTPUT, ESC_HOST_PROGRAM, ESC_FAX_STATE, ESC_OWNER_COMPARE, ESC_JOB_BLOCK,
          ESC_JOB_BLOCK, ESC_GET_DEVMODE}},
        {DOCUMENTEVENT_STARTDOCPOST, false, {ESC_JOB_BLOCK, ESC_WORK_AREA, ESC_JOB_BLOCK, ESC_WORK_AREA}},
        {DOCUMENTEVENT_STARTPAGE, false,
         {ESC_USER_PAPERS, ESC_FAX_STATE, ESC_FAX_LIST_ID, ESC_FAX_STATE, ESC_FAX_STATE, ESC_WORK_AREA, ESC_JOB_BLOCK,
          ESC_TAB_QUERY, ESC_JOB_BLOCK, ESC_TAB_RECORDED, ESC_PAGE_COUNTER, ESC_GET_DEVMODE}},
        // The page hooks read the job DEVMODE for the watermark at every page end.
        {DOCUMENTEVENT_ENDPAGE, true, {ESC_GET_DEVMODE}},
        {DOCUMENTEVENT_STARTPAGE, true,
         {ESC_USER_PAPERS, ESC_FAX_STATE, ESC_WORK_AREA, ESC_TAB_QUERY, ESC_PAGE_COUNTER, ESC_GET_DEVMODE}},
        {DOCUMENTEVENT_ENDPAGE, true, {ESC_GET_DEVMODE}},
        {DOCUMENTEVENT_ENDDOC, true, {ESC_JOB_END}},
        {DOCUMENTEVENT_ENDDOCPOST, true, {ESC_FAX_STATE, ESC_JOB_BLOCK, ESC_WORK_AREA}},
        {DOCUMENTEVENT_DELETEDC, true, {}},
        {DOCUMENTEVENT_ESCAPE, true, {}},
    };
    for (const Step& s : kSteps) {
        fake.calls.clear();
        DWORD dwHeader = s.bHeaderWritten ? 1 : 0;
        memcpy(fake.work.data() + WA_HEADER_WRITTEN, &dwHeader, 4);
        fake.fax.dwHeaderWritten = dwHeader;
        bool bDoc = s.iEvent == DOCUMENTEVENT_STARTDOC;
        EXPECT_EQ(Event(s.iEvent, bDoc ? sizeof(pdi) : 0, bDoc ? &pdi : nullptr), 1) << s.iEvent;
        EXPECT_EQ(fake.Codes(), s.codes) << "event " << s.iEvent;
    }
    EXPECT_EQ(PlatMsgBoxCount(), 0);
}

TEST_F(PlainJob, EscapesGoWithTheSizesTheReceiverMatches)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi);
    Event(DOCUMENTEVENT_STARTDOCPOST);
    Event(DOCUMENTEVENT_STARTPAGE);
    Event(DOCUMENTEVENT_ENDDOC);
    const struct {
        DWORD dwCode;
        int cbIn, cbOut;
    } kShapes[] = {
        {ESC_USER_NAME, 510, 0},   {ESC_SUPPRESS_OUTPUT, 1, 0}, {ESC_HOST_PROGRAM, 64, 0},
        {ESC_FAX_STATE, 0, 16},    {ESC_OWNER_COMPARE, 0, 0},   {ESC_JOB_BLOCK, 0, 9075},
        {ESC_WORK_AREA, 0, 28108}, {ESC_GET_DEVMODE, 0, 2615},  {ESC_USER_PAPERS, 80, 0},
        {ESC_FAX_LIST_ID, 0, 4},   {ESC_TAB_QUERY, 0, 4},       {ESC_TAB_RECORDED, 0, 0},
        {ESC_JOB_END, 0, 0},
    };
    for (const auto& k : kShapes) {
        const ESCCALL* p = fake.Find(k.dwCode);
        ASSERT_NE(p, nullptr) << std::hex << k.dwCode;
        EXPECT_EQ(p->cbIn, k.cbIn) << std::hex << k.dwCode;
        EXPECT_EQ(p->cbOut, k.cbOut) << std::hex << k.dwCode;
    }
    // Output is not suppressed at the start of a job.
    EXPECT_EQ(fake.Find(ESC_SUPPRESS_OUTPUT)->in, std::vector<BYTE>{0});
}

TEST_F(PlainJob, TheFirstAnswerOtherThanOneEndsTheEvent)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    const struct {
        int iEvent;
        DWORD dwFail;
        int iNth;
        int iResult;
        DWORD dwLastSent;
    } kCases[] = {
        // Job identity fails the event; later handlers see nothing.
        {DOCUMENTEVENT_STARTDOC, ESC_USER_NAME, 1, -1, ESC_USER_NAME},
        {DOCUMENTEVENT_STARTDOC, ESC_HOST_PROGRAM, 1, -1, ESC_HOST_PROGRAM},
        // A fax state that cannot be read answers "unsupported".
        {DOCUMENTEVENT_STARTDOC, ESC_FAX_STATE, 1, 0, ESC_FAX_STATE},
        {DOCUMENTEVENT_STARTDOC, ESC_OWNER_COMPARE, 1, -1, ESC_OWNER_COMPARE},
        // The form check's read of the job block, then the dispatcher's own.
        {DOCUMENTEVENT_STARTDOC, ESC_JOB_BLOCK, 1, -1, ESC_JOB_BLOCK},
        {DOCUMENTEVENT_STARTDOC, ESC_JOB_BLOCK, 2, -1, ESC_JOB_BLOCK},
        {DOCUMENTEVENT_STARTPAGE, ESC_USER_PAPERS, 1, -1, ESC_USER_PAPERS},
        {DOCUMENTEVENT_STARTDOCPOST, ESC_WORK_AREA, 1, 0, ESC_WORK_AREA},
        {DOCUMENTEVENT_STARTDOCPOST, ESC_WORK_AREA, 2, -1, ESC_WORK_AREA},
        {DOCUMENTEVENT_ENDDOC, ESC_JOB_END, 1, 0, ESC_JOB_END},
    };
    for (const auto& c : kCases) {
        fake.calls.clear();
        fake.dwFailCode = c.dwFail;
        fake.iFailAt = c.iNth;
        bool bDoc = c.iEvent == DOCUMENTEVENT_STARTDOC;
        EXPECT_EQ(Event(c.iEvent, bDoc ? sizeof(pdi) : 0, bDoc ? &pdi : nullptr), c.iResult)
            << c.iEvent << " " << std::hex << c.dwFail << " #" << c.iNth;
        ASSERT_FALSE(fake.calls.empty());
        EXPECT_EQ(fake.calls.back().dwCode, c.dwLastSent) << c.iEvent << " " << std::hex << c.dwFail;
    }
}

// The user papers a page announces: the first slot's width and length in
// 1/10 mm.
std::pair<LONG, LONG> FirstUserPaper(const FakeGfx& fake)
{
    const ESCCALL* p = fake.Find(ESC_USER_PAPERS);
    if (!p || p->in.size() != 80)
        return {-1, -1};
    LONG al[2];
    memcpy(al, p->in.data(), sizeof(al));
    return {al[0], al[1]};
}

TEST_F(PlainJob, UserPapersAreReadOnceForTheWholeJob)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    auto store = [&](LONG lWidth, LONG lLength) {
        USERPAPERS papers = {};
        ReadUserPapers(&papers, hPrinter);
        papers.aSlot[0].lWidth = lWidth;
        papers.aSlot[0].lLength = lLength;
        papers.aSlot[0].sUnit = 1;
        ASSERT_TRUE(WriteUserPapers(&papers, hPrinter));
    };
    store(10000, 20000);  // 10 x 20 inches
    Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi);
    fake.calls.clear();
    Event(DOCUMENTEVENT_STARTPAGE);
    EXPECT_EQ(FirstUserPaper(fake), std::make_pair(LONG(2540), LONG(5080)));
    // A change saved while the job prints waits for the next job: every
    // page of one job announces the same papers.
    store(5000, 8000);
    Event(DOCUMENTEVENT_ENDPAGE);
    fake.calls.clear();
    Event(DOCUMENTEVENT_STARTPAGE);
    EXPECT_EQ(FirstUserPaper(fake), std::make_pair(LONG(2540), LONG(5080)));
    Event(DOCUMENTEVENT_ENDDOC);
    Event(DOCUMENTEVENT_ENDDOCPOST);
    Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi);
    fake.calls.clear();
    Event(DOCUMENTEVENT_STARTPAGE);
    EXPECT_EQ(FirstUserPaper(fake), std::make_pair(LONG(1270), LONG(2032)));
    Event(DOCUMENTEVENT_ABORTDOC);
}

TEST_F(PlainJob, ResourceLibraryUsesAreBalanced)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    LONG nIdle = PlatGlobalLiveBlocks();
    fake.dwFailCode = ESC_JOB_BLOCK;
    fake.iFailAt = 2;  // the dispatcher's own read at STARTDOC
    EXPECT_EQ(Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi), -1);
    // A document that did not start holds nothing.
    EXPECT_EQ(PlatGlobalLiveBlocks(), nIdle);
    fake.dwFailCode = 0;
    Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi);
    Event(DOCUMENTEVENT_STARTDOCPOST);
    // The job keeps the library (and its string cache) through its pages,
    // and lets it go when it ends.
    LONG nHeld = PlatGlobalLiveBlocks();
    EXPECT_GT(nHeld, nIdle);
    Event(DOCUMENTEVENT_STARTPAGE);
    Event(DOCUMENTEVENT_ENDPAGE);
    EXPECT_EQ(PlatGlobalLiveBlocks(), nHeld);
    Event(DOCUMENTEVENT_ENDDOC);
    Event(DOCUMENTEVENT_ENDDOCPOST);
    EXPECT_EQ(GetResourceDllHandle(), nullptr);
    EXPECT_EQ(PlatGlobalLiveBlocks(), nIdle);
    // An aborted job and a DC deleted in the middle of a job let it go too.
    for (int iEnd : {DOCUMENTEVENT_ABORTDOC, DOCUMENTEVENT_DELETEDC}) {
        Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi);
        Event(DOCUMENTEVENT_STARTPAGE);
        Event(iEnd);
        EXPECT_EQ(PlatGlobalLiveBlocks(), nIdle) << iEnd;
    }
}

}  // namespace

namespace {

TEST_F(PlainJob, NoBlockOutlivesAnEventOnAnyPath)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    fake.Job()->ui.FontUseFlg = 1;
    SyncDevmode();
    const DWORD kFailures[] = {0, ESC_JOB_BLOCK, ESC_WORK_AREA, ESC_FAX_STATE, ESC_GET_DEVMODE, ESC_FONT_SUBST};
    const int kEvents[] = {DOCUMENTEVENT_STARTDOC, DOCUMENTEVENT_STARTDOCPOST, DOCUMENTEVENT_STARTPAGE,
                           DOCUMENTEVENT_ENDPAGE,  DOCUMENTEVENT_ENDDOC,       DOCUMENTEVENT_ENDDOCPOST};
    for (DWORD dwFail : kFailures) {
        for (int iNth = 1; iNth <= 2; ++iNth) {
            fake.dwFailCode = dwFail;
            fake.iFailAt = iNth;
            // What the job holds from its start to its end (the resource
            // library's string cache) is counted over the whole job.
            LONG nJobBefore = PlatGlobalLiveBlocks();
            for (int iEvent : kEvents) {
                fake.calls.clear();
                LONG nBefore = PlatGlobalLiveBlocks();
                bool bDoc = iEvent == DOCUMENTEVENT_STARTDOC;
                Event(iEvent, bDoc ? sizeof(pdi) : 0, bDoc ? &pdi : nullptr);
                if (iEvent != DOCUMENTEVENT_STARTDOC && iEvent != DOCUMENTEVENT_ENDDOCPOST) {
                    EXPECT_EQ(PlatGlobalLiveBlocks(), nBefore) << std::hex << dwFail << " #" << iNth
                                                               << " event " << std::dec << iEvent;
                }
            }
            EXPECT_EQ(PlatGlobalLiveBlocks(), nJobBefore) << std::hex << dwFail << " #" << iNth;
        }
    }
}

TEST_F(PlainJob, AllocationFailuresFailTheEventWithoutLeaks)
{
    DOCINFOW di = {sizeof(DOCINFOW), u"Report", nullptr, nullptr, 0};
    const DOCINFOW* pdi = &di;
    // The n-th allocation of the STARTDOC event fails, for each n in turn.
    for (LONG n = 1; n <= 12; ++n) {
        LONG nBefore = PlatGlobalLiveBlocks();
        PlatFailAllocation(n);
        int iResult = Event(DOCUMENTEVENT_STARTDOC, sizeof(pdi), &pdi);
        PlatFailAllocation(0);
        EXPECT_TRUE(iResult == 1 || iResult == -1) << n;
        // A document that started holds the resource library until it ends.
        if (iResult == 1)
            Event(DOCUMENTEVENT_ABORTDOC);
        EXPECT_EQ(PlatGlobalLiveBlocks(), nBefore) << n;
    }
}

}  // namespace
