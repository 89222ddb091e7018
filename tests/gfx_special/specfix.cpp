// The ORDEX test PDEV of the page generator's tests, built here as well.
#include "tests/gfx_ordex/ordexfix.cpp"

#include "specfix.h"

namespace {

BOOL _LoggedWrite(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    TheWriteLog().sizes.push_back(cb);
    return TheWriteLog().pfnNext(pPDev, pb, cb);
}

}  // namespace

WriteLog& TheWriteLog()
{
    static WriteLog s_log;
    return s_log;
}

void LogWrites(TestPdev* pt)
{
    TheWriteLog().sizes.clear();
    if (PdevWriteJobData(pt->pdev()) != _LoggedWrite) {
        TheWriteLog().pfnNext = PdevWriteJobData(pt->pdev());
        SetPdevWriteJobData(pt->pdev(), _LoggedWrite);
    }
}

std::string CaptureFileHost()
{
    return TestRootFile("c/blank.tmp");
}

void StartSkippingJob(TestPdev* pt, bool bWithPath)
{
    pt->Byte(1539, 1);
    PdlStartDoc(pt->pdev());
    if (bWithPath) {
        CreateDirectoryW(u"C:\\", nullptr);
        const char16_t kPath[] = u"C:\\blank.tmp";
        memcpy(pt->work()->szBlankPath, kPath, sizeof(kPath));
    }
}
