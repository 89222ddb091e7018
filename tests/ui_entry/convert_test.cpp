// DEVMODE conversion between driver versions (DrvConvertDevMode).
#include "tests/ui_entry/entry_fixture.h"

#include <cctype>
#include <string>

namespace {

// A DEVMODE image of dmSize + dmDriverExtra bytes whose every byte outside
// the size fields is a pattern keyed by seed, followed by 64 guard bytes.
struct Image {
    std::vector<BYTE> bytes;
    WORD wSize, wExtra;
    DEVMODEW* dm() { return (DEVMODEW*)bytes.data(); }
};

const BYTE kGuard = 0xEE;

Image MakeImage(WORD wSize, WORD wExtra, BYTE seed)
{
    Image im{std::vector<BYTE>(wSize + wExtra + 64, kGuard), wSize, wExtra};
    for (size_t i = 0; i < (size_t)wSize + wExtra; ++i)
        im.bytes[i] = (BYTE)(seed + i * 7);
    DEVMODEW* pdm = im.dm();
    pdm->dmSpecVersion = wSize == 188 ? 0x320 : wSize == 212 ? 0x400 : 0x401;
    pdm->dmDriverVersion = 0x8403;
    pdm->dmSize = wSize;
    pdm->dmDriverExtra = wExtra;
    return im;
}

WORD Word(const Image& im, size_t off)
{
    return (WORD)(im.bytes[off] | im.bytes[off + 1] << 8);
}

struct ConvertRow {
    const char* name;
    WORD inSize, inExtra;    // source DEVMODE
    WORD outSize, outExtra;  // target DEVMODE
    size_t copiedPublic;     // bytes of the public part taken from the source
    size_t copiedPrivate;    // bytes of the private part taken from the source
    WORD outSpec;            // the target's dmSpecVersion afterwards
};

// Conversions that succeed: what is copied follows the smaller public and
// the smaller private part; the target keeps its own sizes and version.
const ConvertRow kConvertRows[] = {
    {"2615 into 188", 220, 2395, 188, 0, 188, 0, 0x320},
    {"2615 into 212", 220, 2395, 212, 0, 212, 0, 0x400},
    {"188 into 2615", 188, 0, 220, 2395, 188, 0, 0x401},
    {"212 into 2615", 212, 0, 220, 2395, 212, 0, 0x401},
    {"2615 into 2615", 220, 2395, 220, 2395, 220, 2395, 0x401},
    {"foreign 220+100 into 2615", 220, 100, 220, 2395, 220, 100, 0x401},
    {"2615 into foreign 220+100", 220, 2395, 220, 100, 220, 100, 0x401},
};

class ConvertTable : public ::testing::TestWithParam<ConvertRow> {};

TEST_P(ConvertTable, CopiesTheSmallerPartsAndKeepsTheTargetHeader)
{
    const ConvertRow& r = GetParam();
    Image in = MakeImage(r.inSize, r.inExtra, 0x11);
    Image out = MakeImage(r.outSize, r.outExtra, 0x80);
    const Image before = out;
    LONG cb = r.outSize + r.outExtra;

    ASSERT_TRUE(DrvConvertDevMode(EntryPrinter(), in.dm(), out.dm(), &cb, CDM_CONVERT));
    EXPECT_EQ(cb, r.outSize + r.outExtra);

    // Header: dmSpecVersion from the target's size, the rest the target's.
    EXPECT_EQ(Word(out, 64), r.outSpec);
    EXPECT_EQ(Word(out, 66), 0x8403);
    EXPECT_EQ(Word(out, 68), r.outSize);
    EXPECT_EQ(Word(out, 70), r.outExtra);
    for (size_t i = 0; i < out.bytes.size(); ++i) {
        if (i >= 64 && i < 72)
            continue;
        BYTE expected = before.bytes[i];
        if (i < r.copiedPublic)
            expected = in.bytes[i];
        else if (i >= r.outSize && i < r.outSize + r.copiedPrivate)
            expected = in.bytes[r.inSize + (i - r.outSize)];
        ASSERT_EQ(out.bytes[i], expected) << r.name << " byte " << i;
    }
}

// Test names from the rows' own names.
template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += isalnum((unsigned char)*p) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ConvertTable, ::testing::ValuesIn(kConvertRows),
                         RowName<ConvertRow>);

TEST(Convert, To351GivesA188ByteDevmodeWithTheOldHeader)
{
    Image in = MakeImage(220, 2395, 0x11);
    Image out = MakeImage(220, 0, 0x80);  // whatever the caller's buffer held
    LONG cb = 188;
    ASSERT_TRUE(DrvConvertDevMode(EntryPrinter(), in.dm(), out.dm(), &cb, CDM_CONVERT351));
    EXPECT_EQ(cb, 188);
    // dmSpecVersion 0x320, dmDriverVersion 0x0351, dmSize 188, dmDriverExtra 0.
    const BYTE kHeader[] = {0x20, 0x03, 0x51, 0x03, 0xBC, 0x00, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(&out.bytes[64], kHeader, sizeof(kHeader)));
    EXPECT_EQ(0, memcmp(&out.bytes[0], &in.bytes[0], 64));
    EXPECT_EQ(0, memcmp(&out.bytes[72], &in.bytes[72], 188 - 72));
    // Nothing behind the 188 bytes is touched.
    const Image fresh = MakeImage(220, 0, 0x80);
    EXPECT_EQ(0, memcmp(&out.bytes[188], &fresh.bytes[188], out.bytes.size() - 188));
}

