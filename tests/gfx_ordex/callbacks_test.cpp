// The callbacks' guards and device capabilities, and the fax capture
// buffer with its files.
#include <sys/stat.h>

#include <fstream>

#include <gtest/gtest.h>

#include "ordexfix.h"
#include "platform/windows.h"
#include "tests/common/testroot.h"

namespace {

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

long FileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

TEST(Callbacks, InvalidPdevIsRefusedAndReported)
{
    TestPdev t;
    t.pdev()->dwSignatureEnd = 0;
    PlatClearDebugLog();
    SetLastError(0);
    EXPECT_FALSE(PdlStartDoc(t.pdev()));
    EXPECT_FALSE(PdlStartPage(nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_NE(PlatDebugLog().find("_bValidatePDEV failed."), std::string::npos);
    EXPECT_EQ(t.sStream, "");
    EXPECT_EQ(PdlWorkSize(), 28108u);
    EXPECT_EQ(PdlEnvExtraSize(), 1199u);
}

TEST(Callbacks, DrawingHooksCheckSurfacesAndSetTheKind)
{
    TestPdev t;
    PdlStartDoc(t.pdev());
    PdlStartPage(t.pdev());
    SURFOBJ soDevice = {};
    soDevice.iType = STYPE_DEVICE;
    soDevice.dhpdev = reinterpret_cast<DHPDEV>(t.pdev());
    SURFOBJ soBitmap = soDevice;
    soBitmap.iType = STYPE_BITMAP;
    RECTL rcl = {0, 0, 10, 10};

    EXPECT_FALSE(PdlBitBlt(&soBitmap, nullptr, nullptr, nullptr, nullptr, &rcl, nullptr, nullptr,
                           nullptr, nullptr, 0xF0F0));
    EXPECT_FALSE(PdlBitBlt(&soDevice, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, 0xF0F0));
    EXPECT_FALSE(PdlCopyBits(&soDevice, &soDevice, nullptr, nullptr, &rcl, nullptr));
    EXPECT_EQ(Val(t.work()->bDrawKind), 1);

    t.work()->bPageBlank = 1;
    EXPECT_TRUE(PdlCopyBits(&soDevice, &soBitmap, nullptr, nullptr, &rcl, nullptr));
    EXPECT_EQ(Val(t.work()->bDrawKind), 2);
    EXPECT_EQ(Val(t.work()->bPageBlank), 0);

    STROBJ str = {};
    FONTOBJ fo = {};
    EXPECT_TRUE(PdlTextOut(&soDevice, &str, &fo, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, 0));
    // Text is kind 4 only while it is drawn; the body hands back kind 0.
    EXPECT_EQ(Val(t.work()->bDrawKind), 0);
    EXPECT_FALSE(PdlTextOut(&soDevice, &str, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, 0));
    t.pdev()->fJob |= PDEVF_ABORTED;
    PATHOBJ po = {};
    EXPECT_FALSE(PdlFillPath(&soDevice, &po, nullptr, nullptr, nullptr, 0, 0));
    EXPECT_FALSE(PdlTextOut(&soDevice, &str, &fo, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, 0));
    EXPECT_EQ(Val(t.work()->bDrawKind), 0);
    PdlEndDoc(t.pdev());
}

TEST(DeviceCaps, OneBitModeAndForeignDevmode)
{
    TestPdev t;
    t.Byte(2163, 1);
    t.Byte(778, 2);
    const DEVMODEW* pdm = reinterpret_cast<const DEVMODEW*>(t.dm());
    GDIINFO gi = {};
    DEVINFO di = {};
    PdlFillDevCaps(t.pdev(), pdm, &gi, &di);
    EXPECT_EQ(gi.cBitsPixel, 1u);
    EXPECT_EQ(gi.ulNumColors, 2u);
    EXPECT_EQ(gi.ulHTPatternSize, (ULONG)HT_PATSIZE_8x8_M);
    EXPECT_EQ(gi.ulTechnology, (ULONG)DT_RASPRINTER);
    EXPECT_EQ(gi.flTextCaps, 0x19F7u);
    EXPECT_EQ(di.flGraphicsCaps, 0x253Du);
    EXPECT_EQ(di.iDitherFormat, (ULONG)BMF_1BPP);
    EXPECT_EQ(di.cxDither, 8);
    EXPECT_NE(di.hpalDefault, nullptr);
    EXPECT_EQ(PdlDitherColor(t.pdev()), (ULONG)DCR_HALFTONE);
    EngDeletePalette(di.hpalDefault);

    DEVMODEW foreign = *pdm;
    foreign.dmDriverExtra = 0;
    GDIINFO gi2 = {};
    DEVINFO di2 = {};
    PdlFillDevCaps(t.pdev(), &foreign, &gi2, &di2);
    EXPECT_EQ(gi2.cBitsPixel, 24u);
    EXPECT_EQ(gi2.ulNumColors, 8u);
    EXPECT_EQ(di2.flGraphicsCaps, 0x253Du);
    EXPECT_EQ(di2.hpalDefault, nullptr);
    TestPdev plain;
    EXPECT_EQ(PdlDitherColor(plain.pdev()), (ULONG)DCR_SOLID);
}

TEST(FaxCapture, BufferFlushesIntoPartsThatFollowEachDestination)
{
    TestPdev t;
    t.Byte(2167, 1);
    t.Byte(2170, 1);
    PdlStartDoc(t.pdev());
    PDLWORK* w = t.work();
    ASSERT_NE(PdlCaptureBuf(t.pdev()), nullptr);
    std::u16string dir = Wide(TestRootPath() + "/");
    memcpy(w->szCaptureDir, dir.c_str(), (dir.size() + 1) * 2);
    memcpy(w->aszDestName[0], u"d0.prn", 14);
    memcpy(w->aszDestName[1], u"d1.prn", 14);
    memcpy(w->szCommonName, u"common.prn", 22);
    w->FaxDest.cDest = 2;
    w->bCaptureOn = 1;
    w->cDestFiles = 2;

    // Destination 0: 2,500,000 bytes flush at 1,024,000 and 2,048,000.
    w->bCaptureKind = 1;
    std::string piece(100000, 'a');
    for (int i = 0; i < 25; ++i) {
        WriteStream(t.pdev(), piece.data(), (DWORD)piece.size());
    }
    EXPECT_EQ(FileSize(TestRootPath() + "/d0.prn"), 2048000);
    EXPECT_EQ(Val(w->cbCaptureBuf), 452000);
    FlushCaptureToFile(t.pdev());
    EXPECT_EQ(FileSize(TestRootPath() + "/d0.prn"), 2500000);

    // Destination 1 and the common part, each a new file.
    w->iDestFile = 1;
    w->cbCaptureFile = 0;
    WriteStream(t.pdev(), "B1", 2);
    FlushCaptureToFile(t.pdev());
    w->bCaptureKind = 2;
    w->cbCaptureFile = 0;
    WriteStream(t.pdev(), "COMMON", 6);
    EXPECT_EQ(t.sStream, "");  // nothing reached the record stream yet

    w->bHeaderWritten = 1;
    w->bJobEndPending = 1;
    PdlEndDoc(t.pdev());
    std::string expected = std::string(2500000, 'a') + "COMMON\x1B%-12345X" + "B1" +
                           "COMMON\x1B%-12345X";
    EXPECT_EQ(t.sStream.size(), expected.size());
    EXPECT_TRUE(t.sStream == expected);
    EXPECT_EQ(PdlCaptureBuf(t.pdev()), nullptr);
}

TEST(FaxCapture, IndexOutsideTheNameTableWritesNothing)
{
    TestPdev t;
    t.Byte(2167, 1);
    t.Byte(2170, 1);
    PdlStartDoc(t.pdev());
    PDLWORK* w = t.work();
    std::u16string dir = Wide(TestRootPath() + "/");
    memcpy(w->szCaptureDir, dir.c_str(), (dir.size() + 1) * 2);
    w->FaxDest.cDest = 1;
    w->bCaptureKind = 1;
    w->iDestFile = 100;
    WriteStream(t.pdev(), "x", 1);
    EXPECT_FALSE(FlushCaptureToFile(t.pdev()) && Val(w->cbCaptureFile) != 0);
    EXPECT_EQ(Val(w->cbCaptureBuf), 0);
    w->iDestFile = 0;
    w->cDestFiles = 0x7FFFFFFF;  // bounded by the table, not trusted
    w->bCaptureOn = 1;
    w->bHeaderWritten = 1;
    w->bJobEndPending = 1;
    PdlEndDoc(t.pdev());
    EXPECT_EQ(t.sStream, "");
}

}  // namespace
