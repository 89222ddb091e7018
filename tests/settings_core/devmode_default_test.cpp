// The default DEVMODE, checked byte by byte against the published layout.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/windows.h"
#include "ui/settings/devmode.h"
#include "ui/settings/dmvalidate.h"
#include "ui/settings/optiondb.h"

namespace {

struct Field {
    int iOffset;
    int cbWidth;
    long long llExpected;
};

long long ReadLE(const BYTE* pb, int off, int cb) {
    unsigned long long v = 0;
    for (int i = cb - 1; i >= 0; i--) v = (v << 8) | pb[off + i];
    if (cb == 2) return (long long)(int16_t)v;  // 16-bit fields are read signed
    return (long long)v;
}

// Public header: every value the header routine and the builder write.
const Field kPublic[] = {
    {64, 2, 0x401}, {66, 2, 0x8403}, {68, 2, 220}, {70, 2, 2395}, {72, 4, 0x3703},
    {76, 2, 1},     {78, 2, 9},      {80, 2, 2970}, {82, 2, 2100}, {84, 2, 100},
    {86, 2, 1},     {88, 2, 7},      {90, 2, 600},  {92, 2, 1},    {94, 2, 1},
    {96, 2, 600},   {98, 2, 2},      {100, 2, 0},   {102, 2, 0},
};

// Private part: every numeric field at its default.
const Field kPrivate[] = {
    {776, 2, 9},  // lpOutputPaper
    {778, 1, 2},  // lpGraphicsMode
    {779, 1, 2},  // bHalftoneClass
    {780, 1, 0},  // bGraphicsClass
    {781, 1, 0},  // Layout_Check
    {782, 1, 8},  // lpLayout
    {783, 1, 1},  // lpOrder
    {784, 1, 0},  // bValidByte0
    {785, 1, 0},  // bValidByte1
    {786, 1, 0},  // bValidByte2
    {787, 1, 0},  // bValidByte3
    {788, 1, 1},  // bLayoutKind
    {789, 2, 0},  // wLayoutFlag
    {871, 2, 9999},  // wMaxCopies
    {873, 1, 0},  // ZoomCheck
    {874, 2, 100},  // Zoom
    {876, 2, 0},  // lpBorder
    {878, 1, 1},  // lpBooklet
    {879, 1, 1},  // lpOverlay
    {880, 1, 0},  // bOverlayIndex
    {881, 1, 0},  // OverlayPrompt
    {1406, 1, 1},  // lpWatermarkOrder
    {1407, 1, 0},  // Watermark_Use
    {1408, 1, 0},  // bWatermarkCurrent
    {1409, 1, 0},  // FirstPageOnly
    {1410, 1, 0},  // lpPDLType
    {1411, 1, 1},  // FontUseFlg
    {1416, 4, 825373492},  // magic1
    {1420, 1, 1},  // lpLayout_Select
    {1421, 1, 1},  // Sort_Check
    {1422, 1, 0},  // Collate_Check
    {1423, 1, 1},  // Layout_Check2
    {1424, 1, 0},  // Nup_Check
    {1425, 1, 0},  // lpBorder2
    {1426, 1, 0},  // Duplex_Check
    {1427, 1, 2},  // lpDuplex
    {1428, 1, 0},  // Staple_Check
    {1429, 1, 2},  // lpStaple
    {1430, 1, 0},  // Punch_Check
    {1431, 1, 1},  // lpPunch
    {1432, 1, 2},  // lpPunchHoles
    {1433, 1, 0},  // Booklet_Check
    {1434, 1, 0},  // lpBookletMode
    {1435, 1, 0},  // EngBooklet_Check
    {1436, 1, 0},  // lpEngBooklet
    {1437, 1, 0},  // lpBooklet2
    {1438, 1, 0},  // BindMargin_Check
    {1439, 1, 10},  // fMargin
    {1440, 1, 1},  // lpBindMargin
    {1441, 1, 10},  // bMargin
    {1442, 1, 1},  // MarginEqual_Check
    {1443, 1, 1},  // lpMarginMode
    {1444, 1, 1},  // lpWaitMode
    {1445, 1, 0},  // lpErrDiffMode
    {1446, 1, 1},  // lpJobMode
    {1447, 1, 0},  // lpOhpIntlvType
    {1448, 1, 1},  // nParam100
    {1449, 1, 0},  // UnDisplayPassword_Check
    {1450, 1, 0},  // Password_Check
    {1537, 2, 9},  // wLastPaperSize
    {1539, 1, 0},  // PaperLess_Check
    {1540, 1, 0},  // nParam148
    {1541, 1, 0},  // nParam149
    {1542, 1, 0},  // lpWidePaperPos
    {1543, 2, 7},  // lpMediaSource
    {1545, 2, 2},  // lpOutputTray
    {1551, 2, 2100},  // UDPaperWidth
    {1553, 2, 2100},  // UDPaperLength
    {1555, 1, 1},  // lpUDPaperUnit
    {1556, 2, 2100},  // UDMediaWidth
    {1558, 2, 2100},  // UDMediaLength
    {1560, 1, 1},  // lpUDMediaUnit
    {1561, 1, 1},  // lpOutputOrder
    {1562, 2, 1},  // lpOIPaperTray
    {1564, 2, 1},  // lpUDPaperType
    {1566, 2, 1},  // lpUDMediaType
    {1568, 1, 0},  // lpOutputMethod
    {1569, 1, 0},  // Set_CenterFinish_Check
    {1570, 1, 1},  // lpFrontCover
    {1571, 2, 1},  // lpFrontCoverTray
    {1573, 1, 1},  // lpBackCover
    {1574, 2, 1},  // lpBackCoverTray
    {1576, 1, 1},  // lpMediaType
    {1577, 1, 1},  // lpCoverMediaType
    {1578, 2, 0},  // lpCoverSource
    {1580, 1, 0},  // nParam27
    {1581, 2, 0},  // nParam28
    {1583, 1, 0},  // InterSheet_Check
    {1584, 1, 0},  // FrontCoverSheet_Check
    {1585, 2, 1},  // lpFrontPITray
    {1587, 1, 0},  // BackCoverSheet_Check
    {1588, 2, 1},  // lpBackPITray
    {1590, 1, 0},  // InsertCoverSheet_Check
    {1591, 2, 1},  // lpInsertPITray
    {1593, 1, 0},  // Mixplex_Check
    {1594, 1, 1},  // lpCoverSheetTray
    {2083, 1, 1},  // lpInterSheetList
    {2084, 1, 6},  // lpInterSheetListPRNType
    {2085, 2, 4096},  // lpInterSheetListTray
    {2087, 1, 1},  // lpInterSheetListBinding
    {2088, 1, 0},  // PrnTabIndex
    {2089, 1, 0},  // lpPrnTabIndexNo
    {2090, 1, 2},  // lpTabTextOrient
    {2091, 1, 2},  // lpTabTextAlign
    {2092, 1, 0},  // POD_Check
    {2093, 1, 0},  // POD_Nup_Check
    {2094, 1, 0},  // POD_OnePerSheet_Check
    {2095, 1, 1},  // lpPOD_OnePerSheet
    {2096, 1, 0},  // POD_Duplex_Check
    {2097, 1, 0},  // POD_Booklet_Check
    {2098, 1, 1},  // lpPOD_Booklet
    {2099, 1, 0},  // Chapter_Check
    {2100, 1, 0},  // POD_BindMargin_Check
    {2101, 1, 0},  // CenterFinish_Check
    {2102, 1, 1},  // lpCenterFinish
    {2103, 1, 0},  // POD_Staple_Check
    {2104, 1, 0},  // POD_Punch_Check
    {2105, 1, 0},  // WaitMode_Check
    {2106, 1, 0},  // TandemMode_Check
    {2107, 1, 0},  // lpTandemMode
    {2108, 1, 0},  // JobComb_Check
    {2109, 1, 0},  // UnDisplayJob_Check
    {2132, 1, 0},  // lpJobCombType
    {2133, 1, 0},  // lpJobModeSpl
    {2134, 1, 0},  // ImageShift_Check
    {2135, 1, 0},  // lpImgShiftMode
    {2136, 1, 0},  // lpImgShiftDirectLRF
    {2137, 1, 0},  // lpImgShiftDirectUDF
    {2138, 2, 0},  // ImgShiftValueLRF
    {2140, 2, 0},  // ImgShiftValueUDF
    {2142, 2, 0},  // ImgShiftPageIntervalF
    {2144, 1, 0},  // lpImgShiftDirectLRB
    {2145, 1, 0},  // lpImgShiftDirectUDB
    {2146, 2, 0},  // ImgShiftValueLRB
    {2148, 2, 0},  // ImgShiftValueUDB
    {2150, 2, 0},  // ImgShiftPageIntervalB
    {2152, 1, 0},  // ImgShiftBackAuto_Check
    {2153, 1, 1},  // OverlayOrder_Check
    {2154, 1, 3},  // lpDither
    {2155, 1, 0},  // SaveToner
    {2156, 2, 0},  // Intensity
    {2158, 1, 1},  // lpSmoothing
    {2159, 1, 0},  // EngSaveToner_Check
    {2160, 1, 0},  // lpDitherType
    {2161, 1, 0},  // PrintCAD_Check
    {2162, 1, 1},  // lpPrintCADMode
    {2163, 1, 0},  // f1Plane1Bit_Check
    {2164, 2, 0},  // Density
    {2166, 1, 0},  // nParam240
    {2167, 1, 2},  // lpOutput
    {2168, 2, 200},  // lpQuality
    {2170, 1, 0},  // CoverSheet
    {2171, 1, 0},  // nParam52
    {2172, 1, 0},  // nParam53
    {2209, 2, 0},  // wFaxDestCount
    {2211, 4, 0},  // dwFaxListId
    {2215, 1, 1},  // EcmTab
    {2216, 1, 0},  // IntlComTab
    {2217, 1, 0},  // FaxV34_CheckTab
    {2218, 1, 0},  // SubAddress
    {2261, 1, 0},  // SenderID
    {2304, 1, 0},  // bTimeH
    {2305, 1, 0},  // bTimeM
    {2306, 1, 0},  // FaxCover_Subject
    {2307, 1, 0},  // FaxCover_ReceiveName
    {2308, 1, 0},  // FaxCover_ReceiveCompany1
    {2309, 1, 0},  // FaxCover_ReceiveCompany2
    {2310, 1, 0},  // FaxCover_ReceiveSetup
    {2311, 1, 0},  // FaxCover_ReceivePersonal
    {2312, 1, 0},  // FaxCover_ReceiveFaxnum
    {2313, 1, 0},  // FaxCover_SenderName
    {2314, 1, 0},  // FaxCover_SenderCompany1
    {2315, 1, 0},  // FaxCover_SenderCompany2
    {2316, 1, 0},  // FaxCover_SenderTelnum
    {2317, 1, 0},  // FaxCover_SenderFaxnum
    {2318, 1, 0},  // FaxCover_SenderEmail
    {2319, 1, 0},  // FaxCover_Date
    {2320, 1, 0},  // FaxCover_Pagenum
    {2321, 1, 0},  // FaxCover_Image
    {2322, 1, 0},  // FaxCover_Zoom
    {2323, 1, 0},  // FaxCover_A4PFix
    {2324, 1, 1},  // lpSourceUnit
    {2325, 1, 1},  // lpOutputUnit
    {2326, 1, 2},  // lpHardDisk
    {2327, 1, 1},  // lpFAXUnit
    {2328, 1, 1},  // lpMemory
    {2329, 1, 1},  // lpNetworkCard
    {2330, 1, 1},  // lpCopierHardDisk
    {2331, 1, 1},  // lpFoldUnit
    {2332, 1, 0},  // lpAutoDuplexUnit
    {2333, 1, 0},  // lpSaddleUnit
    {2334, 1, 0},  // lpTandem
    {2335, 1, 1},  // lpEngine
    {2336, 1, 0},  // lpFinisher
    {2337, 1, 1},  // lpTrimmer
    {2338, 1, 0},  // lpLargeCapacityTray
    {2339, 1, 1},  // lpPunchKit
    {2340, 1, 1},  // lpPunchZFold
    {2423, 2, 257},  // XROutputPaperSize
    {2425, 2, 0},  // wParam231
    {2559, 4, 0},  // dwParam225
    {2563, 1, 0},  // bParam227
    {2564, 1, 0},  // bAutoZoom
    {2565, 2, 600},  // wLastResolution
    {2567, 4, 0},  // dwParam233
    {2571, 1, 0},  // nParam177
    {2572, 1, 1},  // nParam178
    {2573, 1, 1},  // nParam179
    {2574, 1, 1},  // nParam180
    {2575, 1, 1},  // nParam181
    {2576, 1, 0},  // nParam182
    {2577, 1, 0},  // nParam183
    {2578, 1, 0},  // nParam234
    {2579, 1, 0},  // nParam235
    {2580, 1, 0},  // nParam238
    {2581, 1, 1},  // nParam239
    {2582, 1, 0},  // nParam242
    {2583, 1, 0},  // nParam243
    {2584, 1, 0},  // nParam241
    {2611, 4, 875770417},  // magic2
};

struct DefaultDevmode : ::testing::Test {
    std::vector<BYTE> buf = std::vector<BYTE>(DRV_DEVMODE_SIZE, 0xCC);
    POPTIONDB pdb = nullptr;
    DEVMODEW* pdm() { return reinterpret_cast<DEVMODEW*>(buf.data()); }
    void SetUp() override { pdb = OpenOptionDb(); ASSERT_NE(pdb, nullptr); }
    void TearDown() override { CloseOptionDb(pdb); }
};

TEST_F(DefaultDevmode, PublicHeaderBytes) {
    ASSERT_TRUE(InitDefaultDevmode(pdb, pdm(), u"Office", nullptr));
    for (const Field& f : kPublic) {
        long long mask = (1LL << (8 * f.cbWidth)) - 1;
        EXPECT_EQ(ReadLE(buf.data(), f.iOffset, f.cbWidth) & mask, f.llExpected & mask) << "offset " << f.iOffset;
    }
    EXPECT_EQ(std::u16string(pdm()->dmDeviceName), u"Office");
    // dmBitsPerPel .. dmDitherType are zero.
    for (int i = 168; i < 204; i++) EXPECT_EQ(buf[i], 0) << i;
}

TEST_F(DefaultDevmode, PrivateFieldBytes) {
    ASSERT_TRUE(InitDefaultDevmode(pdb, pdm(), u"Office", nullptr));
    for (const Field& f : kPrivate) {
        EXPECT_EQ(ReadLE(buf.data(), f.iOffset, f.cbWidth), f.llExpected) << "offset " << f.iOffset;
    }
}

TEST_F(DefaultDevmode, FixedMarks) {
    ASSERT_TRUE(InitDefaultDevmode(pdb, pdm(), u"Office", nullptr));
    const BYTE sig[] = {'X', 0, 'D', 0, 'R', 0, 'V', 0};
    EXPECT_EQ(std::memcmp(buf.data() + 440, sig, 8), 0);
    const BYTE magic1[] = {'4', '3', '2', '1'};
    const BYTE magic2[] = {'1', '2', '3', '4'};
    EXPECT_EQ(std::memcmp(buf.data() + 1416, magic1, 4), 0);
    EXPECT_EQ(std::memcmp(buf.data() + 2611, magic2, 4), 0);
    const BYTE tag[18] = {'7', '3', '0', 'M', 'V', 0};
    EXPECT_EQ(std::memcmp(buf.data() + 2593, tag, 18), 0);
    EXPECT_TRUE(bValidDevmode(pdm()));
}

TEST_F(DefaultDevmode, UnsetRangesAreZero) {
    ASSERT_TRUE(InitDefaultDevmode(pdb, pdm(), u"Office", nullptr));
    // Public mirror, reserved ranges, geometry and texts stay zero until
    // validation.
    const struct { int from, to; } kZero[] = {
        {220, 440}, {448, 776}, {784, 788}, {791, 871}, {880, 1142 + 264}, {1451, 1537},
        {1547, 1551}, {1595, 2083}, {2110, 2132}, {2173, 2215}, {2219, 2261}, {2262, 2306},
        {2341, 2423}, {2425, 2559}, {2559, 2564}, {2567, 2571}, {2585, 2593},
    };
    for (const auto& r : kZero) {
        for (int i = r.from; i < r.to; i++) ASSERT_EQ(buf[i], 0) << "offset " << i;
    }
}

TEST_F(DefaultDevmode, DeviceNameIsCutAt31Characters) {
    const struct { const char16_t* pszIn; std::u16string expected; } kCases[] = {
        {u"", u""},
        {u"0123456789012345678901234567890", u"0123456789012345678901234567890"},
        {u"0123456789012345678901234567890123456789", u"0123456789012345678901234567890"},
    };
    for (const auto& c : kCases) {
        ASSERT_TRUE(InitDefaultDevmode(pdb, pdm(), c.pszIn, nullptr));
        EXPECT_EQ(std::u16string(pdm()->dmDeviceName), c.expected);
        EXPECT_EQ(pdm()->dmDeviceName[31], 0);
    }
}

TEST_F(DefaultDevmode, WithoutOptionDatabaseNothingPassesAsOurs) {
    EXPECT_FALSE(InitDefaultDevmode(nullptr, pdm(), u"Office", nullptr));
    EXPECT_FALSE(bValidDevmode(pdm()));
    for (BYTE b : buf) ASSERT_EQ(b, 0);
}

TEST(DevmodeSizes, ExtraSizes) {
    EXPECT_EQ(XR_GetEnvExtraSize(), 1199u);
    EXPECT_EQ(GetDevmodeExtraSize(), 2395u);
}

TEST(DevmodeText, CopyWideBoundedCutsAndTerminates) {
    WCHAR sz[4];
    std::memset(sz, 0xAB, sizeof(sz));
    CopyWideBounded(sz, u"abcdef", sizeof(sz));
    EXPECT_EQ(std::u16string(sz), u"abc");
    CopyWideBounded(sz, u"ab", sizeof(sz));
    EXPECT_EQ(std::u16string(sz), u"ab");
}

}  // namespace