struct FailRow {
    const char* name;
    DWORD fMode;
    bool bNullOut;
    LONG cbGiven;
    WORD outSize;   // target dmSize when an output is given
    DWORD dwError;  // last error afterwards (kUntouched: not set)
    LONG cbAfter;   // *pcbNeeded afterwards
};
const DWORD kUntouched = 0x5EED;

const FailRow kFailRows[] = {
    {"351 buffer one byte short", CDM_CONVERT351, false, 187, 220, ERROR_INSUFFICIENT_BUFFER, 188},
    {"351 without output", CDM_CONVERT351, true, 4096, 0, ERROR_INSUFFICIENT_BUFFER, 188},
    {"default into a header-sized buffer", CDM_DRIVER_DEFAULT, false, 220, 220,
     ERROR_INSUFFICIENT_BUFFER, 2615},
    {"default without output", CDM_DRIVER_DEFAULT, true, 2615, 0, ERROR_INSUFFICIENT_BUFFER, 2615},
    {"convert without output", CDM_CONVERT, true, 2615, 0, ERROR_INVALID_PARAMETER, 2615},
    {"convert into a buffer smaller than the target claims", CDM_CONVERT, false, 2000, 220,
     ERROR_INVALID_PARAMETER, 2000},
    {"convert into a target too small to be a DEVMODE", CDM_CONVERT, false, 2615, 40,
     ERROR_INVALID_PARAMETER, 2615},
    {"unknown mode", 8, false, 2615, 220, kUntouched, 2615},
    {"two modes at once", CDM_CONVERT | CDM_CONVERT351, false, 2615, 220, kUntouched, 2615},
};

class ConvertFailures : public ::testing::TestWithParam<FailRow> {};

TEST_P(ConvertFailures, FailWithTheirErrorAndSize)
{
    const FailRow& r = GetParam();
    Image in = MakeImage(220, 2395, 0x11);
    Image out = MakeImage(r.outSize ? r.outSize : 220, r.outSize == 220 ? 2395 : 0, 0x80);
    const Image before = out;
    LONG cb = r.cbGiven;
    LPWSTR pszPrinter = EntryPrinter();
    SetLastError(kUntouched);
    EXPECT_FALSE(DrvConvertDevMode(pszPrinter, in.dm(), r.bNullOut ? NULL : out.dm(), &cb,
                                   r.fMode))
        << r.name;
    EXPECT_EQ(GetLastError(), r.dwError) << r.name;
    EXPECT_EQ(cb, r.cbAfter) << r.name;
    EXPECT_EQ(out.bytes, before.bytes) << r.name;
}

INSTANTIATE_TEST_SUITE_P(Modes, ConvertFailures, ::testing::ValuesIn(kFailRows),
                         RowName<FailRow>);

TEST(Convert, EveryModeNeedsASizeArgument)
{
    Image in = MakeImage(220, 2395, 0x11);
    Image out = MakeImage(220, 2395, 0x80);
    LPWSTR pszPrinter = EntryPrinter();
    for (DWORD fMode : {CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT, 8}) {
        SetLastError(0);
        EXPECT_FALSE(DrvConvertDevMode(pszPrinter, in.dm(), out.dm(), NULL, fMode));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER) << fMode;
    }
}

TEST(Convert, DriverDefaultBuildsThePrintersDefault)
{
    std::vector<BYTE> out(DRVUI_CB_DEVMODE, 0xCC);
    LONG cb = DRVUI_CB_DEVMODE;
    ASSERT_TRUE(DrvConvertDevMode(EntryPrinter(), NULL, (DEVMODEW*)out.data(), &cb,
                                  CDM_DRIVER_DEFAULT));
    EXPECT_EQ(cb, 2615);
    const DEVMODEW* pdm = (const DEVMODEW*)out.data();
    EXPECT_TRUE(bValidDevmode(pdm));
    EXPECT_EQ(std::u16string((const char16_t*)pdm->dmDeviceName), kEntryPrinter);
}

TEST(Convert, DriverDefaultOfAnUnknownPrinterFailsAndLeavesNoHandle)
{
    DWORD cOpen = PlatOpenPrinterCount();
    std::vector<BYTE> out(DRVUI_CB_DEVMODE, 0);
    LONG cb = DRVUI_CB_DEVMODE;
    EXPECT_FALSE(DrvConvertDevMode((LPWSTR)u"No Such Printer", NULL, (DEVMODEW*)out.data(), &cb,
                                   CDM_DRIVER_DEFAULT));
    EXPECT_EQ(PlatOpenPrinterCount(), cOpen);
}

TEST(Convert, SpecVersionFollowsTheSize)
{
    struct {
        WORD wSize, wStored, wExpected;
    } rows[] = {{188, 0x999, 0x320}, {212, 0x999, 0x400}, {220, 0x999, 0x401}, {300, 0x500, 0x500}};
    for (auto& r : rows) {
        DEVMODEW dm = {};
        dm.dmSize = r.wSize;
        dm.dmSpecVersion = r.wStored;
        EXPECT_EQ(GetDevmodeSpecVersion(&dm), r.wExpected) << r.wSize;
    }
    EXPECT_EQ(GetDevmodeSpecVersion(NULL), 0);
}

}  // namespace
