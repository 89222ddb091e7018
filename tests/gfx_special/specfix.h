// specfix.h: fixtures of the special-page and blank-page tests: the ORDEX
// test PDEV (tests/gfx_ordex), a log of the sizes the job record stream
// is handed, and a job with blank-page skipping on and a capture file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pdl/xgcmn/ordexnt/xrblank.h"
#include "pdl/xgcmn/ordexnt/xrspecial.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"
#include "tests/gfx_ordex/ordexfix.h"

// Every write the job record stream receives, by size, passed on to the
// fixture's own capture.
struct WriteLog {
    std::vector<DWORD> sizes;
    PFN_WRITEJOBDATA pfnNext = nullptr;
};
WriteLog& TheWriteLog();
void LogWrites(TestPdev* pt);

// A started job with blank-page skipping and the capture file at
// <root>/c/blank.tmp (empty path: none).
void StartSkippingJob(TestPdev* pt, bool bWithPath = true);
std::string CaptureFileHost();

// A job's logical page: start, drawing by the caller, end.
inline void StartPageOf(TestPdev* pt)
{
    PdlStartPage(pt->pdev());
}
inline void EndPageOf(TestPdev* pt)
{
    PdlEndPage(pt->pdev());
    PdlSendPage(pt->pdev());
}
