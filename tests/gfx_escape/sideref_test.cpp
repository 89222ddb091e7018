// The records the user-interface library reads hold slots, never addresses:
// the bytes are the same for every PDEV and build, bytes written over a slot
// from outside reach nothing, and a ResetPDEV hand-over leaves each object
// with one owner.
#include "tests/gfx_escape/escfix.h"

#include "graphics/ddi/chain.h"
#include "graphics/ddi/jobrecord.h"
#include "pdl/xgcmn/ordexnt/xrtext.h"
#include "pdl/xgcmn/xgcmn.h"

namespace {

std::vector<BYTE> JobBlock(EscPdev& e)
{
    std::vector<BYTE> job(PDEV_JOBBLOCK_SIZE);
    EXPECT_EQ(e.Esc(ESCAPE_JOB_GETJOBBLOCK, 0, nullptr, PDEV_JOBBLOCK_SIZE, job.data()), 1u);
    return job;
}

DWORD Dword(const std::vector<BYTE>& v, size_t off)
{
    DWORD dw;
    std::memcpy(&dw, v.data() + off, 4);
    return dw;
}

void SendFontList(EscPdev& e)
{
    FONTSUBNODE nodes[2] = {};
    std::memcpy(nodes[0].szTrueType, u"Arial", 12);
    std::memcpy(nodes[0].szDevice, u"Arial", 12);
    ASSERT_EQ(e.Esc(ESCAPE_GEN_FONTSUBST, sizeof(nodes), nodes), 1u);
}

TEST(SideRecord, JobBlockHoldsRowNumbersTheSameForEveryPdev)
{
    EscPdev a, b;
    SendFontList(a);
    SendFontList(b);
    std::vector<BYTE> job = JobBlock(a);
    struct {
        size_t off;
        DWORD dwSlot;
    } const aCases[] = {
        {8, 0},                          // no driver module in the test
        {12, PREF_CHAIN},
        {16, 0},                         // no printer handle
        {24, PDEV_RECORD_HEADER},        // write offset, not a pointer
        {4128, 0},                       // no document buffer yet
        {4136, 0},                       // no document name
        {4152, PREF_HPAL},
        {6440, PREF_WRITEJOBDATA},
        {6444, PREF_EMITJOBRECORD},
        {6448, 0},                       // no writer before StartDoc
        {PDEV_DEVMODE_OFFSET + 1412, PREF_FONTSUBST},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(Dword(job, c.off), c.dwSlot) << "offset " << c.off;
    // Two PDEVs of the same job give the same bytes: nothing in them
    // depends on where either lives.
    EXPECT_EQ(JobBlock(b), job);
}

TEST(SideRecord, ASlotWrittenFromOutsideReachesNoObject)
{
    LONG blocks = PlatGlobalLiveBlocks();
    {
        EscPdev e;
        SendFontList(e);
        FONTSUBNODE* pList = GetFontSubstList(e.p);
        ASSERT_NE(pList, nullptr);
        // Another row's number, or any other value, in the DEVMODE's list
        // head: no list. The row still belongs to the PDEV.
        for (DWORD dw : {DWORD(PREF_WRITER), DWORD(0x77777777), DWORD(PREF_COUNT)}) {
            e.PokeLong(OFF_D(1412), static_cast<LONG>(dw));
            EXPECT_EQ(GetFontSubstList(e.p), nullptr) << dw;
        }
        // The list's number in the writer's field is no writer either.
        e.PokeLong(6448, PREF_FONTSUBST);
        EXPECT_EQ(PdevWriter(e.p), nullptr);
        e.PokeLong(6448, 0);
        // A new list from the UI replaces the one whose slot was lost
        // without leaking it.
        SendFontList(e);
        EXPECT_NE(GetFontSubstList(e.p), nullptr);
    }
    // The PDEV frees what its rows hold, whatever the slots said.
    EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
}

TEST(SideRecord, ResetHandOverLeavesOneOwnerOfEachObject)
{
    LONG blocks = PlatGlobalLiveBlocks();
    {
        EscPdev old, fresh;
        SendFontList(old);
        FONTSUBNODE* pList = GetFontSubstList(old.p);
        SPOOLWRITER* pWriter = CreateSpoolWriter(nullptr);
        ASSERT_NE(pWriter, nullptr);
        SetPdevWriter(old.p, pWriter);
        BYTE* pDocBuf = static_cast<BYTE*>(GfxAlloc(PDEV_DOCBUF_SIZE));
        SetPdevDocBuf(old.p, pDocBuf);
        old.p->cbDocBuf = PDEV_DOCBUF_SIZE;
        old.p->fJob |= PDEVF_DOCSTARTED | PDEVF_STREAMOPEN;
        // A document is open: the page generator carries the job's DEVMODE
        // over, all but the new PDEV's own list slot.
        pGetPdlWork(old.p)->bDocOpen = 1;

        ASSERT_TRUE(GenResetPDEV(old.p, fresh.p));
        EXPECT_EQ(PdevWriter(fresh.p), pWriter);
        EXPECT_EQ(PdevDocBuf(fresh.p), pDocBuf);
        EXPECT_EQ(GetFontSubstList(fresh.p), pList);
        for (DWORD iRow : {DWORD(PREF_WRITER), DWORD(PREF_DOCBUF), DWORD(PREF_FONTSUBST)})
            EXPECT_EQ(PdevSide(old.p)->aRef[iRow], 0u) << "row " << iRow;
        EXPECT_EQ(old.p->slWriter, 0u);
        EXPECT_EQ(old.p->slDocBuf, 0u);
        EXPECT_EQ(old.Long(OFF_D(1412)), 0);
        // The job block of the new PDEV names the same rows as the old one
        // did: the bytes follow the objects.
        std::vector<BYTE> job = JobBlock(fresh);
        EXPECT_EQ(Dword(job, 6448), static_cast<DWORD>(PREF_WRITER));
        EXPECT_EQ(Dword(job, 4128), static_cast<DWORD>(PREF_DOCBUF));
        EXPECT_EQ(Dword(job, PDEV_DEVMODE_OFFSET + 1412), static_cast<DWORD>(PREF_FONTSUBST));

        // The writer goes as a job's writer goes: its CLOSE frees it.
        SetPdevWriter(fresh.p, nullptr);
        fresh.p->fJob &= ~(PDEVF_DOCSTARTED | PDEVF_STREAMOPEN);
        JOBRECORDHDR close = {JR_CLOSE, JR_HEADER_SIZE, 0};
        DWORD cbTaken = 0;
        bProcessJobRecord(pWriter, reinterpret_cast<BYTE*>(&close), sizeof(close), &cbTaken);
    }
    EXPECT_EQ(PlatGlobalLiveBlocks(), blocks);
}

TEST(SideRecord, ChainBlocksKeepTheStrictestAlignment)
{
    CHAINHEAD* pChain = CreateChainList();
    ASSERT_NE(pChain, nullptr);
    for (DWORD cb : {1u, 4u, 13u, 37183u, static_cast<DWORD>(PDEV_BLOCK_SIZE)}) {
        void* p = AllocChainBlock(pChain, cb);
        ASSERT_NE(p, nullptr);
        if (sizeof(void*) == 8) {
            EXPECT_EQ(reinterpret_cast<UINT_PTR>(p) % alignof(std::max_align_t), 0u) << cb;
        }
        // The link lies before the block: the block's first bytes are the
        // caller's (a PDEV's signature).
        std::memset(p, 0xA5, cb);
    }
    FreeChainList(pChain);
}

}  // namespace
